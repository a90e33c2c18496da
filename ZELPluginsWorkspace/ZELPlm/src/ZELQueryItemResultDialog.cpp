#include "ZELQueryItemResultDialog.h"

#include <algorithm>

#include "CATDlgFrame.h"
#include "CATDlgMultiList.h"
#include "CATDlgPushButton.h"
#include "CATListOfCATUnicodeString.h"
#include "CATRawCollint.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELPlmCommands.h"
#include "ZELPlmDialogResources.h"
#include "ZELQueryResult.h"
#include "ZELSendToV6Dialog.h"

namespace {

constexpr CATDlgStyle kDialogStyle = 0x4201UL;
constexpr CATDlgStyle kListStyle = 0x80000UL;
constexpr CATDlgStyle kFrameStyle = 0xC0001UL;
constexpr int kListWidth = 70;
constexpr int kFixedColumns = 3;

}  // namespace

ZELQueryItemResultDialog::ZELQueryItemResultDialog(CATDialog* iParent, const CATString& iDialogName)
    : CATDlgDialog(iParent, iDialogName, kDialogStyle),
      _pParent(iParent),
      _resourceFilename(CATString(ZELGlobal::GetZELModulePrefix()) + "QueryItemResultDialog") {}

ZELQueryItemResultDialog::~ZELQueryItemResultDialog() = default;

const char* ZELQueryItemResultDialog::GetResourceFilename(int iLevel) {
  if (iLevel == 0) return _resourceFilename;
  // The platform's own lookup would name the class's resource file here.
  if (iLevel == 1) return "ZELQueryItemResultDialog";
  return CATDlgDialog::GetResourceFilename(iLevel - 1);
}

void ZELQueryItemResultDialog::Build() {
  ZEL_DEBUG_SCOPE("ZELQueryItemResultDialog::Build");
  _pMultiList = new CATDlgMultiList(this, "MultiList1", kListStyle);
  _pMultiList->SetGridConstraints(0, 0, 1, 1, CATGRID_4SIDES);
  _pMultiList->SetVisibleTextWidth(kListWidth);
  _pFrame = new CATDlgFrame(this, "Frame1", kFrameStyle);
  _pFrame->SetGridConstraints(1, 0, 1, 1, CATGRID_4SIDES);
  _pSendToV6 = new CATDlgPushButton(_pFrame, "SendToV6");
  _pSendToV6->SetGridConstraints(0, 0, 1, 1, CATGRID_RIGHT);
  _pCloseButton = new CATDlgPushButton(_pFrame, "CloseButton");
  _pCloseButton->SetGridConstraints(0, 1, 1, 1, CATGRID_LEFT);
  SetGridRowResizable(0);
  SetGridColumnResizable(0);
  _pFrame->SetGridRowResizable(0);
  _pFrame->SetGridColumnResizable(1);

  AddAnalyseNotificationCB(_pMultiList, _pMultiList->GetListSelectNotification(),
                           static_cast<CATCommandMethod>(&ZELQueryItemResultDialog::OnSelectionChanged),
                           nullptr);
  AddAnalyseNotificationCB(_pSendToV6, _pSendToV6->GetPushBActivateNotification(),
                           static_cast<CATCommandMethod>(&ZELQueryItemResultDialog::OnSendToV6), nullptr);
  const CATCommandMethod close = static_cast<CATCommandMethod>(&ZELQueryItemResultDialog::OnClose);
  AddAnalyseNotificationCB(_pCloseButton, _pCloseButton->GetPushBActivateNotification(), close, nullptr);
  AddAnalyseNotificationCB(this, GetWindCloseNotification(), close, nullptr);

  ZELPlmDialogResources::Apply(this, "QueryItemResultDialog");
  for (int b = 0; b < CATDlgStdButtonCount; ++b)
    SetButtonSensitivity(static_cast<CATDlgStdButton>(b), CATDlgDisable);
  SetDefaultButton(0);
  _pSendToV6->SetSensitivity(CATDlgDisable);
  // CIM Database items are not sent to 3DEXPERIENCE from here.
  if (ZELGlobal::GetZELModule() == ZELModuleCIMDatabase) _pSendToV6->SetVisibility(CATDlgHide);
}

void ZELQueryItemResultDialog::SetQueryResult(const ZELQueryResult* iResult) {
  ZEL_DEBUG_SCOPE("ZELQueryItemResultDialog::SetQueryResult");
  if (!_pMultiList || !iResult) {
    ZEL_FAILURE_POINT();
    return;
  }
  const CATListValCATUnicodeString attributes = iResult->GetAttributeNames();
  const int shown = std::min(attributes.Size(), kMaxAttributeColumns);
  CATListValCATUnicodeString titles;
  titles.Append("OBID");
  titles.Append(iResult->GetDisplayName("object_string"));
  titles.Append(iResult->GetDisplayName("object_type"));
  for (int i = 1; i <= shown; ++i) titles.Append(iResult->GetDisplayName(attributes[i]));
  _pMultiList->ClearLine();
  _pMultiList->SetColumnTitles(titles);
  _pMultiList->SetColumnVisibility(0, CATDlgHide);
  for (int n = 0; n < iResult->GetItemCount(); ++n) {
    const ZELQueryResultItem* item = iResult->GetItem(n);
    if (!item) continue;
    const int row = _pMultiList->GetLineCount();
    _pMultiList->SetColumnItem(0, item->GetObid());
    _pMultiList->SetColumnItem(1, item->GetName(), row);
    _pMultiList->SetColumnItem(2, item->GetType(), row);
    for (int i = 1; i <= shown; ++i)
      _pMultiList->SetColumnItem(kFixedColumns - 1 + i, item->GetAttributeValue(attributes[i]), row);
  }
}

void ZELQueryItemResultDialog::OnSelectionChanged(CATCommand*, CATNotification*, CATCommandClientData) {
  if (!_pMultiList || !_pSendToV6) return;
  _pSendToV6->SetSensitivity(_pMultiList->GetSelectCount() > 0 ? CATDlgEnable : CATDlgDisable);
}

void ZELQueryItemResultDialog::OnSendToV6(CATCommand*, CATNotification*, CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELQueryItemResultDialog::OnSendToV6");
  // One transfer names one item: with several lines selected it is not clear which one is meant.
  if (!_pMultiList || _pMultiList->GetSelectCount() != 1) {
    ZEL_DETAIL("selected lines: ", _pMultiList ? _pMultiList->GetSelectCount() : 0);
    return;
  }
  int row = -1;
  _pMultiList->GetSelect(&row, 1);
  CATUnicodeString obid;
  if (FAILED(_pMultiList->GetColumnItem(0, obid, row))) {
    ZEL_FAILURE_POINT();
    return;
  }
  CATListValCATUnicodeString revisionRules, variants;
  CATRawCollint defaultFlags;
  bool sendConfiguration = false;
  if (FAILED(ZELPlmCommands::DoGetSendTo3DXOptions(obid, revisionRules, &defaultFlags, variants,
                                                   sendConfiguration))) {
    ZEL_FAILURE_POINT();
    return;
  }
  auto* dialog = new ZELSendToV6Dialog(_pParent, "vbo_send_to_v6_dialog");
  dialog->SetSendTo3DXOptions(revisionRules, defaultFlags, variants, sendConfiguration);
  dialog->Build();
  dialog->SetItemObidToTransfer(obid);
  dialog->SetVisibility(CATDlgShow);
}

void ZELQueryItemResultDialog::OnClose(CATCommand*, CATNotification*, CATCommandClientData) {
  SetVisibility(CATDlgHide);
  RequestDelayedDestruction();
}
