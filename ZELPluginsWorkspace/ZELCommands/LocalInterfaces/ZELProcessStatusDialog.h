#ifndef ZELProcessStatusDialog_h
#define ZELProcessStatusDialog_h
// The user's PDM processes, one line each (activity, status, description, start, end, user); selecting a
// line shows that process's error message below the list. Refresh asks the gateway again for the same user
// and replaces every line; Close (or closing the window) ends the dialog.
#include "CATDlgDialog.h"
#include "CATString.h"
#include "CATUnicodeString.h"
#include "ZELProcessRecord.h"

class CATDlgEditor;
class CATDlgFrame;
class CATDlgMultiList;
class CATDlgPushButton;
class ZELRequestXml;

class ZELProcessStatusDialog : public CATDlgDialog {
 public:
  ZELProcessStatusDialog(CATDialog* iParent, const CATString& iDialogName);
  ~ZELProcessStatusDialog() override;

  void Build();
  void SetUserForRequest(const CATString& iUser);
  // Replaces every line by the processes of the list; does nothing before Build or without a list.
  void SetProcessStatus(const ZELProcessList* iList);
  // Appends a record per "PD" element of the reply. A reply without any gives no record and S_OK; otherwise
  // the result of the last node access.
  HRESULT buildProcessStatusList(const ZELRequestXml& iReply, ZELProcessList& oList);

  const char* GetResourceFilename(int iLevel) override;

  void RefreshButton_Pressed(CATCommand* iSender, CATNotification* iNotification, CATCommandClientData iData);
  void ZELProcessStatusDialog_CloseBtnPushed(CATCommand* iSender, CATNotification* iNotification,
                                             CATCommandClientData iData);
  void MultiList1_SelectionChanged(CATCommand* iSender, CATNotification* iNotification,
                                   CATCommandClientData iData);

 private:
  CATDlgMultiList* _pMultiList1 = nullptr;
  CATDlgFrame* _pFrame1 = nullptr;
  CATDlgPushButton* _pRefreshButton = nullptr;
  CATDlgPushButton* _pCloseButton = nullptr;
  CATDlgEditor* _pErrorMsgEditor = nullptr;
  CATUnicodeString _userForRequest;
  CATDialog* _pParent;
  CATString _resourceFilename;
};

#endif
