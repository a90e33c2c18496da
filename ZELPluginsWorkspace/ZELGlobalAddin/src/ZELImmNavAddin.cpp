#include "ZELImmNavAddin.h"

#include "CATCommandHeader.h"
#include "CATInstantiateComponent.h"
#include "ZELAddinSwitch.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELLoginData.h"

HRESULT ZELImmNavAddin::QueryInterface(const IID& iid, void** out) {
  return CATQueryInterfaceOf<CATIImmNavAddin>(this, iid, out);
}

void ZELImmNavAddin::CreateCommands() {
  ZEL_DEBUG_SCOPE("ZELImmNavAddin::CreateCommands");
  const bool showToolbar = ZELGlobal::ShowToolbar() != 0;
  const CATString resource("ZELImmNavAddin");
  if (ZELAddinSwitchEnabled("ZEL_ENABLE_SETPARTNUMBERCMD", ZELAddinSwitchKind::On))
    CreateCmdHdrArgs("SetPartNumberFromExtPdmAddinHeader", "ZELCommands", "SetPartNumberFromExtPdmCmd",
                     nullptr, resource, "External",
                     showToolbar && ZELLoginData::GetLoginOk() ? CATFrmAvailable : CATFrmUnavailable);
  if (ZELAddinSwitchEnabled("ZEL_ENABLE_NAMEDSTRUCTURECMD", ZELAddinSwitchKind::NotOff))
    CreateCmdHdrArgs(ZELGlobal::AddPrefixToResorceName("NamedStructureAddinHeader"), "ZELCommands",
                     "ZELNamedStructureCmd", nullptr, resource, "External",
                     showToolbar ? CATFrmAvailable : CATFrmUnavailable);
  if (ZELAddinSwitchEnabled("ZEL_ENABLE_COEXISTENCEADMIN", ZELAddinSwitchKind::On))
    CreateCmdHdrArgs(ZELGlobal::AddPrefixToResorceName("CoexistenceAdminAddinHeader"), "ZELCommands",
                     "ZELCoexistenceAdminCmd", nullptr, resource, "External",
                     showToolbar ? CATFrmAvailable : CATFrmUnavailable);
}

CATCmdContainer* ZELImmNavAddin::CreateToolbars() {
  return nullptr;
}

void ZELImmNavAddin::UpdateImmNavAddinCommandHeader() {}

// The creator names the interface that stands for the object.
static const bool kZELImmNavAddinRegistered =
    (CATRegisterComponent(
         "ZELImmNavAddinLT",
         []() -> CATBaseUnknown* { return static_cast<CATIImmNavAddin*>(new ZELImmNavAddin()); }),
     true);
