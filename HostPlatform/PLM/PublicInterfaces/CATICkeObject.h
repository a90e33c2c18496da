#ifndef CATICkeObject_h
#define CATICkeObject_h
// An object carrying knowledge attributes. The attributes are read, written and listed through
// CATCkeObjectAttrReadServices, CATCkeObjectAttrWriteServices and CATCkePLMNavPublicServices.
#include "CATBaseUnknown.h"
#include "CATPLMServicesExport.h"

CATDeclareIID(CATICkeObject);

class ExportedByCATPLMServices CATICkeObject : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATICkeObject);
};
CATDeclareHandler(CATICkeObject);

#endif
