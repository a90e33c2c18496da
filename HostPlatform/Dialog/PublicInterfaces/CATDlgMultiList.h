#ifndef CATDlgMultiList_h
#define CATDlgMultiList_h
// A list of lines in titled columns, with a selection of one line, or of several with CATDlgLstMultisel.
#include <vector>

#include "CATDialog.h"
#include "CATListOfCATUnicodeString.h"

#define CATDlgLstMultisel 0x00080000UL

class ExportedByCATDialog CATDlgMultiList : public CATDialog {
 public:
  CATDlgMultiList(CATDialog* parent, const CATString& name, CATDlgStyle style = 0);
  ~CATDlgMultiList() override;

  // Sets the number of columns and their titles; existing lines gain empty cells or lose the cells of
  // removed columns. E_INVALIDARG for a negative count or missing titles.
  HRESULT SetColumnTitles(int count, const CATUnicodeString* titles);
  HRESULT SetColumnTitles(const CATListValCATUnicodeString& titles);
  int GetColumnCount() const { return static_cast<int>(titles_.size()); }
  HRESULT GetColumnTitle(CATUnicodeString& title, int column) const;
  // CATDlgShow or CATDlgHide; hidden columns keep their content.
  HRESULT SetColumnVisibility(int column, CATULong visibility);
  CATULong GetColumnVisibility(int column) const;

  // Puts text into a column: of a new line appended at the end for row -1, else of line row.
  // E_INVALIDARG for a column or line that does not exist.
  HRESULT SetColumnItem(int column, const CATUnicodeString& text, int row = -1);
  HRESULT GetColumnItem(int column, CATUnicodeString& text, int row) const;
  int GetLineCount() const { return static_cast<int>(rows_.size()); }
  // Removes every line and the selection.
  void ClearLine();

  // Replaces the selection by the given lines. E_INVALIDARG, the selection unchanged, for a line out of
  // range, a line given twice, or several lines in a single-selection list. Sends the select notification
  // only when notify is set.
  HRESULT SetSelect(const int* rows, int count, int notify = 0);
  void ClearSelect(int notify = 0);
  int GetSelectCount() const { return static_cast<int>(selection_.size()); }
  // Copies up to size selected lines, in ascending order; returns how many were copied.
  int GetSelect(int* rows, int size) const;

  CATNotification* GetListSelectNotification() { return OwnNotification("CATDlgListSelectNotification"); }

  // The user selects the given lines (none: clears): E_FAIL when the list cannot be reached, E_INVALIDARG
  // as SetSelect; otherwise the select notification is sent.
  HRESULT UserSelect(const int* rows, int count);

  const char* GetKindName() const override { return "MultiList"; }

 protected:
  void DescribeState(std::string& line) const override;

 private:
  bool ValidSelection(const int* rows, int count, std::vector<int>& sorted) const;

  std::vector<CATUnicodeString> titles_;
  std::vector<int> columnVisible_;
  std::vector<std::vector<CATUnicodeString>> rows_;
  std::vector<int> selection_;
};

#endif
