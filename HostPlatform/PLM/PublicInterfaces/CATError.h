#ifndef CATError_h
#define CATError_h
// The platform's last error: the code and message of the most recent failure reported on this thread.
#include "CATBaseUnknown.h"
#include "CATPLMServicesExport.h"
#include "CATUnicodeString.h"

CATDeclareIID(CATError);

class ExportedByCATPLMServices CATError : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATError);
  CATError(HRESULT iCode, const CATUnicodeString& iMessage) : code_(iCode), message_(iMessage) {}
  HRESULT GetCode() const { return code_; }
  CATUnicodeString GetNLSMessage() const { return message_; }

  // The last error when it was reported with iCode: a new object the caller releases, else null.
  static CATError* CATGetLastError(HRESULT iCode);
  static void CATSetLastError(HRESULT iCode, const CATUnicodeString& iMessage);
  static void CATCleanLastError();

 private:
  HRESULT code_;
  CATUnicodeString message_;
};

#endif
