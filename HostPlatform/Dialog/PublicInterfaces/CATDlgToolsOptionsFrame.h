#ifndef CATDlgToolsOptionsFrame_h
#define CATDlgToolsOptionsFrame_h
// A titled frame of an options page, grouping the controls of related settings; it may show an icon.
#include "CATDlgFrame.h"

class ExportedByCATDialog CATDlgToolsOptionsFrame : public CATDlgFrame {
 public:
  CATDlgToolsOptionsFrame(CATDialog* parent, const CATString& name, CATDlgStyle style = 0);
  ~CATDlgToolsOptionsFrame() override;

  const char* GetKindName() const override { return "ToolsOptionsFrame"; }
};

#endif
