#include "ZELSendToPDMDialog.h"

#include "CATAdpSaver.h"
#include "CATDlgCheckButton.h"
#include "CATDlgEditor.h"
#include "CATDlgFrame.h"
#include "CATDlgNotify.h"
#include "CATDlgRadioButton.h"
#include "CATIPLMComponent.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELTransferStructureCmd.h"

namespace {

// Grid layout, OK and Cancel.
constexpr CATDlgStyle kDialogStyle = 3585UL;
constexpr CATDlgStyle kErrorStyle = 0x10100000UL;
constexpr CATDlgStyle kInformationStyle = 0x4100000UL;
// The deepest level a user may ask for; deeper structures go with "All".
constexpr int kMaxExpandDepth = 999;

CATUnicodeString Message(const char* key, CATUnicodeString* params = nullptr, int count = 0) {
  return ZELGlobal::BuildMessage("SendToPDMDialog", key, params, count,
                                 CATUnicodeString("ZELSendToPDMDialog ") + key);
}

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

ZELSendToPDMDialog::ZELSendToPDMDialog(CATDialog* iParent, const CATString& iDialogName)
    : CATDlgDialog(iParent, iDialogName, kDialogStyle),
      _resourceFilename(CATString(ZELGlobal::GetZELModulePrefix()) + "SendToPDMDialog") {}

ZELSendToPDMDialog::~ZELSendToPDMDialog() = default;

const char* ZELSendToPDMDialog::GetResourceFilename(int iLevel) {
  // The edition's own resource file first, then the texts every edition shares.
  if (iLevel == 0) return _resourceFilename;
  if (iLevel == 1) return "ZELSendToPDMDialog";
  return CATDlgDialog::GetResourceFilename(iLevel);
}

void ZELSendToPDMDialog::SetIdentToTransfer(const CATUnicodeString& iName, const CATUnicodeString& iRevision,
                                            const CATUnicodeString& iType,
                                            const CATBaseUnknown_var& iComponent,
                                            const CATListValCATUnicodeString& iDisplayNames) {
  ZEL_DEBUG_SCOPE("ZELSendToPDMDialog::SetIdentToTransfer");
  _name = iName;
  _revision = iRevision;
  _type = iType;
  _spComponent = iComponent;
  _displayNames = iDisplayNames;
}

void ZELSendToPDMDialog::Build() {
  ZEL_DEBUG_SCOPE("ZELSendToPDMDialog::Build");
  SetGridColumnResizable(0);

  _pSelectedComponentFrame = new CATDlgFrame(this, "SelectedComponentFrame", CATDlgGridLayout);
  _pSelectedComponentFrame->SetGridConstraints(0, 0, 1, 1, CATGRID_4SIDES);
  _pSelectedComponentFrame->SetGridColumnResizable(0);
  _pSelectedComponentDisplay = new CATDlgEditor(_pSelectedComponentFrame, "SelectedComponentDisplay");
  _pSelectedComponentDisplay->SetGridConstraints(0, 0, 1, 1, CATGRID_4SIDES);
  CATUnicodeString shown;
  for (int i = 1; i <= _displayNames.Size(); ++i) shown += (i > 1 ? " " : "") + _displayNames[i];
  _pSelectedComponentDisplay->SetText(shown);
  _pSelectedComponentDisplay->SetVisibleTextWidth(40);
  _pSelectedComponentDisplay->SetSensitivity(CATDlgDisable);

  _pFrame1 = new CATDlgFrame(this, "Frame1", CATDlgGridLayout);
  _pFrame1->SetGridConstraints(1, 0, 1, 1, CATGRID_4SIDES);
  _pRadioButtonAll = new CATDlgRadioButton(_pFrame1, "RadioButtonAll");
  _pRadioButtonAll->SetGridConstraints(0, 0, 1, 1, CATGRID_LEFT);
  _pRadioButtonNone = new CATDlgRadioButton(_pFrame1, "RadioButtonNone");
  _pRadioButtonNone->SetGridConstraints(1, 0, 1, 1, CATGRID_LEFT);
  _pRadioButtonSelect = new CATDlgRadioButton(_pFrame1, "RadioButtonSelect");
  _pRadioButtonSelect->SetGridConstraints(2, 0, 1, 1, CATGRID_LEFT);
  _pExpandDepth = new CATDlgEditor(_pFrame1, "expandDepth", CATDlgEdtInteger);
  _pExpandDepth->SetGridConstraints(2, 1, 1, 1, CATGRID_LEFT);
  _pExpandDepth->SetIntegerRange(0, kMaxExpandDepth);
  _pExpandDepth->SetIntegerValue(2);
  _pExpandDepth->SetSensitivity(CATDlgDisable);
  _pTransferSubStructures = new CATDlgCheckButton(_pFrame1, "transferSubStructures");
  _pTransferSubStructures->SetGridConstraints(3, 0, 1, 2, CATGRID_LEFT);
  _pTransferSubStructures->SetState(CATDlgUncheck);
  _pTransferSubStructures->SetSensitivity(CATDlgDisable);
  _pRadioButtonAll->SetState(CATDlgCheck);

  _pFrame2 = new CATDlgFrame(this, "Frame2", CATDlgGridLayout);
  _pFrame2->SetGridConstraints(2, 0, 1, 1, CATGRID_4SIDES);
  _pCheckButtonForce = new CATDlgCheckButton(_pFrame2, "CheckButtonForce");
  _pCheckButtonForce->SetGridConstraints(0, 0, 1, 1, CATGRID_LEFT);
  _pCheckButtonForce->SetState(CATDlgUncheck);
  _pCheckButtonRemoveExisting = new CATDlgCheckButton(_pFrame2, "CheckButtonRemoveExisting");
  _pCheckButtonRemoveExisting->SetGridConstraints(1, 0, 1, 1, CATGRID_LEFT);
  _pCheckButtonRemoveExisting->SetState(CATDlgCheck);
  _pSaveBeforeCB = new CATDlgCheckButton(_pFrame2, "SaveBeforeCB");
  _pSaveBeforeCB->SetGridConstraints(2, 0, 1, 1, CATGRID_LEFT);
  if (_bSaveAllowed) {
    _pSaveBeforeCB->SetState(CATDlgCheck);
  } else {
    // A navigation window shows the stored objects: there is nothing of the session to save.
    _pSaveBeforeCB->SetState(CATDlgUncheck);
    _pSaveBeforeCB->SetSensitivity(CATDlgDisable);
  }
  _pIncludeEffectivity = new CATDlgCheckButton(_pFrame2, "IncludeEffectivity");
  _pIncludeEffectivity->SetState(CATDlgUncheck);
  if (_bShowConfiguration) {
    _pIncludeEffectivity->SetGridConstraints(3, 0, 1, 1, CATGRID_LEFT);
  } else {
    _pIncludeEffectivity->SetGridConstraints(0, 0, 1, 1, CATGRID_LEFT);
    _pIncludeEffectivity->SetVisibility(CATDlgHide);
  }

  SetAPPLYSensitivity(CATDlgDisable);
  SetCLOSESensitivity(CATDlgDisable);
  SetHELPSensitivity(CATDlgDisable);
  SetPREVIEWSensitivity(CATDlgDisable);

  AddAnalyseNotificationCB(this, GetDiaOKNotification(),
                           static_cast<CATCommandMethod>(&ZELSendToPDMDialog::ZELSendToPDMDialog_OKBtnPushed),
                           nullptr);
  const CATCommandMethod cancel =
      static_cast<CATCommandMethod>(&ZELSendToPDMDialog::ZELSendToPDMDialog_CancelBtnPushed);
  AddAnalyseNotificationCB(this, GetDiaCANCELNotification(), cancel, nullptr);
  AddAnalyseNotificationCB(this, GetWindCloseNotification(), cancel, nullptr);
  AddAnalyseNotificationCB(
      _pRadioButtonAll, _pRadioButtonAll->GetRadBModifyNotification(),
      static_cast<CATCommandMethod>(&ZELSendToPDMDialog::RadioButtonAll_CheckStateChanged), nullptr);
  AddAnalyseNotificationCB(
      _pRadioButtonNone, _pRadioButtonNone->GetRadBModifyNotification(),
      static_cast<CATCommandMethod>(&ZELSendToPDMDialog::RadioButtonNone_CheckStateChanged), nullptr);
  AddAnalyseNotificationCB(
      _pRadioButtonSelect, _pRadioButtonSelect->GetRadBModifyNotification(),
      static_cast<CATCommandMethod>(&ZELSendToPDMDialog::RadioButtonSelect_CheckStateChanged), nullptr);
}

void ZELSendToPDMDialog::RadioButtonAll_CheckStateChanged(CATCommand*, CATNotification*,
                                                          CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELSendToPDMDialog::RadioButtonAll_CheckStateChanged");
  HandleRadioButtonCheckStateChanged();
}

void ZELSendToPDMDialog::RadioButtonNone_CheckStateChanged(CATCommand*, CATNotification*,
                                                           CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELSendToPDMDialog::RadioButtonNone_CheckStateChanged");
  HandleRadioButtonCheckStateChanged();
}

void ZELSendToPDMDialog::RadioButtonSelect_CheckStateChanged(CATCommand*, CATNotification*,
                                                             CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELSendToPDMDialog::RadioButtonSelect_CheckStateChanged");
  HandleRadioButtonCheckStateChanged();
}

void ZELSendToPDMDialog::HandleRadioButtonCheckStateChanged() {
  ZEL_DEBUG_SCOPE("ZELSendToPDMDialog::HandleRadioButtonCheckStateChanged");
  if (_pRadioButtonSelect->GetState() == CATDlgCheck) {
    _pExpandDepth->SetSensitivity(CATDlgEnable);
    _pTransferSubStructures->SetSensitivity(CATDlgEnable);
  } else {
    _pExpandDepth->SetSensitivity(CATDlgDisable);
    _pTransferSubStructures->SetSensitivity(CATDlgDisable);
    _pTransferSubStructures->SetState(CATDlgUncheck, 0);
  }
}

HRESULT ZELSendToPDMDialog::SaveComponent() {
  ZEL_DEBUG_SCOPE("ZELSendToPDMDialog::SaveComponent");
  CATIPLMComponent_var component(_spComponent);
  if (component == NULL_var) return S_OK;
  CATListValCATBaseUnknown_var objects;
  objects.Append(_spComponent);
  const HRESULT rc = CATAdpSaver::Save(objects);
  if (FAILED(rc)) ZEL_FAILURE_POINT();
  return rc;
}

void ZELSendToPDMDialog::ZELSendToPDMDialog_OKBtnPushed(CATCommand*, CATNotification*, CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELSendToPDMDialog::ZELSendToPDMDialog_OKBtnPushed");
  SetVisibility(CATDlgHide);

  int level = -1;
  if (_pRadioButtonSelect->GetState() == CATDlgCheck)
    level = _pExpandDepth->GetIntegerValue();
  else if (_pRadioButtonNone->GetState() == CATDlgCheck)
    level = 0;
  const CATBoolean parallel = IsChecked(_pTransferSubStructures);
  const CATBoolean force = IsChecked(_pCheckButtonForce);
  const CATBoolean removeExisting =
      IsChecked(_pCheckButtonRemoveExisting) && _pCheckButtonRemoveExisting->GetSensitivity() == CATDlgEnable;
  const CATBoolean saveBefore = IsChecked(_pSaveBeforeCB);
  const CATBoolean sendConfiguration = IsChecked(_pIncludeEffectivity);

  CATUnicodeString params[] = {_name, _revision, _type};
  const CATUnicodeString title = Message("MsgTitle");
  if (saveBefore && FAILED(SaveComponent())) {
    ShowBox(this, kErrorStyle, Message("MsgSaveFailed", params, 3), title);
    RequestDelayedDestruction();
    return;
  }

  CATUnicodeString text;
  const HRESULT rc =
      ZELTransferStructureCmd::SendZELRequest(_name, _revision, _type, level, parallel, force, removeExisting,
                                              sendConfiguration, FALSE, "VPMReference", text);
  if (FAILED(rc)) {
    if (text.IsNull()) text = Message("MsgSendFailed", params, 3);
    ShowBox(this, kErrorStyle, text, title);
  } else {
    if (text.IsNull()) text = Message("MsgSendSuccess", params, 3);
    ShowBox(this, kInformationStyle, text, title);
  }
  RequestDelayedDestruction();
}

void ZELSendToPDMDialog::ZELSendToPDMDialog_CancelBtnPushed(CATCommand*, CATNotification*,
                                                            CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELSendToPDMDialog::ZELSendToPDMDialog_CancelBtnPushed");
  SetVisibility(CATDlgHide);
  RequestDelayedDestruction();
}
