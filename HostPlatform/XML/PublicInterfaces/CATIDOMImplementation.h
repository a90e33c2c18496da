#ifndef CATIDOMImplementation_h
#define CATIDOMImplementation_h
// Creates new documents.
#include "CATIDOMDocument.h"
#include "CATIDOMDocumentType.h"

CATDeclareIID(CATIDOMImplementation);

class ExportedByCATXMLParserItf CATIDOMImplementation : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIDOMImplementation);
  // A document whose root element is iQualifiedName (no root when it is empty). A non-empty namespace is
  // declared on the root ("xmlns" or "xmlns:<prefix>"); a prefix without namespace, an invalid name, or a
  // document type (not supported: pass NULL_var) give E_INVALIDARG.
  virtual HRESULT CreateDocument(const CATUnicodeString& iNamespaceURI,
                                 const CATUnicodeString& iQualifiedName,
                                 const CATIDOMDocumentType_var& iDocType, CATIDOMDocument_var& oDocument) = 0;
};
CATDeclareHandler(CATIDOMImplementation);

#endif
