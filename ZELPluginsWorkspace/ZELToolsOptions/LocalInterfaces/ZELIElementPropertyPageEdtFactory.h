#ifndef ZELIElementPropertyPageEdtFactory_h
#define ZELIElementPropertyPageEdtFactory_h
// Makes the gateway URL page's editor for the options dialog.
#include "CATBaseUnknown.h"

CATDeclareIIDValue(ZELIElementPropertyPageEdtFactory, 0x7EAD4B27, 0x7733, 0x497D, 0xBF, 0xE4, 0xE3, 0xF1,
                   0x75, 0x74, 0xB4, 0xF5);

class ZELIElementPropertyPageEdtFactory : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(ZELIElementPropertyPageEdtFactory);
  // A new editor, queried for iid; the factory keeps no reference.
  virtual HRESULT CreateEditor(const IID& iid, void** oEditor) = 0;
  virtual int IsAType(const char* iTypeName) const = 0;
};

#endif
