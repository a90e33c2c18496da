#include "CATDlgEditor.h"

#include <climits>

#include "CATDecimalReader.h"

namespace {

// Optional minus sign and decimal digits, within the range of int.
bool ParseInteger(const std::u16string& text, int& value) {
  long long read = 0;
  if (CATReadDecimal(text, INT_MIN, INT_MAX, read, CATDecimalSign::Minus) != CATDecimalResult::OK)
    return false;
  value = static_cast<int>(read);
  return true;
}

std::vector<CATUnicodeString> SplitLines(const std::u16string& text) {
  std::vector<CATUnicodeString> lines;
  size_t start = 0;
  while (true) {
    size_t end = text.find(u'\n', start);
    std::u16string line =
        text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
    CATUnicodeString piece;
    piece.BuildFromUCChar(line.data(), line.size());
    lines.push_back(piece);
    if (end == std::u16string::npos) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace

CATDlgEditor::CATDlgEditor(CATDialog* parent, const CATString& name, CATDlgStyle style)
    : CATDialog(parent, name, style) {}

CATDlgEditor::~CATDlgEditor() = default;

bool CATDlgEditor::Accepts(const CATUnicodeString& text, bool allowEmpty) const {
  if (!(GetStyle() & CATDlgEdtInteger)) return true;
  if (text.IsNull()) return allowEmpty;
  int value = 0;
  if (!ParseInteger(text.GetUTF16(), value)) return false;
  return !hasRange_ || (value >= min_ && value <= max_);
}

void CATDlgEditor::Store(const CATUnicodeString& text) {
  lines_.clear();
  if (text.IsNull()) return;
  if (GetStyle() & CATDlgEdtMultiline)
    lines_ = SplitLines(text.GetUTF16());
  else
    lines_.push_back(text);
}

HRESULT CATDlgEditor::SetText(const CATUnicodeString& text) {
  if (!Accepts(text, true)) return E_INVALIDARG;
  Store(text);
  return S_OK;
}

CATUnicodeString CATDlgEditor::GetText() const {
  CATUnicodeString text;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i) text.Append("\n");
    text.Append(lines_[i]);
  }
  return text;
}

HRESULT CATDlgEditor::SetIntegerValue(int value) {
  CATUnicodeString text;
  text.BuildFromNum(value);
  return SetText(text);
}

int CATDlgEditor::GetIntegerValue() const {
  int value = 0;
  if (lines_.size() == 1 && ParseInteger(lines_[0].GetUTF16(), value)) return value;
  return 0;
}

HRESULT CATDlgEditor::SetIntegerRange(int min, int max) {
  if (min > max) return E_INVALIDARG;
  hasRange_ = 1;
  min_ = min;
  max_ = max;
  return S_OK;
}

HRESULT CATDlgEditor::GetIntegerRange(int& min, int& max) const {
  if (!hasRange_) return S_FALSE;
  min = min_;
  max = max_;
  return S_OK;
}

HRESULT CATDlgEditor::SetLine(const CATUnicodeString& line, int position) {
  if (!(GetStyle() & CATDlgEdtMultiline)) return E_FAIL;
  if (position < -1 || position > GetLineCount()) return E_INVALIDARG;
  std::vector<CATUnicodeString> added = SplitLines(line.GetUTF16());
  auto at = position == -1 ? lines_.end() : lines_.begin() + position;
  lines_.insert(at, added.begin(), added.end());
  return S_OK;
}

HRESULT CATDlgEditor::GetLine(CATUnicodeString& line, int index) const {
  if (index < 0 || index >= GetLineCount()) return E_INVALIDARG;
  line = lines_[index];
  return S_OK;
}

HRESULT CATDlgEditor::SetMaxLength(int characters) {
  if (characters < 0) return E_INVALIDARG;
  maxLength_ = characters;
  return S_OK;
}

HRESULT CATDlgEditor::UserTypeText(const CATUnicodeString& text) {
  if (!IsUserAccessible() || (GetStyle() & CATDlgEdtReadOnly)) return E_FAIL;
  if (maxLength_ > 0 && text.GetLengthInChar() > maxLength_) return E_INVALIDARG;
  if (!(GetStyle() & CATDlgEdtMultiline) && text.GetUTF16().find_first_of(u"\r\n") != std::u16string::npos)
    return E_INVALIDARG;
  if (!Accepts(text, false)) return E_INVALIDARG;
  Store(text);
  std::weak_ptr<const int> alive = LifeToken();
  PublishNotification(GetEditModifyNotification());
  if (alive.expired()) return S_OK;
  PublishNotification(GetEditChangeNotification());
  return S_OK;
}

void CATDlgEditor::DescribeState(std::string& line) const {
  line += " text=";
  if (GetStyle() & CATDlgEdtPassword)
    line += lines_.empty() ? "\"\"" : "<hidden>";
  else
    AppendQuoted(line, GetText().ConvertToUTF8());
  if (GetStyle() & CATDlgEdtPassword) line += " password";
  if (GetStyle() & CATDlgEdtInteger) {
    line += " integer";
    if (hasRange_) line += " range=" + std::to_string(min_) + ".." + std::to_string(max_);
  }
  if (GetStyle() & CATDlgEdtMultiline) line += " multiline";
  if (GetStyle() & CATDlgEdtReadOnly) line += " readonly";
}
