#ifndef CATIPLMOpenServices_h
#define CATIPLMOpenServices_h
// Opening a component in an editor window: a service of the application frame, which provides it as the
// component "CATPLMOpenServices" (see CATPLMOpenServicesFactory).
#include "CATIPLMComponent.h"

CATDeclareIID(CATIPLMOpenServices);

class ExportedByCATPLMServices CATIPLMOpenServices : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIPLMOpenServices);
  virtual HRESULT OpenInNewWindow(CATIPLMComponent* iComponent) = 0;
};
CATDeclareHandler(CATIPLMOpenServices);

#endif
