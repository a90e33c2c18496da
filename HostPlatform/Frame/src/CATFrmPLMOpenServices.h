#ifndef CATFrmPLMOpenServices_h
#define CATFrmPLMOpenServices_h
// The component "CATPLMOpenServices": opens PLM components in new 3D windows of the application frame.
// It can be created only while a frame exists, so a program without one gets no open services.
#include "CATIPLMOpenServices.h"

class CATFrmPLMOpenServices : public CATIPLMOpenServices {
 public:
  HRESULT QueryInterface(const IID& iid, void** out) override;
  // E_FAIL without a frame, or for a component that cannot be a window's root (see CATFrmLayout::OpenWindow).
  HRESULT OpenInNewWindow(CATIPLMComponent* iComponent) override;
};

#endif
