#ifndef CATIDOMCDATASection_h
#define CATIDOMCDATASection_h
#include "CATIDOMText.h"

CATDeclareIID(CATIDOMCDATASection);

class ExportedByCATXMLParserItf CATIDOMCDATASection : public CATIDOMText {
 public:
  CATDeclareInterfaceId(CATIDOMCDATASection);
};
CATDeclareHandler(CATIDOMCDATASection);

#endif
