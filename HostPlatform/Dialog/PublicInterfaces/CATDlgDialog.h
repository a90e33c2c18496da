#ifndef CATDlgDialog_h
#define CATDlgDialog_h
// Headless dialog windows: a name, a style, a title and help texts, a visibility.
#include "CATCommand.h"
#include "CATUnicodeString.h"

// Dialog style bits.
#define CATDlgWndModal 0x00000001UL
#define CATDlgWndBtnOKCancel 0x00000010UL
#define CATDlgWndBtnClose 0x00000020UL
#define CATDlgWndNoButton 0x00000040UL

class ExportedByCATDialog CATDlgDialog : public CATCommand {
 public:
  CATDlgDialog(CATCommand* parent, const CATString& name, CATDlgStyle style = 0);
  ~CATDlgDialog() override;

  CATDlgStyle GetStyle() const { return style_; }
  void SetTitle(const CATUnicodeString& text) { title_ = text; }
  const CATUnicodeString& GetTitle() const { return title_; }
  void SetHelp(const CATUnicodeString& text) { help_ = text; }
  const CATUnicodeString& GetHelp() const { return help_; }
  void SetShortHelp(const CATUnicodeString& text) { shortHelp_ = text; }
  const CATUnicodeString& GetShortHelp() const { return shortHelp_; }
  void SetLongHelp(const CATUnicodeString& text) { longHelp_ = text; }
  const CATUnicodeString& GetLongHelp() const { return longHelp_; }
  virtual void SetVisibility(int visible) { visible_ = visible; }
  int GetVisibility() const { return visible_; }

 private:
  CATDlgStyle style_;
  CATUnicodeString title_, help_, shortHelp_, longHelp_;
  int visible_ = 0;
};

#endif
