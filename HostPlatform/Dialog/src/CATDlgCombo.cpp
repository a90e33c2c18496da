#include "CATDlgCombo.h"

CATDlgCombo::CATDlgCombo(CATDialog* parent, const CATString& name, CATDlgStyle style)
    : CATDialog(parent, name, style) {}

CATDlgCombo::~CATDlgCombo() = default;

HRESULT CATDlgCombo::SetLine(const CATUnicodeString& line, int position) {
  if (position < -1 || position > GetLineCount()) return E_INVALIDARG;
  if (position == -1) position = GetLineCount();
  lines_.insert(lines_.begin() + position, line);
  // The selection follows its line.
  if (selected_ >= position) ++selected_;
  return S_OK;
}

HRESULT CATDlgCombo::GetLine(CATUnicodeString& line, int index) const {
  if (index < 0 || index >= GetLineCount()) return E_INVALIDARG;
  line = lines_[index];
  return S_OK;
}

void CATDlgCombo::ClearLine() {
  lines_.clear();
  selected_ = -1;
  typed_ = CATUnicodeString();
}

int CATDlgCombo::Find(const CATUnicodeString& text) const {
  for (int i = 0; i < GetLineCount(); ++i)
    if (lines_[i] == text) return i;
  return -1;
}

HRESULT CATDlgCombo::SetSelect(int index, int notify) {
  if (index < -1 || index >= GetLineCount()) return E_INVALIDARG;
  selected_ = index;
  typed_ = CATUnicodeString();
  if (notify) PublishNotification(GetComboSelectNotification());
  return S_OK;
}

HRESULT CATDlgCombo::SetSelect(const CATUnicodeString& text, int notify) {
  int index = Find(text);
  selected_ = index;
  typed_ = index < 0 && (GetStyle() & CATDlgCmbEntry) ? text : CATUnicodeString();
  HRESULT rc = index >= 0 || (GetStyle() & CATDlgCmbEntry) ? S_OK : S_FALSE;
  if (notify) PublishNotification(GetComboSelectNotification());
  return rc;
}

CATUnicodeString CATDlgCombo::GetText() const {
  return selected_ >= 0 ? lines_[selected_] : typed_;
}

HRESULT CATDlgCombo::UserSelect(int index) {
  if (!IsUserAccessible()) return E_FAIL;
  if (index < 0 || index >= GetLineCount()) return E_INVALIDARG;
  selected_ = index;
  typed_ = CATUnicodeString();
  PublishNotification(GetComboSelectNotification());
  return S_OK;
}

HRESULT CATDlgCombo::UserTypeText(const CATUnicodeString& text) {
  if (!IsUserAccessible() || !(GetStyle() & CATDlgCmbEntry)) return E_FAIL;
  selected_ = Find(text);
  typed_ = selected_ < 0 ? text : CATUnicodeString();
  PublishNotification(GetComboModifyNotification());
  return S_OK;
}

void CATDlgCombo::DescribeState(std::string& line) const {
  line += " lines=[";
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i) line += ',';
    AppendQuoted(line, lines_[i].ConvertToUTF8());
  }
  line += "] selected=" + std::to_string(selected_);
  if (GetStyle() & CATDlgCmbEntry) {
    line += " editable text=";
    AppendQuoted(line, GetText().ConvertToUTF8());
  }
}
