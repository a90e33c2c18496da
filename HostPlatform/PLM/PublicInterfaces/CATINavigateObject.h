#ifndef CATINavigateObject_h
#define CATINavigateObject_h
// An object shown in a navigation tree. Its identificators are the texts displayed for it: for an
// occurrence, the reference's name (or external id when it has none) and revision, then, below the root,
// the instance's external id in parentheses.
#include "CATBaseUnknown.h"
#include "CATListOfCATUnicodeString.h"
#include "CATPLMServicesExport.h"

CATDeclareIID(CATINavigateObject);

class ExportedByCATPLMServices CATINavigateObject : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATINavigateObject);
  // Appends the texts to the list.
  virtual HRESULT GetIdentificators(CATListValCATUnicodeString& oIdentificators) = 0;
};
CATDeclareHandler(CATINavigateObject);

#endif
