#ifndef CATIXMLXPathFactory_h
#define CATIXMLXPathFactory_h
// XPath 1.0 over a document: obtained by QueryInterface on a CATIDOMDocument (CATIXMLXPathFactory_var
// assigned from the document handler). Names in expressions are matched as written (prefixes included);
// there is no namespace resolution and there are no variables.
#include "CATIXMLXPathResult.h"

CATDeclareIID(CATIXMLXPathFactory);

class ExportedByCATXMLParserItf CATIXMLXPathFactory : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIXMLXPathFactory);
  // Evaluates iExpression with iContext as context node (null: the document). E_INVALIDARG for an invalid
  // expression, a context node of another document, or one not placed in the tree.
  virtual HRESULT Evaluate(const CATUnicodeString& iExpression, const CATIDOMNode_var& iContext,
                           CATIXMLXPathResult_var& oResult) = 0;
};
CATDeclareHandler(CATIXMLXPathFactory);

#endif
