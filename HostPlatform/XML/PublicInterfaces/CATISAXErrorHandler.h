#ifndef CATISAXErrorHandler_h
#define CATISAXErrorHandler_h
// Receives parse errors. The stand-in parser stops at the first error and reports it through FatalError
// (1-based line and column, columns counted in characters); Warning and Error are not produced.
#include "CATBaseUnknown.h"
#include "CATUnicodeString.h"
#include "CATXMLParserItfExport.h"

CATDeclareIID(CATISAXErrorHandler);

class ExportedByCATXMLParserItf CATISAXErrorHandler : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATISAXErrorHandler);
  virtual HRESULT Warning(const CATUnicodeString& iMessage, const CATUnicodeString& iSystemId, int iLine,
                          int iColumn) = 0;
  virtual HRESULT Error(const CATUnicodeString& iMessage, const CATUnicodeString& iSystemId, int iLine,
                        int iColumn) = 0;
  virtual HRESULT FatalError(const CATUnicodeString& iMessage, const CATUnicodeString& iSystemId, int iLine,
                             int iColumn) = 0;
};
CATDeclareHandler(CATISAXErrorHandler);

#endif
