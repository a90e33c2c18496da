#ifndef CATISAXEntityResolver_h
#define CATISAXEntityResolver_h
// Resolver of external entities. The stand-in parser never reads external entities (nor expands any
// entity declared in a DTD), so a resolver passed to CATIXMLDOMDocumentBuilder::Parse is never called.
#include "CATIXMLInputSource.h"

CATDeclareIID(CATISAXEntityResolver);

class ExportedByCATXMLParserItf CATISAXEntityResolver : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATISAXEntityResolver);
  virtual HRESULT ResolveEntity(const CATUnicodeString& iPublicId, const CATUnicodeString& iSystemId,
                                CATIXMLInputSource_var& oSource) = 0;
};
CATDeclareHandler(CATISAXEntityResolver);

#endif
