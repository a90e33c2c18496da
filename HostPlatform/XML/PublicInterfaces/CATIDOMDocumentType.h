#ifndef CATIDOMDocumentType_h
#define CATIDOMDocumentType_h
// The DOCTYPE of a parsed document. Its internal subset is kept as written and written back unchanged,
// but never interpreted: no entity is declared, no default attribute added, nothing external is read.
#include "CATIDOMNode.h"

CATDeclareIID(CATIDOMDocumentType);

class ExportedByCATXMLParserItf CATIDOMDocumentType : public CATIDOMNode {
 public:
  CATDeclareInterfaceId(CATIDOMDocumentType);
  virtual HRESULT GetName(CATUnicodeString& oName) = 0;
};
CATDeclareHandler(CATIDOMDocumentType);

#endif
