#ifndef CATDlgFrame_h
#define CATDlgFrame_h
// A container of controls inside a window, drawn with or without a border and a title.
#include "CATDialog.h"

#define CATDlgFraNoFrame 0x00040000UL
#define CATDlgFraNoTitle 0x00080000UL

class ExportedByCATDialog CATDlgFrame : public CATDialog {
 public:
  CATDlgFrame(CATDialog* parent, const CATString& name, CATDlgStyle style = 0);
  ~CATDlgFrame() override;

  const char* GetKindName() const override { return "Frame"; }
};

#endif
