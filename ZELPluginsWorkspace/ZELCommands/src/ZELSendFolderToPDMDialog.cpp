#include "ZELSendFolderToPDMDialog.h"

#include "ZELDebug.h"

ZELSendFolderToPDMDialog::ZELSendFolderToPDMDialog(CATDialog* iParent, const CATString& iDialogName)
    : ZELSendContainerToPDMDialog(iParent, iDialogName, "SendFolderToPDMDialog", "FolderOnlyCheckButton",
                                  "Folder") {
  ListenToButtons(
      static_cast<CATCommandMethod>(&ZELSendFolderToPDMDialog::ZELSendFolderToPDMDialog_OKBtnPushed),
      static_cast<CATCommandMethod>(&ZELSendFolderToPDMDialog::ZELSendFolderToPDMDialog_CancelBtnPushed));
}

ZELSendFolderToPDMDialog::~ZELSendFolderToPDMDialog() = default;

void ZELSendFolderToPDMDialog::ZELSendFolderToPDMDialog_OKBtnPushed(CATCommand*, CATNotification*,
                                                                    CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELSendFolderToPDMDialog::ZELSendFolderToPDMDialog_OKBtnPushed");
  SendAndEnd(FALSE);
}

void ZELSendFolderToPDMDialog::ZELSendFolderToPDMDialog_CancelBtnPushed(CATCommand*, CATNotification*,
                                                                        CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELSendFolderToPDMDialog::ZELSendFolderToPDMDialog_CancelBtnPushed");
  End();
}
