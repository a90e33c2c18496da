#ifndef CATIDOMElement_h
#define CATIDOMElement_h
// An element. A node handler converts to an element handler (CATVar assignment queries the interface) only
// when the node is an element.
#include "CATIDOMNode.h"
#include "CATListOfCATUnicodeString.h"

CATDeclareIID(CATIDOMElement);

class ExportedByCATXMLParserItf CATIDOMElement : public CATIDOMNode {
 public:
  CATDeclareInterfaceId(CATIDOMElement);
  virtual HRESULT GetTagName(CATUnicodeString& oName) = 0;
  // The attribute's value; an absent attribute gives S_OK and an empty value (tell absence with
  // HasAttribute).
  virtual HRESULT GetAttribute(const CATUnicodeString& iName, CATUnicodeString& oValue) = 0;
  virtual HRESULT HasAttribute(const CATUnicodeString& iName, CATBoolean& oHas) = 0;
  // Adds the attribute after the existing ones, or replaces the value of an existing one in place.
  // E_INVALIDARG when the name is not an XML name or the value holds characters XML cannot carry
  // (U+0000, most C0 controls, U+FFFE, U+FFFF). An empty value is allowed.
  virtual HRESULT SetAttribute(const CATUnicodeString& iName, const CATUnicodeString& iValue) = 0;
  // S_OK also when there is no such attribute.
  virtual HRESULT RemoveAttribute(const CATUnicodeString& iName) = 0;
  // The attribute names in document order.
  virtual HRESULT GetAttributeNames(CATListOfCATUnicodeString& oNames) = 0;
  // The descendant elements (not the element itself) with that tag name, "*" for all, in document order.
  virtual HRESULT GetElementsByTagName(const CATUnicodeString& iName, CATIDOMNodeList_var& oList) = 0;
};
CATDeclareHandler(CATIDOMElement);

#endif
