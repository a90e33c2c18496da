#ifndef CATDlgCombo_h
#define CATDlgCombo_h
// A list of lines of which one is chosen, shown as a drop-down; an entry combo (CATDlgCmbEntry) also lets
// the user type a text that is not among its lines.
#include <vector>

#include "CATDialog.h"

#define CATDlgCmbDropDown 0x00040000UL
#define CATDlgCmbEntry 0x00080000UL

class ExportedByCATDialog CATDlgCombo : public CATDialog {
 public:
  CATDlgCombo(CATDialog* parent, const CATString& name, CATDlgStyle style = 0);
  ~CATDlgCombo() override;

  // Inserts a line before line position (0-based), at the end for -1; E_INVALIDARG beyond the end.
  HRESULT SetLine(const CATUnicodeString& line, int position = -1);
  int GetLineCount() const { return static_cast<int>(lines_.size()); }
  HRESULT GetLine(CATUnicodeString& line, int index) const;
  // Removes every line; nothing is selected afterwards.
  void ClearLine();

  // Selects line index (-1: none). Out of range: E_INVALIDARG, the selection unchanged. Sends the select
  // notification only when notify is set.
  HRESULT SetSelect(int index, int notify = 0);
  // Selects the first line equal to text. Without such a line nothing is selected and the result is
  // S_FALSE, except in an entry combo, which then shows the text itself.
  HRESULT SetSelect(const CATUnicodeString& text, int notify = 0);
  // The selected line, -1 when none.
  int GetSelect() const { return selected_; }
  // The text shown: the selected line, or what was typed into an entry combo.
  CATUnicodeString GetText() const;

  // Select: the user chose a line. Modify: the user typed into an entry combo.
  CATNotification* GetComboSelectNotification() { return OwnNotification("CATDlgComboSelectNotification"); }
  CATNotification* GetComboModifyNotification() { return OwnNotification("CATDlgComboModifyNotification"); }

  // The user chooses line index: E_FAIL when the combo cannot be reached, E_INVALIDARG when there is no
  // such line; otherwise it is selected and the select notification sent.
  HRESULT UserSelect(int index);
  // The user types into an entry combo (E_FAIL for other combos); the line equal to the text, if any,
  // becomes selected; the modify notification is sent.
  HRESULT UserTypeText(const CATUnicodeString& text);

  const char* GetKindName() const override { return "Combo"; }

 protected:
  void DescribeState(std::string& line) const override;

 private:
  int Find(const CATUnicodeString& text) const;

  std::vector<CATUnicodeString> lines_;
  int selected_ = -1;
  CATUnicodeString typed_;
};

#endif
