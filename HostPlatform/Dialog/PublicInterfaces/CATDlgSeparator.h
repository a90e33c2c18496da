#ifndef CATDlgSeparator_h
#define CATDlgSeparator_h
// A line between groups of controls, horizontal unless CATDlgCtrVertical.
#include "CATDialog.h"

#define CATDlgCtrVertical 0x00080000UL

class ExportedByCATDialog CATDlgSeparator : public CATDialog {
 public:
  CATDlgSeparator(CATDialog* parent, const CATString& name, CATDlgStyle style = 0);
  ~CATDlgSeparator() override;

  const char* GetKindName() const override { return "Separator"; }

 protected:
  void DescribeState(std::string& line) const override;
};

#endif
