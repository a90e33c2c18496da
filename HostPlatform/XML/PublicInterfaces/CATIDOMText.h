#ifndef CATIDOMText_h
#define CATIDOMText_h
// A text node. CDATA sections are text nodes too (CATIDOMCDATASection derives from it).
#include "CATIDOMCharacterData.h"

CATDeclareIID(CATIDOMText);

class ExportedByCATXMLParserItf CATIDOMText : public CATIDOMCharacterData {
 public:
  CATDeclareInterfaceId(CATIDOMText);
};
CATDeclareHandler(CATIDOMText);

#endif
