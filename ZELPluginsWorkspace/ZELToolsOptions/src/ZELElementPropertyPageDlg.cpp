#include "ZELElementPropertyPageDlg.h"

#include <new>

#include "CATApplication.h"
#include "CATDlgEditor.h"
#include "CATDlgLabel.h"
#include "CATDlgLock.h"
#include "CATDlgNotify.h"
#include "CATDlgPushButton.h"
#include "CATDlgToolsOptionsFrame.h"
#include "CATLib.h"
#include "HtmlRequest.h"
#include "ZELDebug.h"
#include "ZELElementPropertyPageCtl.h"
#include "ZELGlobal.h"

namespace {

constexpr CATDlgStyle kPageStyle = 0x80001UL;
constexpr CATDlgStyle kBoldLabel = 0x100000UL;
constexpr CATDlgStyle kUrlFrameStyle = 0xc0000UL;
constexpr CATDlgStyle kOkBoxStyle = 0x4100200UL;
constexpr CATDlgStyle kFailedBoxStyle = 0x10100200UL;
constexpr CATULong kFrameJustification = 8;
constexpr CATULong kInnerJustification = 2;
constexpr int kEditorWidth = 20;
const char* const kVersionLine = "Version: 3.11.0.0";
const char* const kLevelLine = "3DEXPERIENCE Level: V6R2024x";
#ifndef ZEL_NOTICE_LINE
#define ZEL_NOTICE_LINE "Copyright (c) 2026 the ZEL integration team. All rights reserved."
#endif

CATUnicodeString CheckMessage(const char* key) {
  return ZELGlobal::BuildMessage("ElementPropertyPageDlg", key, nullptr, 0, CATUnicodeString());
}

CATDlgLabel* Label(CATDialog* parent, const CATString& name, CATDlgStyle style, int row, int column) {
  CATDlgLabel* label = new CATDlgLabel(parent, name, style);
  label->SetGridConstraints(row, column, 1, 1, kInnerJustification);
  return label;
}

}  // namespace

ZELElementPropertyPageDlg::ZELElementPropertyPageDlg(CATDialog* iParent)
    : CATDlgFrame(iParent, "GeometryElementTO", kPageStyle),
      _resourceFilename(CATString(ZELGlobal::GetZELModulePrefix()) + "ElementPropertyPageDlg"),
      _pController(new (std::nothrow) ZELElementPropertyPageCtl()) {}

ZELElementPropertyPageDlg::~ZELElementPropertyPageDlg() {
  if (_pController) _pController->Release();
  _pController = nullptr;
}

const char* ZELElementPropertyPageDlg::GetResourceFilename(int iLevel) {
  if (iLevel == 0) return _resourceFilename;
  // The platform's own lookup would name the class's resource file here.
  if (iLevel == 1) return "ZELElementPropertyPageDlg";
  return CATDlgFrame::GetResourceFilename(iLevel - 1);
}

void ZELElementPropertyPageDlg::Build() {
  ZEL_DEBUG_SCOPE("ZELElementPropertyPageDlg::Build");
  if (!_pController) {
    ZEL_DETAIL("no controller: the page stays empty");
    return;
  }
  const CATString prefix = ZELGlobal::GetZELModulePrefix();
  CATDlgToolsOptionsFrame* version = new CATDlgToolsOptionsFrame(this, "ZELVersion", 0);
  version->SetIconName(prefix + "ToolsOptions" + prefix + "Logo84x84");
  version->SetGridConstraints(0, 0, 1, 1, kFrameJustification);
  Label(version, "IdHSpace1", 0, 0, 0);
  Label(version, "ZEL_3DEXPERIENCE_Module", kBoldLabel, 0, 1);
  Label(version, kVersionLine, kBoldLabel, 1, 1)->SetTitle(kVersionLine);
  Label(version, kLevelLine, kBoldLabel, 2, 1)->SetTitle(kLevelLine);
  Label(version, ZEL_NOTICE_LINE, kBoldLabel, 3, 1)->SetTitle(ZEL_NOTICE_LINE);

  CATDlgToolsOptionsFrame* options = new CATDlgToolsOptionsFrame(this, "ZELOptions", 2);
  options->SetGridConstraints(1, 0, 1, 1, kFrameJustification);
  CATSettingInfo info;
  if (FAILED(_pController->GetInfoServerUrl(info))) ZEL_FAILURE_POINT();
  CATDlgLock* lock = new CATDlgLock(options, "IdServerUrl", 0);
  lock->SetGridConstraints(0, 0, 1, 1, kInnerJustification);
  lock->SetLocked(info.locked);

  CATDlgFrame* urlFrame = new CATDlgFrame(options, "IdServerUrlFrame", kUrlFrameStyle);
  urlFrame->SetGridConstraints(0, 1, 1, 1, kInnerJustification);
  Label(urlFrame, "IdHspace1", 0, 0, 0);
  Label(urlFrame, "IdServerUrlLabel", 0, 0, 1);
  Label(urlFrame, "IdHspace2", 0, 0, 2);
  _pServerUrlEditor = new CATDlgEditor(urlFrame, "IdServerUrlEditor", 0);
  _pServerUrlEditor->SetGridConstraints(0, 3, 1, 1, kInnerJustification);
  _pServerUrlEditor->SetSensitivity(CATDlgEnable);
  _pServerUrlEditor->SetVisibleTextWidth(kEditorWidth);
  Label(urlFrame, "IdHspace3", 0, 0, 4);
  _pCheckButton = new CATDlgPushButton(urlFrame, "IdCheckButton", 0);
  _pCheckButton->SetGridConstraints(0, 5, 1, 1, kInnerJustification);

  lock->AddAssociatedDialog(_pServerUrlEditor);
  AddAnalyseNotificationCB(_pServerUrlEditor, _pServerUrlEditor->GetEditModifyNotification(),
                           static_cast<CATCommandMethod>(&ZELElementPropertyPageDlg::ServerUrlCB), nullptr);
  AddAnalyseNotificationCB(_pCheckButton, _pCheckButton->GetPushBActivateNotification(),
                           static_cast<CATCommandMethod>(&ZELElementPropertyPageDlg::ServerCheckCB), nullptr);
}

void ZELElementPropertyPageDlg::ValueSettings() {
  ZEL_DEBUG_SCOPE("ZELElementPropertyPageDlg::ValueSettings");
  if (!_pServerUrlEditor || !_pController) return;
  const char* value = CATGetEnv("ZEL_SERVER_URL");
  CATUnicodeString url(value ? value : "");
  if (url.IsNull()) {
    value = CATGetEnv("ZEL_SERVERURL");
    url = CATUnicodeString(value ? value : "");
  }
  _filling = true;
  if (!url.IsNull()) {
    // The environment wins everywhere, so the setting would change nothing.
    _pServerUrlEditor->SetText(url);
    _pServerUrlEditor->SetSensitivity(CATDlgDisable);
  } else {
    if (FAILED(_pController->GetServerUrl(url))) url = CATUnicodeString();
    _pServerUrlEditor->SetText(url);
    _pServerUrlEditor->SetSensitivity(CATDlgEnable);
  }
  _filling = false;
}

void ZELElementPropertyPageDlg::ServerUrlCB(CATCommand*, CATNotification*, CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELElementPropertyPageDlg::ServerUrlCB");
  if (_filling || !_pServerUrlEditor || !_pController) return;
  if (FAILED(_pController->SetServerUrl(_pServerUrlEditor->GetText()))) ZEL_FAILURE_POINT();
}

void ZELElementPropertyPageDlg::ServerCheckCB(CATCommand*, CATNotification*, CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELElementPropertyPageDlg::ServerCheckCB");
  const bool failed = HtmlRequest::CheckServerConnection() < 0;
  CATDlgNotify* box = new CATDlgNotify(CATApplication::MainApplication(), "ZELWarning",
                                       failed ? kFailedBoxStyle : kOkBoxStyle);
  box->DisplayBlocked(CheckMessage(failed ? "CheckServerKO" : "CheckServerOK"), CheckMessage("MsgTitle"));
  box->Release();
}
