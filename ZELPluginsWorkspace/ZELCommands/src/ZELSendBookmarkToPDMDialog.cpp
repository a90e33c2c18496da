#include "ZELSendBookmarkToPDMDialog.h"

#include "ZELDebug.h"

ZELSendBookmarkToPDMDialog::ZELSendBookmarkToPDMDialog(CATDialog* iParent, const CATString& iDialogName)
    : ZELSendContainerToPDMDialog(iParent, iDialogName, "SendBookmarkToPDMDialog", "BookmarkOnlyCheckButton",
                                  "Bookmark") {
  ListenToButtons(
      static_cast<CATCommandMethod>(&ZELSendBookmarkToPDMDialog::ZELSendBookmarkToPDMDialog_OKBtnPushed),
      static_cast<CATCommandMethod>(&ZELSendBookmarkToPDMDialog::ZELSendBookmarkToPDMDialog_CancelBtnPushed));
}

ZELSendBookmarkToPDMDialog::~ZELSendBookmarkToPDMDialog() = default;

void ZELSendBookmarkToPDMDialog::ZELSendBookmarkToPDMDialog_OKBtnPushed(CATCommand*, CATNotification*,
                                                                        CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELSendBookmarkToPDMDialog::ZELSendBookmarkToPDMDialog_OKBtnPushed");
  SendAndEnd(TRUE);
}

void ZELSendBookmarkToPDMDialog::ZELSendBookmarkToPDMDialog_CancelBtnPushed(CATCommand*, CATNotification*,
                                                                            CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELSendBookmarkToPDMDialog::ZELSendBookmarkToPDMDialog_CancelBtnPushed");
  End();
}
