#ifndef CATIXMLXPathResult_h
#define CATIXMLXPathResult_h
// The result of an XPath evaluation: a number, a string, a boolean or a node set.
#include "CATIDOMNodeList.h"

CATDeclareIID(CATIXMLXPathResult);

class ExportedByCATXMLParserItf CATIXMLXPathResult : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIXMLXPathResult);
  enum { NUMBER_TYPE = 1, STRING_TYPE = 2, BOOLEAN_TYPE = 3, NODE_SET_TYPE = 7 };
  virtual HRESULT GetResultType(unsigned short& oType) = 0;
  // Each getter answers E_FAIL when the result is of another type.
  virtual HRESULT GetNumberValue(double& oValue) = 0;
  virtual HRESULT GetStringValue(CATUnicodeString& oValue) = 0;
  virtual HRESULT GetBooleanValue(CATBoolean& oValue) = 0;
  // The nodes in document order (attributes as CATIDOMAttr nodes); an empty set gives an empty list.
  virtual HRESULT GetNodeList(CATIDOMNodeList_var& oList) = 0;
};
CATDeclareHandler(CATIXMLXPathResult);

#endif
