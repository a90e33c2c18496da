#ifndef ZELSendFolderToPDMDialog_h
#define ZELSendFolderToPDMDialog_h
// The send dialog of a folder (type "ENOFLD_FolderRootReference"): "CheckButtonForce" is the force flag and
// the sub-structures never go in parallel.
#include "ZELSendContainerToPDMDialog.h"

class ZELSendFolderToPDMDialog : public ZELSendContainerToPDMDialog {
 public:
  ZELSendFolderToPDMDialog(CATDialog* iParent, const CATString& iDialogName);
  ~ZELSendFolderToPDMDialog() override;

  void ZELSendFolderToPDMDialog_OKBtnPushed(CATCommand* iSender, CATNotification* iNotification,
                                            CATCommandClientData iData);
  void ZELSendFolderToPDMDialog_CancelBtnPushed(CATCommand* iSender, CATNotification* iNotification,
                                                CATCommandClientData iData);
};

#endif
