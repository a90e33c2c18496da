#ifndef CATPLMNavPropertiesAcquisition_h
#define CATPLMNavPropertiesAcquisition_h
// The agent acquiring a PLM object in the search workbench: its editor is the application frame's search
// editor, whatever window is current.
#include "CATPathElementAgent.h"

class ExportedByCATAfrFoundation CATPLMNavPropertiesAcquisition : public CATPathElementAgent {
 public:
  explicit CATPLMNavPropertiesAcquisition(const CATString& name, CATDlgEngBehavior behavior = 0);
  ~CATPLMNavPropertiesAcquisition() override;

  // The search editor, or null without an application frame.
  CATFrmEditor* GetEditor() override;
};

#endif
