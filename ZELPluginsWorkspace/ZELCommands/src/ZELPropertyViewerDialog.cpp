#include "ZELPropertyViewerDialog.h"

#include "CATDlgEditor.h"
#include "CATMsgCatalog.h"
#include "CATRscCatalog.h"
#include "ZELDebug.h"

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

  const CATUnicodeString none;
  auto text = [&none](const char* key) {
    return CATMsgCatalog::BuildMessage(kCatalog, key, nullptr, 0, none);
  };
  CATUnicodeString value;
  if (!(value = text("Title")).IsNull()) SetTitle(value);
  if (!(value = text("CancelBtnTitle")).IsNull()) SetCANCELTitle(value);
  if (!(value = text("OKBtnTitle")).IsNull()) SetOKTitle(value);
  if (!(value = text("PreviewBtnTitle")).IsNull()) SetPREVIEWTitle(value);
  if (!(value = text("ApplyBtnTitle")).IsNull()) SetAPPLYTitle(value);
  if (!(value = text("FinishBtnTitle")).IsNull()) SetCLOSETitle(value);
  if (!(value = text("Help")).IsNull()) SetHelp(value);
  if (!(value = text("ShortHelp")).IsNull()) SetShortHelp(value);
  if (!(value = text("LongHelp")).IsNull()) SetLongHelp(value);
  const CATString icon = CATRscCatalog::BuildResource(kCatalog, "Icon", nullptr, 0, nullptr);
  if (!icon.IsNull())
    SetIconName(icon, CATRscCatalog::BuildResource(kCatalog, "IconSel", nullptr, 0, nullptr),
                CATRscCatalog::BuildResource(kCatalog, "IconFocus", nullptr, 0, nullptr));
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
