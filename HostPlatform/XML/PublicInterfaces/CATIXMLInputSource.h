#ifndef CATIXMLInputSource_h
#define CATIXMLInputSource_h
// Where a parser reads a document from: a text held in memory or a file (CATIXMLSAX2Factory creates them).
#include "CATBaseUnknown.h"
#include "CATUnicodeString.h"
#include "CATXMLParserItfExport.h"

CATDeclareIID(CATIXMLInputSource);

class ExportedByCATXMLParserItf CATIXMLInputSource : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIXMLInputSource);
  // The name used in error reports (for a file, its path).
  virtual HRESULT GetSystemId(CATUnicodeString& oSystemId) = 0;
};
CATDeclareHandler(CATIXMLInputSource);

#endif
