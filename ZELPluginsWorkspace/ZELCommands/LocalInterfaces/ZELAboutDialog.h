#ifndef ZELAboutDialog_h
#define ZELAboutDialog_h
// The product's version, the platform level it was built for, the maker's notice, and the gateway URL in
// effect (read once, when built) with a button that checks that very URL. Close, or closing the window in any
// way, ends it.
#include "CATDlgDialog.h"
#include "CATString.h"
#include "CATUnicodeString.h"

class CATDlgLabel;
class CATDlgPushButton;
class CATDlgSeparator;

class ZELAboutDialog : public CATDlgDialog {
 public:
  ZELAboutDialog(CATDialog* iParent, const CATString& iDialogName);
  ~ZELAboutDialog() override;

  void Build();
  const char* GetResourceFilename(int iLevel) override;

  // The URL the dialog shows: ZEL_SERVER_URL, else ZEL_SERVERURL, else the "ServerUrl" setting; empty
  // values count as unset.
  static CATUnicodeString FindServerUrl(const char** oSource = nullptr);

  void CloseBtnPushed(CATCommand* iSender, CATNotification* iNotification, CATCommandClientData iData);
  void ZELCheckServerButton_Pressed(CATCommand* iSender, CATNotification* iNotification,
                                    CATCommandClientData iData);

 private:
  CATDlgLabel* _pZELVersion = nullptr;
  CATDlgLabel* _pZEL3DXLevel = nullptr;
  CATDlgLabel* _pZELIcon = nullptr;
  CATDlgLabel* _pZEL_Name = nullptr;
  CATDlgLabel* _pZELCRString = nullptr;
  CATDlgLabel* _pZELVersionString = nullptr;
  CATDlgLabel* _pZEL3DXLevelString = nullptr;
  CATDlgPushButton* _pZELCheckServerButton = nullptr;
  CATDlgLabel* _pZELServerUrl = nullptr;
  CATDlgLabel* _pZELServerUrlLabel = nullptr;
  CATDlgSeparator* _pSeparator1 = nullptr;
  CATUnicodeString _serverUrl;
  CATString _resourceFilename;
};

#endif
