// Add-ins that the frame test has the frame load by name through a dictionary, never by linking.
#include "CATCmdContainer.h"
#include "CATCommandHeader.h"
#include "CATIAfrGeneralWksAddin.h"
#include "CATIImmNavAddin.h"
#include "CATInstantiateComponent.h"
#include "I3DEXPERIENCEPlatformAddin.h"
#include "test_addin_probe.h"

namespace {

template <class Interface>
class ZELTestAddin : public Interface, public ZELITestAddinProbe {
 public:
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<Interface, ZELITestAddinProbe>(this, iid, out);
  }
  ULONG AddRef() override { return Interface::AddRef(); }
  ULONG Release() override { return Interface::Release(); }
  int CommandsCalls() const override { return commands_; }
  int ToolbarsCalls() const override { return toolbars_; }
  bool CommandsCameFirst() const override { return commandsFirst_; }
  void CreateCommands() override {
    ++commands_;
    DeclareHeaders();
  }
  CATCmdContainer* CreateToolbars() override {
    commandsFirst_ = commands_ > 0;
    ++toolbars_;
    return BuildToolbars();
  }

 protected:
  virtual void DeclareHeaders() = 0;
  virtual CATCmdContainer* BuildToolbars() { return nullptr; }

 private:
  int commands_ = 0;
  int toolbars_ = 0;
  bool commandsFirst_ = false;
};

}  // namespace

// The add-ins carry two interfaces, so the creator names the one that stands for the object.
#define ZELTestRegisterAddin(Class, Interface)                                                         \
  [[maybe_unused]] static const bool Class##_registered =                                              \
      (CATRegisterComponent(#Class,                                                                    \
                            []() -> CATBaseUnknown* { return static_cast<Interface*>(new Class()); }), \
       true);

class ZELTestGeneralAddin : public ZELTestAddin<CATIAfrGeneralWksAddin> {
 protected:
  void DeclareHeaders() override {
    CreateCmdHdrArgs("ZELTestGeneralHeader", "ZELTestAddins", "ZELTestGeneralCmd", nullptr, "ZELTestAddin",
                     "External", CATFrmUnavailable);
  }
  CATCmdContainer* BuildToolbars() override {
    CATCmdContainer* section = new CATCmdContainer("ZELTestSection");
    section->AddStarter("ZELTestStarter", "ZELTestGeneralHeader");
    CATCmdContainer* menu = new CATCmdContainer("ZELTestMenu");
    menu->AddStarter("ZELTestMenuStarter", "ZELTestGeneralHeader");
    section->AddChild(menu);
    menu->Release();
    return section;
  }
};
ZELTestRegisterAddin(ZELTestGeneralAddin, CATIAfrGeneralWksAddin)

    class ZELTestNavAddin : public ZELTestAddin<CATIImmNavAddin> {
 protected:
  void DeclareHeaders() override {
    CreateCmdHdrArgs("ZELTestNavHeader", "ZELTestAddins", "ZELTestNavCmd", nullptr, "ZELTestNavAddin",
                     "External", CATFrmAvailable);
  }
};
ZELTestRegisterAddin(ZELTestNavAddin, CATIImmNavAddin)

    class ZELTestHomeAddin : public ZELTestAddin<I3DEXPERIENCEPlatformAddin> {
 protected:
  void DeclareHeaders() override {}
};
ZELTestRegisterAddin(ZELTestHomeAddin, I3DEXPERIENCEPlatformAddin)

    // Declared as a navigation add-in but implementing no add-in interface.
    class ZELTestNotAnAddin : public CATBaseUnknown {};
CATImplementComponent(ZELTestNotAnAddin)
