#ifndef ZELQueryItemResultDialog_h
#define ZELQueryItemResultDialog_h
// The items a PDM query found, one line each with name, type and attribute values (the object identifier in
// a hidden first column). "SendToV6" opens the send-to-3DEXPERIENCE dialog for the one selected item and
// leaves this dialog open for the next; "CloseButton" (or closing the window) ends it.
#include "CATDlgDialog.h"
#include "CATString.h"

class CATDlgFrame;
class CATDlgMultiList;
class CATDlgPushButton;
class ZELQueryResult;

class ZELQueryItemResultDialog : public CATDlgDialog {
 public:
  // At most this many attribute columns are shown, after the identifier, name and type.
  static constexpr int kMaxAttributeColumns = 100;

  ZELQueryItemResultDialog(CATDialog* iParent, const CATString& iDialogName);
  ~ZELQueryItemResultDialog() override;

  void Build();
  // Copies what it shows: the caller keeps and deletes the result.
  void SetQueryResult(const ZELQueryResult* iResult);

  const char* GetResourceFilename(int iLevel) override;

  void OnSelectionChanged(CATCommand* iSender, CATNotification* iNotification, CATCommandClientData iData);
  void OnSendToV6(CATCommand* iSender, CATNotification* iNotification, CATCommandClientData iData);
  void OnClose(CATCommand* iSender, CATNotification* iNotification, CATCommandClientData iData);

 private:
  CATDlgMultiList* _pMultiList = nullptr;
  CATDlgFrame* _pFrame = nullptr;
  CATDlgPushButton* _pSendToV6 = nullptr;
  CATDlgPushButton* _pCloseButton = nullptr;
  CATDialog* _pParent = nullptr;
  CATString _resourceFilename;
};

#endif
