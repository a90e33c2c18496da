#include "CATDlgMultiList.h"

#include <algorithm>

CATDlgMultiList::CATDlgMultiList(CATDialog* parent, const CATString& name, CATDlgStyle style)
    : CATDialog(parent, name, style) {}

CATDlgMultiList::~CATDlgMultiList() = default;

HRESULT CATDlgMultiList::SetColumnTitles(int count, const CATUnicodeString* titles) {
  if (count < 0 || (count > 0 && !titles)) return E_INVALIDARG;
  titles_.assign(titles, titles + count);
  columnVisible_.resize(count, 1);
  for (auto& row : rows_) row.resize(count);
  return S_OK;
}

HRESULT CATDlgMultiList::SetColumnTitles(const CATListValCATUnicodeString& titles) {
  std::vector<CATUnicodeString> copy;
  for (int i = 1; i <= titles.Size(); ++i) copy.push_back(titles[i]);
  return SetColumnTitles(static_cast<int>(copy.size()), copy.data());
}

HRESULT CATDlgMultiList::GetColumnTitle(CATUnicodeString& title, int column) const {
  if (column < 0 || column >= GetColumnCount()) return E_INVALIDARG;
  title = titles_[column];
  return S_OK;
}

HRESULT CATDlgMultiList::SetColumnVisibility(int column, CATULong visibility) {
  if (column < 0 || column >= GetColumnCount()) return E_INVALIDARG;
  columnVisible_[column] = (visibility == CATDlgHide || visibility == 0) ? 0 : 1;
  return S_OK;
}

CATULong CATDlgMultiList::GetColumnVisibility(int column) const {
  if (column < 0 || column >= GetColumnCount()) return CATDlgHide;
  return columnVisible_[column] ? CATDlgShow : CATDlgHide;
}

HRESULT CATDlgMultiList::SetColumnItem(int column, const CATUnicodeString& text, int row) {
  if (column < 0 || column >= GetColumnCount() || row < -1 || row >= GetLineCount()) return E_INVALIDARG;
  if (row == -1) {
    rows_.emplace_back(titles_.size());
    row = GetLineCount() - 1;
  }
  rows_[row][column] = text;
  return S_OK;
}

HRESULT CATDlgMultiList::GetColumnItem(int column, CATUnicodeString& text, int row) const {
  if (column < 0 || column >= GetColumnCount() || row < 0 || row >= GetLineCount()) return E_INVALIDARG;
  text = rows_[row][column];
  return S_OK;
}

void CATDlgMultiList::ClearLine() {
  rows_.clear();
  selection_.clear();
}

bool CATDlgMultiList::ValidSelection(const int* rows, int count, std::vector<int>& sorted) const {
  if (count < 0 || (count > 0 && !rows)) return false;
  if (count > 1 && !(GetStyle() & CATDlgLstMultisel)) return false;
  sorted.assign(rows, rows + count);
  std::sort(sorted.begin(), sorted.end());
  if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return false;
  return std::all_of(sorted.begin(), sorted.end(), [this](int r) { return r >= 0 && r < GetLineCount(); });
}

HRESULT CATDlgMultiList::SetSelect(const int* rows, int count, int notify) {
  std::vector<int> sorted;
  if (!ValidSelection(rows, count, sorted)) return E_INVALIDARG;
  selection_ = sorted;
  if (notify) PublishNotification(GetListSelectNotification());
  return S_OK;
}

void CATDlgMultiList::ClearSelect(int notify) {
  selection_.clear();
  if (notify) PublishNotification(GetListSelectNotification());
}

int CATDlgMultiList::GetSelect(int* rows, int size) const {
  if (!rows || size <= 0) return 0;
  int n = std::min(size, GetSelectCount());
  std::copy(selection_.begin(), selection_.begin() + n, rows);
  return n;
}

HRESULT CATDlgMultiList::UserSelect(const int* rows, int count) {
  if (!IsUserAccessible()) return E_FAIL;
  std::vector<int> sorted;
  if (!ValidSelection(rows, count, sorted)) return E_INVALIDARG;
  selection_ = sorted;
  PublishNotification(GetListSelectNotification());
  return S_OK;
}

void CATDlgMultiList::DescribeState(std::string& line) const {
  line += " columns=[";
  for (size_t c = 0; c < titles_.size(); ++c) {
    if (c) line += ',';
    AppendQuoted(line, titles_[c].ConvertToUTF8());
    if (!columnVisible_[c]) line += "(hidden)";
  }
  line += "] rows=[";
  for (size_t r = 0; r < rows_.size(); ++r) {
    line += r ? ",[" : "[";
    for (size_t c = 0; c < rows_[r].size(); ++c) {
      if (c) line += ',';
      AppendQuoted(line, rows_[r][c].ConvertToUTF8());
    }
    line += ']';
  }
  line += "] selected=[";
  for (size_t i = 0; i < selection_.size(); ++i) {
    if (i) line += ',';
    line += std::to_string(selection_[i]);
  }
  line += ']';
  if (GetStyle() & CATDlgLstMultisel) line += " multisel";
}
