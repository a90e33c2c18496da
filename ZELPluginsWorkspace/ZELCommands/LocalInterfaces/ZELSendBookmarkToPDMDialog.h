#ifndef ZELSendBookmarkToPDMDialog_h
#define ZELSendBookmarkToPDMDialog_h
// The send dialog of a bookmark (type "Workspace"). Its "CheckButtonForce" travels as the parallel flag and
// force is always false: gateways read the bookmark transfer that way.
#include "ZELSendContainerToPDMDialog.h"

class ZELSendBookmarkToPDMDialog : public ZELSendContainerToPDMDialog {
 public:
  ZELSendBookmarkToPDMDialog(CATDialog* iParent, const CATString& iDialogName);
  ~ZELSendBookmarkToPDMDialog() override;

  void ZELSendBookmarkToPDMDialog_OKBtnPushed(CATCommand* iSender, CATNotification* iNotification,
                                              CATCommandClientData iData);
  void ZELSendBookmarkToPDMDialog_CancelBtnPushed(CATCommand* iSender, CATNotification* iNotification,
                                                  CATCommandClientData iData);
};

#endif
