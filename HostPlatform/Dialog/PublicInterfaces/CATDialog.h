#ifndef CATDialog_h
#define CATDialog_h
// The common base of dialog objects (windows, frames, controls): name and place in the tree, title and help
// texts, sensitivity, visibility, grid placement, and the headless description of the object's state.
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "CATCommand.h"
#include "CATUnicodeString.h"

class CATDlgDialog;
class CATDlgLock;

// Place of an object in its container's grid; justification is a combination of CATGRID_* flags.
struct CATDlgGridConstraints {
  int row = 0;
  int column = 0;
  int rowSpan = 1;
  int columnSpan = 1;
  CATULong justification = CATGRID_CENTER;
};

class ExportedByCATDialog CATDialog : public CATCommand {
 public:
  CATDialog(CATCommand* parent, const CATString& name, CATDlgStyle style = 0);
  ~CATDialog() override;

  CATDlgStyle GetStyle() const { return style_; }

  void SetTitle(const CATUnicodeString& text) { title_ = text; }
  const CATUnicodeString& GetTitle() const { return title_; }
  void SetHelp(const CATUnicodeString& text) { help_ = text; }
  const CATUnicodeString& GetHelp() const { return help_; }
  void SetShortHelp(const CATUnicodeString& text) { shortHelp_ = text; }
  const CATUnicodeString& GetShortHelp() const { return shortHelp_; }
  void SetLongHelp(const CATUnicodeString& text) { longHelp_ = text; }
  const CATUnicodeString& GetLongHelp() const { return longHelp_; }
  // Icons shown normally, when selected and when focused.
  void SetIconName(const CATString& normal, const CATString& selected = CATString(),
                   const CATString& focused = CATString());
  const CATString& GetIconName() const { return icons_[0]; }
  const CATString& GetSelectedIconName() const { return icons_[1]; }
  const CATString& GetFocusedIconName() const { return icons_[2]; }

  // CATDlgEnable or CATDlgDisable.
  void SetSensitivity(CATULong sensitivity);
  CATULong GetSensitivity() const { return sensitive_ ? CATDlgEnable : CATDlgDisable; }
  // CATDlgShow or CATDlgHide.
  virtual void SetVisibility(CATULong visibility);
  CATULong GetVisibility() const { return visible_ ? CATDlgShow : CATDlgHide; }
  // Whether a locked CATDlgLock holds this object insensitive.
  int IsHeldByLock() const;
  // Whether the user can reach the object now: it and its containers up to its window are visible,
  // sensitive and not locked.
  int IsUserAccessible() const;

  // Placement in the container's grid, stored and reported as given. Negative cells or spans below 1
  // are refused (E_INVALIDARG) and leave the placement unchanged.
  HRESULT SetGridConstraints(int row, int column, int rowSpan, int columnSpan, CATULong justification);
  HRESULT SetGridConstraints(const CATDlgGridConstraints& constraints);
  const CATDlgGridConstraints& GetGridConstraints() const { return grid_; }
  int HasGridConstraints() const { return hasGrid_; }
  // Rows and columns of this container that take extra space.
  HRESULT SetGridRowResizable(int row, int resizable = 1);
  HRESULT SetGridColumnResizable(int column, int resizable = 1);
  int IsGridRowResizable(int row) const { return resizableRows_.count(row) ? 1 : 0; }
  int IsGridColumnResizable(int column) const { return resizableColumns_.count(column) ? 1 : 0; }

  // Visible size of text controls, in characters and lines (0: the control's own choice).
  HRESULT SetVisibleTextWidth(int characters);
  int GetVisibleTextWidth() const { return visibleWidth_; }
  HRESULT SetVisibleTextHeight(int lines);
  int GetVisibleTextHeight() const { return visibleHeight_; }

  // Background colour, components 0 to 255 (E_INVALIDARG otherwise); S_FALSE from the getter when unset.
  HRESULT SetBackgroundColor(int red, int green, int blue);
  HRESULT GetBackgroundColor(int& red, int& green, int& blue) const;

  // Keyboard focus, one object per window.
  void SetFocus();
  int HasFocus() const;

  // The father when it is a dialog object, else null.
  CATDialog* GetDialogFather() const;
  // The window holding this object: itself when it is one; null when it hangs in no window.
  CATDlgDialog* GetWindow() const;
  int IsWindow() const { return isWindow_; }
  // The descendant reached by child names separated by "/" ("Frame1/RadioButtonAll"), or null.
  CATDialog* FindChild(const CATString& path) const;

  // The message catalog holding the texts of this container's objects, for level 0, or of the containers
  // it derives its texts from, for higher levels; null when there is none. An object created in a
  // container that names one takes its title and help texts from the keys "<path>.Title", "<path>.Help",
  // "<path>.ShortHelp" and "<path>.LongHelp", path being the object names below that container joined by
  // "."; a window takes "Title" and the help keys of its own catalog when first shown, unless already set.
  virtual const char* GetResourceFilename(int level);

  // One line per object, this one and every dialog object below it, children indented by two blanks:
  // kind, quoted name, title when set, the object's state, sensitivity, lock, visibility and focus.
  std::string Describe() const;
  virtual const char* GetKindName() const { return "Object"; }

 protected:
  // The notification of the given kind that this object sends, owned by it.
  CATNotification* OwnNotification(const char* kind);
  // Appends the kind-specific part of the description, each item preceded by a blank.
  virtual void DescribeState(std::string& line) const;
  // Appends text in double quotes, with quotes, backslashes and control characters escaped.
  static void AppendQuoted(std::string& line, const std::string& utf8);
  // Applies the resource texts found under prefix in the catalog of owner; onlyUnset keeps texts already set.
  void ApplyResourceTexts(CATDialog* owner, const std::string& prefix, bool onlyUnset);
  void MarkAsWindow() { isWindow_ = 1; }
  void SetVisibleFlag(int visible) { visible_ = visible; }

 private:
  friend class CATDlgLock;
  void DescribeInto(std::string& out, int depth) const;
  void LoadResourceTexts();

  CATDlgStyle style_;
  CATUnicodeString title_, help_, shortHelp_, longHelp_;
  CATString icons_[3];
  int sensitive_ = 1;
  int visible_ = 1;
  int isWindow_ = 0;
  int hasGrid_ = 0;
  CATDlgGridConstraints grid_;
  std::set<int> resizableRows_, resizableColumns_;
  int visibleWidth_ = 0;
  int visibleHeight_ = 0;
  int background_[3] = {-1, -1, -1};
  std::vector<CATDlgLock*> locks_;
  std::vector<CATNotification*> notifications_;
};

#endif
