#ifndef CATIAdpPLMIdentificator_h
#define CATIAdpPLMIdentificator_h
// The identity of one PLM object of the session, whether or not it is loaded. The session hands out one
// identificator per database object, so the same object always gives the same (and an equal) identificator.
#include "CATIType.h"

CATDeclareIID(CATIAdpPLMIdentificator);

class ExportedByCATPLMServices CATIAdpPLMIdentificator : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIAdpPLMIdentificator);
  // Whether the object is stored in the database; false for an object created in the session and never
  // saved. E_FAIL when the object's session has ended.
  virtual HRESULT IsSaved(CATBoolean& oSaved) = 0;
  virtual HRESULT GetPLMType(CATIType_var& oType) = 0;
  // Whether both identify the same object of the same session.
  virtual CATBoolean IsEqual(CATIAdpPLMIdentificator* iOther) = 0;
};
CATDeclareHandler(CATIAdpPLMIdentificator);

#endif
