#include "ZELAboutDialog.h"

#include <cstdlib>
#include <string>

#include "CATApplication.h"
#include "CATDlgLabel.h"
#include "CATDlgNotify.h"
#include "CATDlgPushButton.h"
#include "CATDlgSeparator.h"
#include "CATLib.h"
#include "CATSysSettingRepository.h"
#include "HtmlRequest.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"

namespace {

constexpr CATDlgStyle kDialogStyle = 0x10000001UL;
constexpr CATDlgStyle kOkBoxStyle = 0x4100200UL;
constexpr CATDlgStyle kFailedBoxStyle = 0x10100200UL;
constexpr CATULong kDefaultButton = 0x800000UL;
constexpr CATULong kHide = 4;
constexpr CATULong kTopLeft = 10;
constexpr CATULong kTopAcross = 14;
const char* const kVersion = "3.11.0.0";
const char* const kPlatformLevel = "V6R2024x";
#ifndef ZEL_NOTICE_LINE
#define ZEL_NOTICE_LINE "Copyright (c) 2026 the ZEL integration team. All rights reserved."
#endif

CATUnicodeString CheckMessage(const char* key) {
  return ZELGlobal::BuildMessage("ElementPropertyPageDlg", key, nullptr, 0, CATUnicodeString());
}

CATUnicodeString NonEmptyEnv(const char* name) {
  const char* value = CATGetEnv(name);
  return CATUnicodeString(value ? value : "");
}

// The transport finds the server on its own at the time of a call; the shown URL goes first for the check, so
// a setting changed since the dialog was built cannot send the probe elsewhere.
class ScopedServerUrl {
 public:
  explicit ScopedServerUrl(const CATUnicodeString& url) {
    const char* old = std::getenv("ZEL_SERVER_URL");
    hadOld_ = old != nullptr;
    if (old) old_ = old;
    setenv("ZEL_SERVER_URL", url.ConvertToChar(), 1);
  }
  ~ScopedServerUrl() {
    if (hadOld_)
      setenv("ZEL_SERVER_URL", old_.c_str(), 1);
    else
      unsetenv("ZEL_SERVER_URL");
  }
  ScopedServerUrl(const ScopedServerUrl&) = delete;
  ScopedServerUrl& operator=(const ScopedServerUrl&) = delete;

 private:
  bool hadOld_ = false;
  std::string old_;
};

}  // namespace

ZELAboutDialog::ZELAboutDialog(CATDialog* iParent, const CATString& iDialogName)
    : CATDlgDialog(iParent, iDialogName, kDialogStyle),
      _resourceFilename(CATString(ZELGlobal::GetZELModulePrefix()) + "AboutDialog") {}

ZELAboutDialog::~ZELAboutDialog() = default;

const char* ZELAboutDialog::GetResourceFilename(int iLevel) {
  if (iLevel == 0) return _resourceFilename;
  // The platform's own lookup would name the class's resource file here.
  if (iLevel == 1) return "ZELAboutDialog";
  return CATDlgDialog::GetResourceFilename(iLevel - 1);
}

CATUnicodeString ZELAboutDialog::FindServerUrl(const char** oSource) {
  ZEL_DEBUG_SCOPE("ZELAboutDialog::FindServerUrl");
  if (oSource) *oSource = "environment";
  CATUnicodeString url = NonEmptyEnv("ZEL_SERVER_URL");
  if (url.IsNull()) url = NonEmptyEnv("ZEL_SERVERURL");
  if (!url.IsNull()) return url;
  if (oSource) *oSource = "Settings";
  if (CATSysSettingRepository* repository = CATSysSettingRepository::GetRepository("ZELOptions")) {
    if (FAILED(repository->ReadAttr("ServerUrl", url))) url = CATUnicodeString();
    repository->Release();
  }
  if (url.IsNull() && oSource) *oSource = nullptr;
  return url;
}

void ZELAboutDialog::Build() {
  ZEL_DEBUG_SCOPE("ZELAboutDialog::Build");
  _pZELVersion = new CATDlgLabel(this, "ZELVersion");
  _pZEL3DXLevel = new CATDlgLabel(this, "ZEL3DXLevel");
  _pZELIcon = new CATDlgLabel(this, "ZELIcon");
  _pZEL_Name = new CATDlgLabel(this, "ZEL_Name");
  _pZELCRString = new CATDlgLabel(this, "ZELCRString");
  _pZELVersionString = new CATDlgLabel(this, "ZELVersionString");
  _pZEL3DXLevelString = new CATDlgLabel(this, "ZEL3DXLevelString");
  _pZELCheckServerButton = new CATDlgPushButton(this, "ZELCheckServerButton");
  _pZELServerUrl = new CATDlgLabel(this, "ZELServerUrl");
  _pZELServerUrlLabel = new CATDlgLabel(this, "ZELServerUrlLabel");
  _pSeparator1 = new CATDlgSeparator(this, "Separator1");

  _pZELIcon->SetGridConstraints(0, 0, 1, 4, kTopLeft);
  _pZEL_Name->SetGridConstraints(0, 1, 1, 1, kTopLeft);
  _pZELVersion->SetGridConstraints(1, 1, 1, 1, kTopLeft);
  _pZELVersionString->SetGridConstraints(1, 2, 1, 1, kTopLeft);
  _pZEL3DXLevel->SetGridConstraints(2, 1, 1, 1, kTopLeft);
  _pZEL3DXLevelString->SetGridConstraints(2, 2, 1, 1, kTopLeft);
  _pZELCRString->SetGridConstraints(3, 1, 1, 2, kTopLeft);
  _pSeparator1->SetGridConstraints(4, 0, 1, 3, kTopAcross);
  _pZELServerUrlLabel->SetGridConstraints(5, 0, 1, 1, kTopLeft);
  _pZELServerUrl->SetGridConstraints(6, 0, 1, 3, kTopLeft);
  _pZELCheckServerButton->SetGridConstraints(7, 1, 1, 1, kTopLeft);
  SetGridColumnResizable(3);

  CATCommandMethod close = static_cast<CATCommandMethod>(&ZELAboutDialog::CloseBtnPushed);
  AddAnalyseNotificationCB(this, GetDiaCANCELNotification(), close, nullptr);
  AddAnalyseNotificationCB(this, GetDiaCLOSENotification(), close, nullptr);
  AddAnalyseNotificationCB(this, GetWindMDICloseNotification(), close, nullptr);
  AddAnalyseNotificationCB(this, GetWindCloseNotification(), close, nullptr);
  AddAnalyseNotificationCB(_pZELCheckServerButton, _pZELCheckServerButton->GetPushBActivateNotification(),
                           static_cast<CATCommandMethod>(&ZELAboutDialog::ZELCheckServerButton_Pressed),
                           nullptr);

  ZELGlobal::SetDialogStandardMessages(this, "AboutDialog");
  SetDefaultButton(kDefaultButton);
  SetAPPLYSensitivity(CATDlgDisable);
  SetCANCELSensitivity(CATDlgDisable);
  SetHELPSensitivity(CATDlgDisable);
  SetOKSensitivity(CATDlgDisable);
  SetPREVIEWSensitivity(CATDlgDisable);

  _pZELIcon->SetIconName(ZELGlobal::BuildResource("ZELAboutDialog", "ZELIcon.Icon", nullptr, 0, ""));
  _pZELVersionString->SetTitle(kVersion);
  _pZEL3DXLevelString->SetTitle(kPlatformLevel);
  _pZELCRString->SetTitle(ZEL_NOTICE_LINE);

  const char* source = nullptr;
  _serverUrl = FindServerUrl(&source);
  _pZELServerUrl->SetTitle(_serverUrl);
  if (source) {
    ZEL_DETAIL("using server url from ", source, source[0] == 'S' ? " " : "", _serverUrl.ConvertToChar());
    _pZELCheckServerButton->SetSensitivity(CATDlgEnable);
  } else {
    ZEL_DETAIL("server url not set");
    _pZELCheckServerButton->SetSensitivity(CATDlgDisable);
  }
}

void ZELAboutDialog::CloseBtnPushed(CATCommand*, CATNotification*, CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELAboutDialog::CloseBtnPushed");
  SetVisibility(kHide);
  RequestDelayedDestruction();
}

void ZELAboutDialog::ZELCheckServerButton_Pressed(CATCommand*, CATNotification*, CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELAboutDialog::ZELCheckServerButton_Pressed");
  if (_serverUrl.IsNull()) return;
  long result;
  {
    ScopedServerUrl shown(_serverUrl);
    result = HtmlRequest::CheckServerConnection();
  }
  const bool failed = result < 0;
  CATDlgNotify* box = new CATDlgNotify(CATApplication::MainApplication(), "ZELWarning",
                                       failed ? kFailedBoxStyle : kOkBoxStyle);
  box->DisplayBlocked(CheckMessage(failed ? "CheckServerKO" : "CheckServerOK"), CheckMessage("MsgTitle"));
  box->Release();
}
