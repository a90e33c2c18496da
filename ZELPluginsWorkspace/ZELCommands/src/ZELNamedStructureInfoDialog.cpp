#include "ZELNamedStructureInfoDialog.h"

#include "CATDlgEditor.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"

namespace {

// Modal, grid layout, Close.
constexpr CATDlgStyle kDialogStyle = 0x10000201UL;
// Read-only and multi-line.
constexpr CATDlgStyle kEditorStyle = 0x4080000UL;
constexpr CATULong kDefaultButton = 0x800000UL;
constexpr int kEditorWidth = 50;

}  // namespace

ZELNamedStructureInfoDialog::ZELNamedStructureInfoDialog(CATDialog* iParent, const CATString& iDialogName)
    : CATDlgDialog(iParent, iDialogName, kDialogStyle),
      _resourceFilename(CATString(ZELGlobal::GetZELModulePrefix()) + "AboutDialog") {}

ZELNamedStructureInfoDialog::~ZELNamedStructureInfoDialog() {
  _pMessageList = nullptr;
}

const char* ZELNamedStructureInfoDialog::GetResourceFilename(int iLevel) {
  if (iLevel == 0) return _resourceFilename;
  // The platform's own lookup would name the class's resource file here.
  if (iLevel == 1) return "ZELNamedStructureInfoDialog";
  return CATDlgDialog::GetResourceFilename(iLevel - 1);
}

void ZELNamedStructureInfoDialog::Build() {
  ZEL_DEBUG_SCOPE("ZELNamedStructureInfoDialog::Build");
  _pMessageList = new CATDlgEditor(this, "MessageList", kEditorStyle);
  _pMessageList->SetGridConstraints(0, 0, 1, 1, CATGRID_4SIDES);
  for (int row = 0; row <= 2; ++row) SetGridRowResizable(row);
  for (int column = 0; column <= 1; ++column) SetGridColumnResizable(column);

  const CATCommandMethod close =
      static_cast<CATCommandMethod>(&ZELNamedStructureInfoDialog::ZELNamedStructureInfoDialog_CloseBtnPushed);
  AddAnalyseNotificationCB(this, GetDiaCLOSENotification(), close, nullptr);
  AddAnalyseNotificationCB(this, GetWindCloseNotification(), close, nullptr);

  ZELGlobal::SetDialogStandardMessages(this, "NamedStructureInfoDialog");
  SetDefaultButton(kDefaultButton);
  SetAPPLYSensitivity(CATDlgDisable);
  SetCANCELSensitivity(CATDlgDisable);
  SetHELPSensitivity(CATDlgDisable);
  SetOKSensitivity(CATDlgDisable);
  SetPREVIEWSensitivity(CATDlgDisable);
  _pMessageList->SetBackgroundColor(255, 255, 255);
}

void ZELNamedStructureInfoDialog::AddMessages(const CATListValCATUnicodeString& iLines) {
  ZEL_DEBUG_SCOPE("ZELNamedStructureInfoDialog::AddMessages");
  if (!_pMessageList) {
    ZEL_FAILURE_POINT();
    return;
  }
  for (int i = 1; i <= iLines.Size(); ++i) _pMessageList->SetLine(iLines[i], -1);
  _pMessageList->SetVisibleTextWidth(kEditorWidth);
}

void ZELNamedStructureInfoDialog::ZELNamedStructureInfoDialog_CloseBtnPushed(CATCommand*, CATNotification*,
                                                                             CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELNamedStructureInfoDialog::ZELNamedStructureInfoDialog_CloseBtnPushed");
  CloseDialog();
}

void ZELNamedStructureInfoDialog::CloseDialog() {
  ZEL_DEBUG_SCOPE("ZELNamedStructureInfoDialog::CloseDialog");
  SetVisibility(CATDlgHide);
  RequestDelayedDestruction();
}
