#include "ZELSendContainerToPDMDialog.h"

#include "CATDlgCheckButton.h"
#include "CATDlgEditor.h"
#include "CATDlgFrame.h"
#include "CATDlgNotify.h"
#include "ZELDebug.h"
#include "ZELDialogResources.h"
#include "ZELGlobal.h"
#include "ZELTransferStructureCmd.h"

namespace {

// Grid layout, OK and Cancel.
constexpr CATDlgStyle kDialogStyle = 3585UL;
constexpr CATDlgStyle kErrorStyle = 0x10100000UL;
constexpr CATDlgStyle kInformationStyle = 0x4100000UL;

void ShowBox(CATCommand* parent, CATDlgStyle style, const CATUnicodeString& text,
             const CATUnicodeString& title) {
  CATDlgNotify* box = new CATDlgNotify(parent, "ZELError", style);
  box->DisplayBlocked(text, title);
  box->Release();
}

CATBoolean IsChecked(const CATDlgCheckButton* button) {
  return button && button->GetState() == CATDlgCheck ? TRUE : FALSE;
}

}  // namespace

ZELSendContainerToPDMDialog::ZELSendContainerToPDMDialog(CATDialog* iParent, const CATString& iDialogName,
                                                         const char* iKind, const char* iOnlyButton,
                                                         const char* iTransferType)
    : CATDlgDialog(iParent, iDialogName, kDialogStyle),
      _kind(iKind),
      _onlyButtonName(iOnlyButton),
      _transferType(iTransferType),
      _resourceFilename(CATString(ZELGlobal::GetZELModulePrefix()) + iKind),
      _commonResourceFilename(CATString("ZEL") + iKind) {}

ZELSendContainerToPDMDialog::~ZELSendContainerToPDMDialog() = default;

const char* ZELSendContainerToPDMDialog::GetResourceFilename(int iLevel) {
  // The edition's own resource file first, then the texts every edition shares.
  if (iLevel == 0) return _resourceFilename;
  if (iLevel == 1) return _commonResourceFilename;
  return CATDlgDialog::GetResourceFilename(iLevel);
}

void ZELSendContainerToPDMDialog::SetIdentToTransfer(const CATUnicodeString& iName,
                                                     const CATUnicodeString& iRevision,
                                                     const CATUnicodeString& iType,
                                                     const CATBaseUnknown_var& iComponent,
                                                     const CATListValCATUnicodeString& iDisplayNames) {
  ZEL_DEBUG_SCOPE("ZELSendContainerToPDMDialog::SetIdentToTransfer");
  _name = iName;
  _revision = iRevision;
  _type = iType;
  _spComponent = iComponent;
  _displayNames = iDisplayNames;
}

void ZELSendContainerToPDMDialog::ApplyCatalogTexts() {
  ZEL_DEBUG_SCOPE("ZELSendContainerToPDMDialog::ApplyCatalogTexts");
  ZELDialogResources::Apply(this, _commonResourceFilename);
}

void ZELSendContainerToPDMDialog::Build() {
  ZEL_DEBUG_SCOPE("ZELSendContainerToPDMDialog::Build");
  ApplyCatalogTexts();
  SetGridColumnResizable(0);

  _pSelectedComponentFrame = new CATDlgFrame(this, "SelectedComponentFrame", CATDlgGridLayout);
  _pSelectedComponentFrame->SetGridConstraints(0, 0, 1, 1, CATGRID_4SIDES);
  _pSelectedComponentFrame->SetGridColumnResizable(0);
  _pSelectedComponentEditor = new CATDlgEditor(_pSelectedComponentFrame, "SelectedComponentEditor");
  _pSelectedComponentEditor->SetGridConstraints(0, 0, 1, 1, CATGRID_4SIDES);
  CATUnicodeString shown;
  for (int i = 1; i <= _displayNames.Size(); ++i) shown += (i > 1 ? " " : "") + _displayNames[i];
  _pSelectedComponentEditor->SetText(shown);
  _pSelectedComponentEditor->SetVisibleTextWidth(40);
  _pSelectedComponentEditor->SetSensitivity(CATDlgDisable);

  _pFrame2 = new CATDlgFrame(this, "Frame2", CATDlgGridLayout);
  _pFrame2->SetGridConstraints(1, 0, 1, 1, CATGRID_4SIDES);
  _pCheckButtonForce = new CATDlgCheckButton(_pFrame2, "CheckButtonForce");
  _pCheckButtonForce->SetGridConstraints(0, 0, 1, 1, CATGRID_LEFT);
  _pCheckButtonForce->SetState(CATDlgUncheck);
  _pCheckButtonRemoveExisting = new CATDlgCheckButton(_pFrame2, "CheckButtonRemoveExisting");
  _pCheckButtonRemoveExisting->SetGridConstraints(1, 0, 1, 1, CATGRID_LEFT);
  _pCheckButtonRemoveExisting->SetState(CATDlgCheck);
  _pIncludeEffectivity = new CATDlgCheckButton(_pFrame2, "IncludeEffectivity");
  _pIncludeEffectivity->SetState(CATDlgUncheck);
  if (_bShowConfiguration) {
    _pIncludeEffectivity->SetGridConstraints(2, 0, 1, 1, CATGRID_LEFT);
  } else {
    _pIncludeEffectivity->SetGridConstraints(0, 0, 1, 1, CATGRID_LEFT);
    _pIncludeEffectivity->SetVisibility(CATDlgHide);
  }
  _pOnlyCheckButton = new CATDlgCheckButton(_pFrame2, _onlyButtonName);
  _pOnlyCheckButton->SetGridConstraints(3, 0, 1, 1, CATGRID_LEFT);
  _pOnlyCheckButton->SetState(CATDlgUncheck);
}

void ZELSendContainerToPDMDialog::ListenToButtons(CATCommandMethod iOK, CATCommandMethod iCancel) {
  AddAnalyseNotificationCB(this, GetDiaOKNotification(), iOK, nullptr);
  AddAnalyseNotificationCB(this, GetDiaCANCELNotification(), iCancel, nullptr);
  AddAnalyseNotificationCB(this, GetWindCloseNotification(), iCancel, nullptr);
}

void ZELSendContainerToPDMDialog::SendAndEnd(CATBoolean iForceButtonIsParallel) {
  ZEL_DEBUG_SCOPE("ZELSendContainerToPDMDialog::SendAndEnd");
  SetVisibility(CATDlgHide);
  const CATBoolean forceButton = IsChecked(_pCheckButtonForce);
  const CATBoolean parallel = iForceButtonIsParallel ? forceButton : FALSE;
  const CATBoolean force = iForceButtonIsParallel ? FALSE : forceButton;
  const CATBoolean removeExisting =
      IsChecked(_pCheckButtonRemoveExisting) && _pCheckButtonRemoveExisting->GetSensitivity() == CATDlgEnable;
  const CATBoolean sendConfiguration = IsChecked(_pIncludeEffectivity);
  const CATBoolean only = IsChecked(_pOnlyCheckButton);

  CATUnicodeString text;
  const HRESULT rc =
      ZELTransferStructureCmd::SendZELRequest(_name, _revision, _type, -1, parallel, force, removeExisting,
                                              sendConfiguration, only, _transferType, text);
  CATUnicodeString params[] = {_name, _revision, _type};
  auto message = [this, &params](const char* key, int count) {
    return ZELGlobal::BuildMessage(_kind, key, count ? params : nullptr, count,
                                   CATUnicodeString("ZEL") + _kind + " " + key);
  };
  const CATUnicodeString title = message("MsgTitle", 0);
  if (FAILED(rc)) {
    if (text.IsNull()) text = message("MsgSendFailed", 3);
    ShowBox(this, kErrorStyle, text, title);
  } else {
    if (text.IsNull()) text = message("MsgSendSuccess", 3);
    ShowBox(this, kInformationStyle, text, title);
  }
  RequestDelayedDestruction();
}

void ZELSendContainerToPDMDialog::End() {
  ZEL_DEBUG_SCOPE("ZELSendContainerToPDMDialog::End");
  SetVisibility(CATDlgHide);
  RequestDelayedDestruction();
}
