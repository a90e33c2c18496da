#include "ZELPropertyViewerDialog.h"

#include "CATDlgEditor.h"
#include "ZELDebug.h"
#include "ZELDialogResources.h"

namespace {

constexpr CATDlgStyle kDialogStyle = 0x10020001UL;
constexpr CATDlgStyle kEditorStyle = 0x4180000UL;
const char* const kCatalog = "ZELPropertyViewerDialog";

}  // namespace

ZELPropertyViewerDialog::ZELPropertyViewerDialog(CATCommand* iParent, const CATString& iName)
    : CATDlgDialog(iParent, iName, kDialogStyle) {}

ZELPropertyViewerDialog::~ZELPropertyViewerDialog() {
  _pEditor = nullptr;
}

const char* ZELPropertyViewerDialog::GetResourceFilename(int iLevel) {
  if (iLevel == 0) return kCatalog;
  return CATDlgDialog::GetResourceFilename(iLevel - 1);
}

void ZELPropertyViewerDialog::Build() {
  ZEL_DEBUG_SCOPE("ZELPropertyViewerDialog::Build");
  for (CATNotification* dismissal : {GetWindCloseNotification(), GetDiaCANCELNotification(),
                                     GetDiaCLOSENotification(), GetDiaOKNotification()})
    AddAnalyseNotificationCB(
        this, dismissal,
        static_cast<CATCommandMethod>(&ZELPropertyViewerDialog::ZELPropertyViewerDialog_Dismissed), nullptr);
  _pEditor = new CATDlgEditor(this, "properiesEditor", kEditorStyle);
  SetGridRowResizable(0);
  SetGridColumnResizable(0);
  _pEditor->SetGridConstraints(0, 0, 1, 1, CATGRID_4SIDES);
  _pEditor->SetVisibleTextHeight(50);
  _pEditor->SetVisibleTextWidth(30);

  ZELDialogResources::Apply(this, kCatalog);
}

void ZELPropertyViewerDialog::SetText(CATUnicodeString iText) {
  ZEL_DEBUG_SCOPE("ZELPropertyViewerDialog::SetText");
  if (!_pEditor || FAILED(_pEditor->SetText(iText))) ZEL_FAILURE_POINT();
}

void ZELPropertyViewerDialog::ZELPropertyViewerDialog_Dismissed(CATCommand*, CATNotification*,
                                                                CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELPropertyViewerDialog::ZELPropertyViewerDialog_Dismissed");
  SetVisibility(CATDlgHide);
  RequestDelayedDestruction();
}
