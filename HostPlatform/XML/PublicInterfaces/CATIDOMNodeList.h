#ifndef CATIDOMNodeList_h
#define CATIDOMNodeList_h
// An ordered list of nodes (a snapshot: later changes of the tree do not change the list's members).
#include "CATIDOMNode.h"

CATDeclareIID(CATIDOMNodeList);

class ExportedByCATXMLParserItf CATIDOMNodeList : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIDOMNodeList);
  virtual HRESULT GetLength(unsigned int& oLength) = 0;
  // 0-based; an index at or beyond the length gives E_INVALIDARG and a null handler.
  virtual HRESULT Item(unsigned int iIndex, CATIDOMNode_var& oNode) = 0;
};

#endif
