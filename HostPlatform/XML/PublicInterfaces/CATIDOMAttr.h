#ifndef CATIDOMAttr_h
#define CATIDOMAttr_h
// An attribute node, as XPath expressions such as "//@id" return them. It has no parent (DOM rule); its
// element is GetOwnerElement. The handler names the attribute by its element and name: after the attribute
// is removed it reads as empty.
#include "CATIDOMNode.h"

class CATIDOMElement;
CATDeclareHandler(CATIDOMElement);

CATDeclareIID(CATIDOMAttr);

class ExportedByCATXMLParserItf CATIDOMAttr : public CATIDOMNode {
 public:
  CATDeclareInterfaceId(CATIDOMAttr);
  virtual HRESULT GetName(CATUnicodeString& oName) = 0;
  virtual HRESULT GetValue(CATUnicodeString& oValue) = 0;
  virtual HRESULT SetValue(const CATUnicodeString& iValue) = 0;
  virtual HRESULT GetOwnerElement(CATIDOMElement_var& oElement) = 0;
};
CATDeclareHandler(CATIDOMAttr);

#endif
