#ifndef CATIAlias_h
#define CATIAlias_h
// The name shown for an object: a component's "name" attribute, else its "PLM_ExternalID".
#include "CATBaseUnknown.h"
#include "CATPLMServicesExport.h"
#include "CATUnicodeString.h"

CATDeclareIID(CATIAlias);

class ExportedByCATPLMServices CATIAlias : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIAlias);
  // Empty when the object's session has ended.
  virtual CATUnicodeString GetAlias() = 0;
};
CATDeclareHandler(CATIAlias);

#endif
