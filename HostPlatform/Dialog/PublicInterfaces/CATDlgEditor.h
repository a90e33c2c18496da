#ifndef CATDlgEditor_h
#define CATDlgEditor_h
// A text field: one line or several, plain, password (never shown in descriptions), integer only,
// read-only for the user.
#include <vector>

#include "CATDialog.h"

#define CATDlgEdtPassword 0x00040000UL
#define CATDlgEdtMultiline 0x00080000UL
#define CATDlgEdtInteger 0x00200000UL
#define CATDlgEdtReadOnly 0x04000000UL

class ExportedByCATDialog CATDlgEditor : public CATDialog {
 public:
  CATDlgEditor(CATDialog* parent, const CATString& name, CATDlgStyle style = 0);
  ~CATDlgEditor() override;

  // Sends nothing. An integer editor takes only the empty text or an integer within its range
  // (E_INVALIDARG otherwise, the text unchanged). A multi-line editor holds one line per line feed.
  HRESULT SetText(const CATUnicodeString& text);
  CATUnicodeString GetText() const;
  HRESULT SetIntegerValue(int value);
  // The integer shown; 0 when the text is not one.
  int GetIntegerValue() const;
  // Bounds of an integer editor, both included (E_INVALIDARG when min > max).
  HRESULT SetIntegerRange(int min, int max);
  // S_FALSE when no range is set.
  HRESULT GetIntegerRange(int& min, int& max) const;

  // Multi-line editors: inserts the line before line position (0-based), at the end for -1.
  HRESULT SetLine(const CATUnicodeString& line, int position = -1);
  int GetLineCount() const { return static_cast<int>(lines_.size()); }
  HRESULT GetLine(CATUnicodeString& line, int index) const;

  // The longest text, in characters, the user may type (0: no limit).
  HRESULT SetMaxLength(int characters);
  int GetMaxLength() const { return maxLength_; }

  // Modify: the text changed while the user types. Change: the user ended the edit (Enter, leaving).
  CATNotification* GetEditModifyNotification() { return OwnNotification("CATDlgEditModifyNotification"); }
  CATNotification* GetEditChangeNotification() { return OwnNotification("CATDlgEditChangeNotification"); }

  // The user replaces the text and ends the edit: E_FAIL when the editor cannot be reached or is
  // read-only; E_INVALIDARG when the text does not fit (longer than the maximum, a line feed in a one-line
  // editor, anything but an integer within range in an integer editor); otherwise the text is set and
  // the modify then the change notification are sent.
  HRESULT UserTypeText(const CATUnicodeString& text);

  const char* GetKindName() const override { return "Editor"; }

 protected:
  void DescribeState(std::string& line) const override;

 private:
  bool Accepts(const CATUnicodeString& text, bool allowEmpty) const;
  void Store(const CATUnicodeString& text);

  std::vector<CATUnicodeString> lines_;
  int maxLength_ = 0;
  int hasRange_ = 0;
  int min_ = 0, max_ = 0;
};

#endif
