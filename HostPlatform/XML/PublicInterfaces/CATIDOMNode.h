#ifndef CATIDOMNode_h
#define CATIDOMNode_h
// A node of a DOM tree. Every node handler keeps its document alive, so a node may outlive the document
// handler it came from. Two handlers of the same node need not be the same object: compare with IsSameNode.
//
// Results: S_OK on success; navigation that finds nothing (no parent, no child, no sibling) answers S_OK
// with a null handler. E_INVALIDARG for a null or foreign argument, E_FAIL for an operation the node type
// does not allow. Objects are not thread-safe: use one document from one thread at a time.
#include "CATBaseUnknown.h"
#include "CATUnicodeString.h"
#include "CATXMLParserItfExport.h"

class CATIDOMNode;
class CATIDOMNodeList;
class CATIDOMDocument;
CATDeclareHandler(CATIDOMNode);
CATDeclareHandler(CATIDOMNodeList);
CATDeclareHandler(CATIDOMDocument);

CATDeclareIID(CATIDOMNode);

class ExportedByCATXMLParserItf CATIDOMNode : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIDOMNode);

  // DOM node types, as GetNodeType answers them.
  enum {
    ELEMENT_NODE = 1,
    ATTRIBUTE_NODE = 2,
    TEXT_NODE = 3,
    CDATA_SECTION_NODE = 4,
    ENTITY_REFERENCE_NODE = 5,
    ENTITY_NODE = 6,
    PROCESSING_INSTRUCTION_NODE = 7,
    COMMENT_NODE = 8,
    DOCUMENT_NODE = 9,
    DOCUMENT_TYPE_NODE = 10,
    DOCUMENT_FRAGMENT_NODE = 11,
    NOTATION_NODE = 12
  };

  virtual HRESULT GetNodeType(unsigned short& oType) = 0;
  // Tag name of an element, name of an attribute, target of a processing instruction, name of a document
  // type; "#text", "#cdata-section", "#comment", "#document" for the others.
  virtual HRESULT GetNodeName(CATUnicodeString& oName) = 0;
  // Data of text, CDATA, comment and processing-instruction nodes, value of an attribute; empty otherwise.
  virtual HRESULT GetNodeValue(CATUnicodeString& oValue) = 0;
  // Sets what GetNodeValue reads; E_FAIL for elements, documents and document types.
  virtual HRESULT SetNodeValue(const CATUnicodeString& iValue) = 0;
  // Concatenated data of all text and CDATA descendants (the node's own data for character nodes).
  virtual HRESULT GetTextContent(CATUnicodeString& oText) = 0;

  virtual HRESULT GetParentNode(CATIDOMNode_var& oParent) = 0;
  virtual HRESULT GetFirstChild(CATIDOMNode_var& oChild) = 0;
  virtual HRESULT GetLastChild(CATIDOMNode_var& oChild) = 0;
  virtual HRESULT GetPreviousSibling(CATIDOMNode_var& oSibling) = 0;
  virtual HRESULT GetNextSibling(CATIDOMNode_var& oSibling) = 0;
  // The children in document order. The list is a snapshot taken at the call.
  virtual HRESULT GetChildNodes(CATIDOMNodeList_var& oChildren) = 0;
  virtual HRESULT HasChildNodes(CATBoolean& oHasChildren) = 0;
  // The document of the node; null for a document itself.
  virtual HRESULT GetOwnerDocument(CATIDOMDocument_var& oDocument) = 0;

  // Appends (or moves, when it already has a place) a node of the same document as the last child. A node
  // created by the document and not yet placed keeps its identity: handlers held on it and on its
  // descendants follow it into the tree. Moving a node that is in the tree under a node that is not is
  // refused (E_FAIL). A document accepts one element and comments/processing instructions, no text.
  virtual HRESULT AppendChild(const CATIDOMNode_var& iNewChild) = 0;
  // As AppendChild, placed before iRefChild (a child of this node); a null iRefChild appends.
  virtual HRESULT InsertBefore(const CATIDOMNode_var& iNewChild, const CATIDOMNode_var& iRefChild) = 0;

  // Whether both handlers stand for the same node of the same document.
  virtual HRESULT IsSameNode(const CATIDOMNode_var& iOther, CATBoolean& oSame) = 0;
};

#endif
