#ifndef CATPLMOpenServicesFactory_h
#define CATPLMOpenServicesFactory_h
#include "CATIPLMOpenServices.h"

class ExportedByCATPLMServices CATPLMOpenServicesFactory {
 public:
  // The open services of the running application: the component "CATPLMOpenServices" instantiated by name.
  // E_FAIL and a null handler when no application frame provides it (a batch program, for instance).
  static HRESULT GetPLMOpenServices(CATIPLMOpenServices_var& oServices);
};

#endif
