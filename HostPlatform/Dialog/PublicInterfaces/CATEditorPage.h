#ifndef CATEditorPage_h
#define CATEditorPage_h
// A page of the options dialog, on which a settings editor builds its controls; it remembers whether its
// settings were modified since the page was last committed.
#include "CATDlgFrame.h"

class ExportedByCATDialog CATEditorPage : public CATDlgFrame {
 public:
  CATEditorPage(CATDialog* parent, const CATString& name, CATDlgStyle style = 0);
  ~CATEditorPage() override;

  void SetPageModification(int modified) { modified_ = modified ? 1 : 0; }
  int GetPageModification() const { return modified_; }

  const char* GetKindName() const override { return "EditorPage"; }

 protected:
  void DescribeState(std::string& line) const override;

 private:
  int modified_ = 0;
};

#endif
