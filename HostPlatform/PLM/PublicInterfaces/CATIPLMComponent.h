#ifndef CATIPLMComponent_h
#define CATIPLMComponent_h
// A PLM object loaded in the session (reference, instance, representation, bookmark, folder). Components
// also answer CATICkeObject (knowledge attributes) and CATIAlias (the name shown for them).
#include "CATIAdpPLMIdentificator.h"

CATDeclareIID(CATIPLMComponent);

class ExportedByCATPLMServices CATIPLMComponent : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIPLMComponent);
  virtual HRESULT GetAdpID(CATIAdpPLMIdentificator_var& oId) = 0;
};
CATDeclareHandler(CATIPLMComponent);

#endif
