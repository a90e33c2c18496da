#ifndef CATITypeDictionary_h
#define CATITypeDictionary_h
// The PLM types of the platform, by name.
#include "CATIType.h"

CATDeclareIID(CATITypeDictionary);

class ExportedByCATPLMServices CATITypeDictionary : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATITypeDictionary);
  // Names are case-sensitive; E_FAIL and a null handler for an unknown name.
  virtual HRESULT FindType(const CATUnicodeString& iName, CATIType_var& oType) = 0;
};
CATDeclareHandler(CATITypeDictionary);

#endif
