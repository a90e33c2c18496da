// The add-in loader of the application frame.
#include <exception>
#include <iostream>

#include "CATApplicationFrame.h"
#include "CATCmdContainer.h"
#include "CATIAfrGeneralWksAddin.h"
#include "CATIImmNavAddin.h"
#include "CATInstantiateComponent.h"
#include "I3DEXPERIENCEPlatformAddin.h"

namespace {

// The three interfaces share no base beyond CATBaseUnknown, so each gets its own way to be driven.
template <class Interface>
CATCmdContainer* Run(CATBaseUnknown* object) {
  Interface* addin = static_cast<Interface*>(object);
  addin->CreateCommands();
  return addin->CreateToolbars();
}

struct AddinKind {
  const char* name;
  const IID& iid;
  CATCmdContainer* (*run)(CATBaseUnknown*);
};

const AddinKind kKinds[] = {
    {"CATIAfrGeneralWksAddin", IID_CATIAfrGeneralWksAddin, &Run<CATIAfrGeneralWksAddin>},
    {"CATIImmNavAddin", IID_CATIImmNavAddin, &Run<CATIImmNavAddin>},
    {"I3DEXPERIENCEPlatformAddin", IID_I3DEXPERIENCEPlatformAddin, &Run<I3DEXPERIENCEPlatformAddin>},
};

const AddinKind* FindKind(const char* name) {
  for (const AddinKind& kind : kKinds)
    if (std::string(kind.name) == name) return &kind;
  return nullptr;
}

}  // namespace

void CATApplicationFrame::LoadAddins() {
  const CATString workbench = GetCurrentWorkbench();
  const CATString workshop = GetCurrentWorkshop();
  if (!workbench.IsNull()) LoadAddinsOf("CATIAfrGeneralWksAddin");
  if (workshop == "ImmNavWorkshop" || workbench == "CATImmNav") LoadAddinsOf("CATIImmNavAddin");
  if (workbench == "3DEXPERIENCEPlatform") LoadAddinsOf("I3DEXPERIENCEPlatformAddin");
}

void CATApplicationFrame::LoadAddinsOf(const char* interfaceName) {
  const AddinKind* kind = FindKind(interfaceName);
  if (!kind) return;
  for (const std::string& done : addinInterfaces_)
    if (done == interfaceName) return;
  // Marked before any add-in runs: an add-in that changes the workbench must not be loaded again.
  addinInterfaces_.push_back(interfaceName);

  for (const std::string& component : CATListComponentsOfInterface(interfaceName)) {
    void* out = nullptr;
    HRESULT hr = CATInstantiateComponent(component.c_str(), kind->iid, &out);
    if (FAILED(hr) || !out) {
      std::cerr << "CATApplicationFrame: add-in " << component << " skipped: "
                << (hr == E_NOINTERFACE ? "it does not implement " : "it cannot be created as ")
                << interfaceName << std::endl;
      continue;
    }
    CATBaseUnknown* addin = static_cast<CATBaseUnknown*>(out);
    CATCmdContainer* toolbars = nullptr;
    try {
      toolbars = kind->run(addin);
    } catch (const std::exception& error) {
      std::cerr << "CATApplicationFrame: add-in " << component << " failed: " << error.what() << std::endl;
    } catch (...) {
      std::cerr << "CATApplicationFrame: add-in " << component << " failed" << std::endl;
    }
    addins_.push_back({CATString(component.c_str()), CATString(interfaceName), addin, toolbars});
  }
}
