#ifndef CATDlgLabel_h
#define CATDlgLabel_h
// A text (its title) or an icon shown in a window.
#include "CATDialog.h"

class ExportedByCATDialog CATDlgLabel : public CATDialog {
 public:
  CATDlgLabel(CATDialog* parent, const CATString& name, CATDlgStyle style = 0);
  ~CATDlgLabel() override;

  const char* GetKindName() const override { return "Label"; }
};

#endif
