#ifndef CATIDOMCharacterData_h
#define CATIDOMCharacterData_h
// Text, CDATA sections and comments.
#include "CATIDOMNode.h"

CATDeclareIID(CATIDOMCharacterData);

class ExportedByCATXMLParserItf CATIDOMCharacterData : public CATIDOMNode {
 public:
  CATDeclareInterfaceId(CATIDOMCharacterData);
  virtual HRESULT GetData(CATUnicodeString& oData) = 0;
  // E_INVALIDARG for characters XML cannot carry (and, for comments, "--" or a final "-").
  virtual HRESULT SetData(const CATUnicodeString& iData) = 0;
  virtual HRESULT AppendData(const CATUnicodeString& iData) = 0;
  // Length in UTF-16 code units.
  virtual HRESULT GetLength(unsigned int& oLength) = 0;
};
CATDeclareHandler(CATIDOMCharacterData);

#endif
