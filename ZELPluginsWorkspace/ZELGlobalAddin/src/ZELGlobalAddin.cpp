#include "ZELGlobalAddin.h"

#include <new>

#include "CATAfrAccessFactory.h"
#include "CATApplication.h"
#include "CATApplicationFrame.h"
#include "CATCmdContainer.h"
#include "CATCommandHeader.h"
#include "CATFrmEditor.h"
#include "CATFrmLayout.h"
#include "CATFrmWindow.h"
#include "CATIAfrCommandHeader.h"
#include "CATInstantiateComponent.h"
#include "ZELAddinSwitch.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELIBackboneReceiverInt.h"
#include "ZELIBackboneUtil.h"
#include "ZELLoginData.h"

CATEventSubscriber* ZELGlobalAddin::s_pSubscriber = nullptr;
CATBaseUnknown* ZELGlobalAddin::s_pReceiver = nullptr;
unsigned char ZELGlobalAddin::s_bCallbacksSet = 0;

namespace {

using Switch = ZELAddinSwitchKind;
enum class Initial { Toolbar, Available, Unavailable };

struct HeaderRow {
  const char* variable;
  Switch kind;
  bool notInModule3;
  const char* id;
  bool prefixed;
  const char* library;
  const char* className;
  Initial state;
};

// The order is the order of declaration.
const HeaderRow kHeaders[] = {
    {"ZEL_ENABLE_LOGINCMD", Switch::NotOff, false, "LoginAddinHeader", false, "ZELPlm", "ZELLoginCmd",
     Initial::Toolbar},
    {"ZEL_ENABLE_QUERYINPDMCMD", Switch::NotOff, true, "QueryItemAddinHeader", false, "ZELPlm",
     "ZELQueryItemCmd", Initial::Unavailable},
    {"ZEL_ENABLE_GETLASTVERSIONCMD", Switch::NotOff, true, "GetLastVersionAddinHeader", false, "ZELPlm",
     "GetLastVersionCmd", Initial::Unavailable},
    {"ZEL_ENABLE_SHOWPDMATTRIBUTESCMD", Switch::NotOff, false, "ShowAttributesAddinHeader", false, "ZELPlm",
     "ZELShowAttributesCmd", Initial::Unavailable},
    {"ZEL_ENABLE_OPENINPDMCMD", Switch::On, false, "OpenInPdmAddinHeader", false, "ZELPlm", "ZELOpenInPdmCmd",
     Initial::Toolbar},
    {"ZEL_ENABLE_PROPERTYVIEWERCMD", Switch::On, false, "ShowPropertyViewerAddinHeader", false, "ZELCommands",
     "ZELShowPropertyViewerWindowCmd", Initial::Toolbar},
    {"ZEL_ENABLE_LOGINCMD", Switch::NotOff, false, "LogoutAddinHeader", false, "ZELPlm", "ZELLogoutCmd",
     Initial::Unavailable},
    {"ZEL_ENABLE_ABOUTCMD", Switch::NotOff, false, "AboutAddinHeader", true, "ZELCommands", "ZELAboutCmd",
     Initial::Available},
    {"ZEL_ENABLE_SETPARTNUMBERCMD", Switch::On, false, "SetPartNumberFromExtPdmAddinHeader", false,
     "ZELCommands", "SetPartNumberFromExtPdmCmd", Initial::Unavailable},
    {"ZEL_ENABLE_NAMEDSTRUCTURECMD", Switch::On, false, "NamedStructureAddinHeader", true, "ZELCommands",
     "ZELNamedStructureCmd", Initial::Unavailable},
    {"ZEL_ENABLE_COEXISTENCEADMIN", Switch::On, false, "CoexistenceAdminAddinHeader", true, "ZELCommands",
     "ZELCoexistenceAdminCmd", Initial::Toolbar},
    {"ZEL_ENABLE_TRANSFERSTRUCTURECMD", Switch::NotOff, false, "TransferStructureAddinHeader", true,
     "ZELCommands", "ZELTransferStructureCmd", Initial::Toolbar},
    {"ZEL_ENABLE_PROCESSSTATECMD", Switch::NotOff, false, "ProcessStatusAddinHeader", true, "ZELCommands",
     "ZELProcessStatusCmd", Initial::Toolbar},
};

struct StarterRow {
  const char* name;
  const char* variable;
  Switch kind;
  const char* header;
  bool prefixed;
};

// The query and last-version starters follow their switches alone, whatever the edition.
const StarterRow kStarters[] = {
    {"GlobLoginTC", "ZEL_ENABLE_LOGINCMD", Switch::NotOff, "LoginAddinHeader", false},
    {"GlobQueryItemInTC", "ZEL_ENABLE_QUERYINPDMCMD", Switch::NotOff, "QueryItemAddinHeader", false},
    {"GetLastTCPartVersion", "ZEL_ENABLE_GETLASTVERSIONCMD", Switch::NotOff, "GetLastVersionAddinHeader",
     false},
    {"ShowTCAttributes", "ZEL_ENABLE_SHOWPDMATTRIBUTESCMD", Switch::NotOff, "ShowAttributesAddinHeader",
     false},
    {"SetPartNumber", "ZEL_ENABLE_SETPARTNUMBERCMD", Switch::On, "SetPartNumberFromExtPdmAddinHeader", false},
    {"LogoutTC", "ZEL_ENABLE_LOGINCMD", Switch::NotOff, "LogoutAddinHeader", false},
    {"OpenInPdm", "ZEL_ENABLE_OPENINPDMCMD", Switch::On, "OpenInPdmAddinHeader", false},
    {"ShowPropertyViewer", "ZEL_ENABLE_PROPERTYVIEWERCMD", Switch::On, "ShowPropertyViewerAddinHeader",
     false},
    {"NamedStructure", "ZEL_ENABLE_NAMEDSTRUCTURECMD", Switch::On, "NamedStructureAddinHeader", true},
    {"CoexistenceAdmin", "ZEL_ENABLE_COEXISTENCEADMIN", Switch::On, "CoexistenceAdminAddinHeader", true},
    {"TransferStructure", "ZEL_ENABLE_TRANSFERSTRUCTURECMD", Switch::NotOff, "TransferStructureAddinHeader",
     true},
    {"ProcessStatus", "ZEL_ENABLE_PROCESSSTATECMD", Switch::NotOff, "ProcessStatusAddinHeader", true},
    {"About", "ZEL_ENABLE_ABOUTCMD", Switch::NotOff, "AboutAddinHeader", true},
};

const int kStartupPollMs = 1000;

bool Enabled(const char* variable, Switch kind, bool forcedOff = false) {
  return ZELAddinSwitchEnabled(variable, kind, forcedOff);
}

CATString HeaderId(const char* id, bool prefixed) {
  return prefixed ? ZELGlobal::AddPrefixToResorceName(id) : CATString(id);
}

}  // namespace

HRESULT ZELGlobalAddin::QueryInterface(const IID& iid, void** out) {
  return CATQueryInterfaceOf<CATIAfrGeneralWksAddin>(this, iid, out);
}

void ZELGlobalAddin::CreateCommands() {
  ZEL_DEBUG_SCOPE("ZELGlobalAddin::CreateCommands");
  const unsigned char showToolbar = ZELGlobal::ShowToolbar();
  const bool module3 = ZELGlobal::GetZELModule() == ZELModuleCIMDatabase;
  const CATString resource = ZELGlobal::AddPrefixToResorceName("GlobalAddinAB");
  for (const HeaderRow& row : kHeaders) {
    if (!Enabled(row.variable, row.kind, module3 && row.notInModule3)) continue;
    const int state = row.state == Initial::Available                ? CATFrmAvailable
                      : row.state == Initial::Toolbar && showToolbar ? CATFrmAvailable
                                                                     : CATFrmUnavailable;
    if (!CreateCmdHdrArgs(HeaderId(row.id, row.prefixed), row.library, row.className, nullptr, resource,
                          "External", state))
      ZEL_FAILURE_POINT();
  }

  if (CATApplication* application = CATApplication::MainApplication())
    application->AddTimeOut(kStartupPollMs, application, nullptr, &ZELGlobalAddin::StartupTimeOut);
  if (!s_pSubscriber) s_pSubscriber = new (std::nothrow) CATEventSubscriber();
  if (showToolbar) BringUpReceiver();
}

CATCmdContainer* ZELGlobalAddin::CreateToolbars() {
  ZEL_DEBUG_SCOPE("ZELGlobalAddin::CreateToolbars");
  CATCmdAccess* section = CATAfrAccessFactory::NewAccess("CATCmdContainer", "AfrActionBarFixedSection");
  CATCmdAccess* toolbar = CATAfrAccessFactory::NewAccess("CATCmdContainer", "CAAAfrGeneralWksTlb");
  CATCmdAccess* subMenu = CATAfrAccessFactory::NewAccess("CATCmdContainer", "SubMenu");
  if (!section || !toolbar || !subMenu || FAILED(SetAccessChild(section, toolbar)) ||
      FAILED(SetAccessChild(toolbar, subMenu))) {
    ZEL_FAILURE_POINT();
    for (CATCmdAccess* access : {subMenu, toolbar, section})
      if (access) access->Release();
    return nullptr;
  }
  CATCmdAccess* previous = nullptr;
  for (const StarterRow& row : kStarters) {
    if (!Enabled(row.variable, row.kind)) continue;
    CATCmdAccess* starter = CATAfrAccessFactory::NewAccess("CATCmdStarter", row.name);
    if (!starter) {
      ZEL_FAILURE_POINT();
      continue;
    }
    SetAccessCommand(starter, HeaderId(row.header, row.prefixed));
    if (FAILED(previous ? SetAccessNext(previous, starter) : SetAccessChild(subMenu, starter))) {
      ZEL_FAILURE_POINT();
      starter->Release();
      continue;
    }
    starter->Release();  // the container holds it
    previous = starter;
  }
  subMenu->Release();
  toolbar->Release();
  return static_cast<CATCmdContainer*>(section);
}

void ZELGlobalAddin::StartupTimeOut(CATCommand*, int, void*) {
  CATApplication* application = CATApplication::MainApplication();
  if (!CATFrmLayout::GetCurrentLayout()) {
    if (application)
      application->AddTimeOut(kStartupPollMs, application, nullptr, &ZELGlobalAddin::StartupTimeOut);
    return;
  }
  SetCallbacks();
  if (application) application->RemoveTimeOut(application, &ZELGlobalAddin::StartupTimeOut);
  UpdateCommandHeader();
}

void ZELGlobalAddin::SetCallbacks() {
  ZEL_DEBUG_SCOPE("ZELGlobalAddin::SetCallbacks");
  CATFrmLayout* layout = CATFrmLayout::GetCurrentLayout();
  if (s_bCallbacksSet || !s_pSubscriber || !layout) return;
  AddCallback(s_pSubscriber, layout, CATFrmWindow::WINDOW_DELETED()->GetKind(),
              &ZELGlobalAddin::WindowCloseCallBack, nullptr);
  for (CATNotification* kind : {CATFrmWindow::WINDOW_ACTIVATED(), CATFrmEditor::UIACTIVEOBJECT_CHANGED(),
                                CATFrmWindow::WINDOW_DEACTIVATED(), CATFrmWindow::WINDOW_RESTORED()})
    AddCallback(s_pSubscriber, layout, kind->GetKind(), &ZELGlobalAddin::WindowChangedCallBack, nullptr);
  s_bCallbacksSet = 1;
}

void ZELGlobalAddin::WindowCloseCallBack(CATEventSubscriber*, CATBaseUnknown*, CATNotification*,
                                         CATSubscriberData, CATCallback) {
  ZEL_DEBUG_SCOPE("ZELGlobalAddin::WindowCloseCallBack");
  UpdateCommandHeader();
}

void ZELGlobalAddin::WindowChangedCallBack(CATEventSubscriber*, CATBaseUnknown*, CATNotification*,
                                           CATSubscriberData, CATCallback) {
  ZEL_DEBUG_SCOPE("ZELGlobalAddin::WindowChangedCallBack");
  UpdateCommandHeader();
}

void ZELGlobalAddin::UpdateCommandHeader() {
  ZEL_DEBUG_SCOPE("ZELGlobalAddin::UpdateCommandHeader");
  const bool loggedIn = ZELLoginData::GetLoginOk() != 0;
  const bool show = ZELGlobal::ShowToolbar() != 0;
  CATString workshop;
  CATApplicationFrame* frame = CATApplicationFrame::GetFrame();
  if (frame && frame->GetApplicationDocument() && frame->GetMainWindow() &&
      frame->GetApplicationDocument() != frame->GetMainWindow())
    workshop = frame->GetCurrentWorkshop();

  SetHeaderAvailable("LoginAddinHeader", show && !loggedIn);
  SetHeaderAvailable("QueryItemAddinHeader", show && loggedIn);
  SetHeaderAvailable("GetLastVersionAddinHeader", show && loggedIn);
  SetHeaderAvailable("ShowAttributesAddinHeader", show && loggedIn);
  SetHeaderAvailable("OpenInPdmAddinHeader", show);
  SetHeaderAvailable("ShowPropertyViewerAddinHeader", show);
  SetHeaderAvailable("SetPartNumberFromExtPdmAddinHeader", show);
  SetHeaderAvailable(HeaderId("NamedStructureAddinHeader", true), show && workshop == "ImmNavWorkshop");
  SetHeaderAvailable(HeaderId("TransferStructureAddinHeader", true), show);
  SetHeaderAvailable(HeaderId("ProcessStatusAddinHeader", true), show);
  SetHeaderAvailable(HeaderId("AboutAddinHeader", true), 1);
  SetHeaderAvailable("LogoutAddinHeader", show && loggedIn);
}

void ZELGlobalAddin::SetHeaderAvailable(const CATString& id, int available) {
  ZEL_DEBUG_SCOPE("ZELGlobalAddin::SetHeaderAvailable");
  CATIAfrCommandHeader_var header = GetCmdHdr(id);
  if (header == NULL_var) return;
  if (available)
    header->BecomeAvailable();
  else
    header->BecomeUnavailable();
}

void ZELGlobalAddin::BringUpReceiver() {
  ZELIBackboneUtil* util = nullptr;
  if (FAILED(CATInstantiateComponent("ZELBackboneUtil", IID_ZELIBackboneUtil,
                                     reinterpret_cast<void**>(&util))) ||
      !util) {
    ZEL_DETAIL("ZEL: Unable to instantiate ZELBackboneUtil");
    return;
  }
  if (util->IsReceiverMissing()) {
    ZELIBackboneReceiverInt* receiver = nullptr;
    if (FAILED(CATInstantiateComponent("ZELBackboneReceiver", IID_ZELIBackboneReceiverInt,
                                       reinterpret_cast<void**>(&receiver))) ||
        !receiver) {
      ZEL_DETAIL("ZEL: Unable to instantiate BackboneReceiver");
    } else {
      // Kept for the session whatever Create says: a receiver undoes its partial set-up only when it goes,
      // so an earlier one that never came up is let go now.
      if (s_pReceiver) s_pReceiver->Release();
      s_pReceiver = receiver;
      if (FAILED(receiver->Create())) ZEL_DETAIL("ZEL: BackboneReceiver Create failed");
      if (util->IsReceiverMissing())
        ZEL_DETAIL("ZEL: Cannot initialize BackboneReceiver");
      else
        ZEL_DETAIL("ZEL: BackboneReceiver initialized");
    }
  }
  util->Release();
}

static const bool kZELGlobalAddinRegistered =
    (CATRegisterComponent("ZELGlobalAddinLT", []() -> CATBaseUnknown* { return new ZELGlobalAddin(); }),
     true);
