#ifndef ZELElementPropertyPageEdtFactory_h
#define ZELElementPropertyPageEdtFactory_h
// Makes the gateway URL page's editor; registered under "ZELElementPropertyPageEdt", which is the name the
// options dialog's dictionary gives the page.
#include "ZELIElementPropertyPageEdtFactory.h"

class ZELElementPropertyPageEdtFactory : public ZELIElementPropertyPageEdtFactory {
 public:
  ZELElementPropertyPageEdtFactory() = default;
  ZELElementPropertyPageEdtFactory(const ZELElementPropertyPageEdtFactory&) = delete;
  ZELElementPropertyPageEdtFactory& operator=(const ZELElementPropertyPageEdtFactory&) = delete;

  HRESULT QueryInterface(const IID& iid, void** out) override;
  HRESULT CreateEditor(const IID& iid, void** oEditor) override;
  int IsAType(const char* iTypeName) const override;
};

#endif
