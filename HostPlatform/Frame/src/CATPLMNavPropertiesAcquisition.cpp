#include "CATPLMNavPropertiesAcquisition.h"

#include "CATApplicationFrame.h"

CATPLMNavPropertiesAcquisition::CATPLMNavPropertiesAcquisition(const CATString& name,
                                                               CATDlgEngBehavior behavior)
    : CATPathElementAgent(name, behavior) {}

CATPLMNavPropertiesAcquisition::~CATPLMNavPropertiesAcquisition() = default;

CATFrmEditor* CATPLMNavPropertiesAcquisition::GetEditor() {
  CATApplicationFrame* frame = CATApplicationFrame::GetFrame();
  return frame ? frame->GetSearchEditor() : nullptr;
}
