#include "ZELNamesSelectDialog.h"

#include "CATDlgCombo.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELNamedStructureCmd.h"

namespace {

// Modal, grid layout, OK only among the standard buttons the user can press.
constexpr CATDlgStyle kDialogStyle = 0x400601UL;
constexpr CATDlgStyle kComboStyle = 0x40000UL;
constexpr CATULong kComboJustification = 14UL;
constexpr int kComboWidth = 20;

}  // namespace

ZELNamesSelectDialog::ZELNamesSelectDialog(CATDialog* iParent, const CATString& iDialogName)
    : CATDlgDialog(iParent, iDialogName, kDialogStyle),
      _resourceFilename(CATString(ZELGlobal::GetZELModulePrefix()) + "AboutDialog") {}

ZELNamesSelectDialog::~ZELNamesSelectDialog() {
  _pVboNameSelector = nullptr;
  _pCommand = nullptr;
}

const char* ZELNamesSelectDialog::GetResourceFilename(int iLevel) {
  if (iLevel == 0) return _resourceFilename;
  // The platform's own lookup would name the class's resource file here.
  if (iLevel == 1) return "ZELNamesSelectDialog";
  return CATDlgDialog::GetResourceFilename(iLevel - 1);
}

void ZELNamesSelectDialog::Build() {
  ZEL_DEBUG_SCOPE("ZELNamesSelectDialog::Build");
  _pVboNameSelector = new CATDlgCombo(this, "VboNameSelector", kComboStyle);
  _pVboNameSelector->SetGridConstraints(0, 0, 1, 1, kComboJustification);
  SetGridRowResizable(0);
  SetGridColumnResizable(0);

  AddAnalyseNotificationCB(
      this, GetDiaOKNotification(),
      static_cast<CATCommandMethod>(&ZELNamesSelectDialog::ZELNamesSelectDialog_OKBtnPushed), nullptr);
  AddAnalyseNotificationCB(
      this, GetWindCloseNotification(),
      static_cast<CATCommandMethod>(&ZELNamesSelectDialog::ZELNamesSelectDialog_CancelBtnPushed), nullptr);

  ZELGlobal::SetDialogStandardMessages(this, "NamesSelectDialog");
  SetAPPLYSensitivity(CATDlgDisable);
  SetCANCELSensitivity(CATDlgDisable);
  SetCLOSESensitivity(CATDlgDisable);
  SetHELPSensitivity(CATDlgDisable);
  SetPREVIEWSensitivity(CATDlgDisable);
}

void ZELNamesSelectDialog::SetZELNames(const CATListValCATUnicodeString& iNames) {
  ZEL_DEBUG_SCOPE("ZELNamesSelectDialog::SetZELNames");
  if (!_pVboNameSelector) {
    ZEL_FAILURE_POINT();
    return;
  }
  for (int i = 1; i <= iNames.Size(); ++i) _pVboNameSelector->SetLine(iNames[i]);
  _pVboNameSelector->SetVisibleTextWidth(kComboWidth);
}

void ZELNamesSelectDialog::SetCommandData(ZELNamedStructureCmd* iCommand) {
  _pCommand = iCommand;
  _commandLife = iCommand ? iCommand->LifeToken() : std::weak_ptr<const int>();
}

ZELNamedStructureCmd* ZELNamesSelectDialog::LiveCommand() const {
  return _commandLife.expired() ? nullptr : _pCommand;
}

void ZELNamesSelectDialog::ZELNamesSelectDialog_OKBtnPushed(CATCommand*, CATNotification*,
                                                            CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELNamesSelectDialog::ZELNamesSelectDialog_OKBtnPushed");
  SetVisibility(CATDlgHide);
  const CATUnicodeString name = _pVboNameSelector ? _pVboNameSelector->GetText() : CATUnicodeString();
  ZEL_DETAIL("Vbo Name: ", name.ConvertToUTF8());
  if (ZELNamedStructureCmd* command = LiveCommand()) command->ExpandAndFilter(name);
  RequestDelayedDestruction();
}

void ZELNamesSelectDialog::ZELNamesSelectDialog_CancelBtnPushed(CATCommand*, CATNotification*,
                                                                CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELNamesSelectDialog::ZELNamesSelectDialog_CancelBtnPushed");
  SetVisibility(CATDlgHide);
  RequestDelayedDestruction();
  if (ZELNamedStructureCmd* command = LiveCommand()) command->CancelCommand();
}

void ZELNamesSelectDialog::CloseDialog() {
  ZEL_DEBUG_SCOPE("ZELNamesSelectDialog::CloseDialog");
  SetVisibility(CATDlgHide);
  RequestDelayedDestruction();
}
