#ifndef CATIAdpPLMErrorReviewer_h
#define CATIAdpPLMErrorReviewer_h
// Collects the errors of the PLM operations it is handed to (query, open, save), in the order they occur.
#include "CATBaseUnknown.h"
#include "CATPLMServicesExport.h"
#include "CATUnicodeString.h"

CATDeclareIID(CATIAdpPLMErrorReviewer);

class ExportedByCATPLMServices CATIAdpPLMErrorReviewer : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIAdpPLMErrorReviewer);
  virtual int GetNbErrors() = 0;
  // 1-based; E_FAIL outside 1..GetNbErrors().
  virtual HRESULT GetErrorMessage(int iIndex, CATUnicodeString& oMessage) = 0;
  virtual void AddError(const CATUnicodeString& iMessage) = 0;
  virtual void Clear() = 0;
};
CATDeclareHandler(CATIAdpPLMErrorReviewer);

#endif
