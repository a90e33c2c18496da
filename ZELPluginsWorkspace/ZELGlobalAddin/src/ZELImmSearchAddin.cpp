#include "ZELImmSearchAddin.h"

#include "CATInstantiateComponent.h"

HRESULT ZELImmSearchAddin::QueryInterface(const IID& iid, void** out) {
  return CATQueryInterfaceOf<I3DEXPERIENCEPlatformAddin>(this, iid, out);
}

void ZELImmSearchAddin::CreateCommands() {}

CATCmdContainer* ZELImmSearchAddin::CreateToolbars() {
  return nullptr;
}

void ZELImmSearchAddin::UpdateImmSearchAddinCommandHeader() {}

static const bool kZELImmSearchAddinRegistered =
    (CATRegisterComponent("ZELImmSearchAddinLT", []() -> CATBaseUnknown* { return new ZELImmSearchAddin(); }),
     true);
