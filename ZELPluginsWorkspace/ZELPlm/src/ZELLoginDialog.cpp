#include "ZELLoginDialog.h"

#include "CATApplication.h"
#include "CATDlgEditor.h"
#include "CATDlgLabel.h"
#include "CATDlgNotify.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELLoginData.h"
#include "ZELPlmCommands.h"
#include "ZELPlmDialogResources.h"

namespace {

constexpr CATDlgStyle kDialogStyle = 0xE01UL;
constexpr CATDlgStyle kWarningStyle = 0x8100000UL;
constexpr int kEditorWidth = 20;

CATUnicodeString Message(const char* catalog, const char* key, const char* fallbackCatalog) {
  return ZELGlobal::BuildMessage(catalog, key, nullptr, 0, CATUnicodeString(fallbackCatalog) + " " + key);
}

void ShowWarning(const CATUnicodeString& text) {
  ZEL_DETAIL(text.ConvertToUTF8());
  CATDlgNotify* box = new CATDlgNotify(CATApplication::MainApplication(), "ZELWarning", kWarningStyle);
  box->DisplayBlocked(text, Message("LoginDialog", "MsgTitle", "ZELLoginDialog"));
  box->Release();
}

}  // namespace

ZELLoginDialog::ZELLoginDialog(CATDialog* iParent, const CATString& iDialogName)
    : CATDlgDialog(iParent, iDialogName, kDialogStyle),
      _resourceFilename(CATString(ZELGlobal::GetZELModulePrefix()) + "LoginDialog") {}

ZELLoginDialog::~ZELLoginDialog() = default;

const char* ZELLoginDialog::GetResourceFilename(int iLevel) {
  if (iLevel == 0) return _resourceFilename;
  // The platform's own lookup would name the class's resource file here.
  if (iLevel == 1) return "ZELLoginDialog";
  return CATDlgDialog::GetResourceFilename(iLevel - 1);
}

void ZELLoginDialog::Build() {
  ZEL_DEBUG_SCOPE("ZELLoginDialog::Build");
  _pUserLabel = new CATDlgLabel(this, "TC_user_label");
  _pUserLabel->SetGridConstraints(0, 0, 1, 1, CATGRID_LEFT);
  _pUserEditor = new CATDlgEditor(this, "TC_user_editor");
  _pUserEditor->SetGridConstraints(0, 1, 1, 1, CATGRID_4SIDES);
  _pUserEditor->SetVisibleTextWidth(kEditorWidth);
  _pPasswordLabel = new CATDlgLabel(this, "TC_password_label");
  _pPasswordLabel->SetGridConstraints(1, 0, 1, 1, CATGRID_LEFT);
  _pPasswordEditor = new CATDlgEditor(this, "TC_password_editor", CATDlgEdtPassword);
  _pPasswordEditor->SetGridConstraints(1, 1, 1, 1, CATGRID_4SIDES);
  _pGroupLabel = new CATDlgLabel(this, "TC_group_label");
  _pGroupLabel->SetGridConstraints(2, 0, 1, 1, CATGRID_LEFT);
  _pRoleLabel = new CATDlgLabel(this, "TC_role_label");
  _pRoleLabel->SetGridConstraints(3, 0, 1, 1, CATGRID_LEFT);
  _pGroupEditor = new CATDlgEditor(this, "TC_group_editor");
  _pGroupEditor->SetGridConstraints(2, 1, 1, 1, CATGRID_4SIDES);
  _pRoleEditor = new CATDlgEditor(this, "TC_role_editor");
  _pRoleEditor->SetGridConstraints(3, 1, 1, 1, CATGRID_4SIDES);

  const CATCommandMethod cancel = static_cast<CATCommandMethod>(&ZELLoginDialog::OnCancel);
  AddAnalyseNotificationCB(this, GetDiaCANCELNotification(), cancel, nullptr);
  AddAnalyseNotificationCB(this, GetWindCloseNotification(), cancel, nullptr);
  AddAnalyseNotificationCB(this, GetDiaOKNotification(), static_cast<CATCommandMethod>(&ZELLoginDialog::OnOK),
                           nullptr);

  ZELPlmDialogResources::Apply(this, "LoginDialog");

  SetAPPLYSensitivity(CATDlgDisable);
  SetCLOSESensitivity(CATDlgDisable);
  SetHELPSensitivity(CATDlgDisable);
  SetPREVIEWSensitivity(CATDlgDisable);
  SetGridColumnResizable(1);

  _pUserEditor->SetText(ZELLoginData::GetUser());
  _pPasswordEditor->SetText(ZELLoginData::GetPassword());
  if (ZELGlobal::GetZELModule() == ZELModuleTeamcenter) {
    _pGroupEditor->SetText(ZELLoginData::GetGroup());
    _pRoleEditor->SetText(ZELLoginData::GetRole());
  } else {
    // The other PDM systems know no group or role at login.
    _pGroupLabel->SetVisibility(CATDlgHide);
    _pRoleLabel->SetVisibility(CATDlgHide);
    _pGroupEditor->SetVisibility(CATDlgHide);
    _pRoleEditor->SetVisibility(CATDlgHide);
  }
  if (!ZELLoginData::GetUser().IsNull()) SetFocusOn(_pPasswordEditor);
}

void ZELLoginDialog::OnOK(CATCommand*, CATNotification*, CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELLoginDialog::OnOK");
  SetVisibility(CATDlgHide);
  const bool teamcenter = ZELGlobal::GetZELModule() == ZELModuleTeamcenter;
  const CATUnicodeString user = _pUserEditor->GetText();
  const CATUnicodeString password = _pPasswordEditor->GetText();
  const CATUnicodeString group = teamcenter ? _pGroupEditor->GetText() : CATUnicodeString();
  const CATUnicodeString role = teamcenter ? _pRoleEditor->GetText() : CATUnicodeString();
  const long rc = ZELPlmCommands::DoLogin(user, password, group, role);
  if (rc < 0) {
    ZEL_FAILURE_POINT();
    ShowWarning(ZELGlobal::BuildMessage("Global", "ServerRequestFailed", nullptr, 0,
                                        "ZELLoginDialog ServerRequestFailed"));
    SetVisibility(CATDlgShow);
  } else if (rc == S_FALSE) {
    ZEL_FAILURE_POINT();
    ShowWarning(Message("LoginDialog", "MsgLoginFailed", "ZELLoginDialog"));
    SetVisibility(CATDlgShow);
  } else {
    RequestDelayedDestruction();
  }
}

void ZELLoginDialog::OnCancel(CATCommand*, CATNotification*, CATCommandClientData) {
  SetVisibility(CATDlgHide);
  RequestDelayedDestruction();
}
