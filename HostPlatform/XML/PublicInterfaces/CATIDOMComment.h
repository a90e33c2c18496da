#ifndef CATIDOMComment_h
#define CATIDOMComment_h
#include "CATIDOMCharacterData.h"

CATDeclareIID(CATIDOMComment);

class ExportedByCATXMLParserItf CATIDOMComment : public CATIDOMCharacterData {
 public:
  CATDeclareInterfaceId(CATIDOMComment);
};
CATDeclareHandler(CATIDOMComment);

#endif
