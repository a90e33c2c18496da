#ifndef CATIDOMDocument_h
#define CATIDOMDocument_h
// A document. Nodes it creates are not yet in the tree: place them with AppendChild/InsertBefore. The
// document answers QueryInterface for CATIXMLXPathFactory (an XPath evaluator over this document).
// Nodes cannot be removed from the tree (the product never needs it); attributes can.
#include "CATIDOMNode.h"

class CATIDOMElement;
class CATIDOMText;
class CATIDOMCDATASection;
class CATIDOMComment;
CATDeclareHandler(CATIDOMElement);
CATDeclareHandler(CATIDOMText);
CATDeclareHandler(CATIDOMCDATASection);
CATDeclareHandler(CATIDOMComment);

CATDeclareIID(CATIDOMDocument);

class ExportedByCATXMLParserItf CATIDOMDocument : public CATIDOMNode {
 public:
  CATDeclareInterfaceId(CATIDOMDocument);
  // The root element; E_FAIL and a null handler when the document has none.
  virtual HRESULT GetDocumentElement(CATIDOMElement_var& oElement) = 0;
  // E_INVALIDARG when the name is not an XML name.
  virtual HRESULT CreateElement(const CATUnicodeString& iTagName, CATIDOMElement_var& oElement) = 0;
  // E_INVALIDARG when the data holds characters XML cannot carry.
  virtual HRESULT CreateTextNode(const CATUnicodeString& iData, CATIDOMText_var& oText) = 0;
  virtual HRESULT CreateCDATASection(const CATUnicodeString& iData, CATIDOMCDATASection_var& oSection) = 0;
  // E_INVALIDARG also for data holding "--" or ending with "-".
  virtual HRESULT CreateComment(const CATUnicodeString& iData, CATIDOMComment_var& oComment) = 0;
  // The elements of the tree with that tag name, "*" for all, in document order.
  virtual HRESULT GetElementsByTagName(const CATUnicodeString& iName, CATIDOMNodeList_var& oList) = 0;
};

#endif
