#include "ZELGlobal.h"

#include "CATApplication.h"
#include "CATDlgDialog.h"
#include "CATDlgNotify.h"
#include "CATLib.h"
#include "CATMsgCatalog.h"
#include "CATRscCatalog.h"
#include "ZELDebug.h"

ZELModule ZELGlobal::s_eModule = ZELModuleUnknown;

namespace {
// The module-missing box: a warning with one OK button.
constexpr CATDlgStyle kModuleMissingStyle = 0x10100000UL;

bool HasModule(ZELModule module) {
  return module == ZELModuleTeamcenter || module == ZELModuleAras || module == ZELModuleCIMDatabase;
}
}  // namespace

ZELModule ZELGlobal::GetZELModule() {
  if (s_eModule != ZELModuleUnknown) return s_eModule;
  ZEL_DEBUG_SCOPE("ZELGlobal::GetZELModule");
  const char* value = CATGetEnv("ZEL_MODULE");
  CATUnicodeString module(value ? value : "");
  if (module.Compare("VBO")) {
    s_eModule = ZELModuleTeamcenter;
  } else if (module.Compare("WUR")) {
    s_eModule = ZELModuleAras;
  } else if (module.Compare("PYX")) {
    s_eModule = ZELModuleCIMDatabase;
  } else {
    ZEL_FAILURE_POINT();
    s_eModule = ZELModuleMissing;
    if (CATApplication* app = CATApplication::MainApplication()) ShowModuleMissing(app, 0, nullptr);
  }
  return s_eModule;
}

const char* ZELGlobal::GetZELModulePrefix() {
  switch (s_eModule == ZELModuleUnknown ? GetZELModule() : s_eModule) {
    case ZELModuleTeamcenter:
      return "VBO";
    case ZELModuleAras:
      return "WUR";
    case ZELModuleCIMDatabase:
      return "PYX";
    default:
      return "";
  }
}

CATString ZELGlobal::AddPrefixToResorceName(CATString resourceName) {
  ZEL_DEBUG_SCOPE("ZELGlobal::AddPrefixToResorceName");
  return CATString(GetZELModulePrefix()) + resourceName;
}

CATUnicodeString ZELGlobal::BuildMessage(CATString catalog, CATString key, CATUnicodeString* params,
                                         int paramCount, CATUnicodeString fallback) {
  ZEL_DEBUG_SCOPE("ZELGlobal::BuildMessage");
  if (fallback.IsNull()) fallback = CATUnicodeString(catalog) + " " + CATUnicodeString(key);
  // Common catalog first, then the edition's catalog over it.
  fallback = CATMsgCatalog::BuildMessage(CATString("ZEL") + catalog, key, params, paramCount, fallback);
  CATString moduleCatalog = catalog;
  if (HasModule(s_eModule)) moduleCatalog = CATString(GetZELModulePrefix()) + catalog;
  return CATMsgCatalog::BuildMessage(moduleCatalog, key, params, paramCount, fallback);
}

CATString ZELGlobal::BuildResource(const CATString& catalog, const CATString& key, CATString* params,
                                   int paramCount, const char* fallback) {
  ZEL_DEBUG_SCOPE("ZELGlobal::BuildResource");
  if (HasModule(s_eModule)) {
    CATString found = CATRscCatalog::BuildResource(CATString(GetZELModulePrefix()) + catalog, key, params,
                                                   paramCount, nullptr);
    if (!found.IsNull()) return found;
  }
  return CATRscCatalog::BuildResource(catalog, key, params, paramCount, fallback);
}

void ZELGlobal::SetDialogStandardMessages(CATDlgDialog* dialog, const CATString& catalog) {
  ZEL_DEBUG_SCOPE("ZELGlobal::SetDialogStandardMessages");
  if (!dialog || catalog.IsNull()) {
    ZEL_FAILURE_POINT();
    return;
  }
  CATUnicodeString text = BuildMessage(catalog, "Title", nullptr, 0, CATUnicodeString());
  if (!text.IsNull()) dialog->SetTitle(text);
  text = BuildMessage(catalog, "Help", nullptr, 0, CATUnicodeString());
  if (!text.IsNull()) dialog->SetHelp(text);
  text = BuildMessage(catalog, "ShortHelp", nullptr, 0, CATUnicodeString());
  if (!text.IsNull()) dialog->SetShortHelp(text);
  text = BuildMessage(catalog, "LongHelp", nullptr, 0, CATUnicodeString());
  if (!text.IsNull()) dialog->SetLongHelp(text);
}

void ZELGlobal::ShowModuleMissing(CATCommand* command, int, void* clientData) {
  ZEL_DEBUG_SCOPE("ZELGlobal::ShowModuleMissing");
  CATUnicodeString title = BuildMessage("Global", "MsgTitle", nullptr, 0, "ZELGlobal MsgTitle");
  CATUnicodeString text = BuildMessage("Global", "ModuleMissing", nullptr, 0, "ZELGlobal ModuleMissing");
  CATApplication* app = CATApplication::MainApplication();
  CATDlgNotify* box = new CATDlgNotify(app, "ZELWarning", kModuleMissingStyle);
  int answer = box->DisplayBlocked(text, title);
  box->Release();
  if (!app) return;
  if (answer == 1)
    app->RemoveTimeOut(command);
  else
    app->AddTimeOut(1000, command, clientData, &ZELGlobal::ShowModuleMissing);
}

unsigned char ZELGlobal::ShowToolbar() {
  ZEL_DEBUG_SCOPE("ZELGlobal::ShowToolbar");
  if (CATApplication* app = CATApplication::MainApplication()) {
    const char* additional = CATGetEnv("ZEL_ADDITIONAL_APPLICATION");
    const std::vector<std::string>& args = app->GetArgs();
    const std::string first = args.empty() ? std::string() : args.front();
    bool known = !args.empty() && (first == "cnext" || first == "3DEXPERIENCE" ||
                                   (additional && *additional && first == additional));
    if (!known) {
      ZEL_DETAIL("No ZEL in Appication:  ", first);
      return 0;
    }
  }
  if (GetZELModule() == ZELModuleMissing) {
    ZEL_FAILURE_POINT();
    return 0;
  }
  return 1;
}
