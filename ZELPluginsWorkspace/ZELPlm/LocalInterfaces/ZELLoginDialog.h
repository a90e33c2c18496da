#ifndef ZELLoginDialog_h
#define ZELLoginDialog_h
// The PDM login: user and password, and for the Teamcenter edition group and role. OK asks the gateway; a
// refused or failed login says so in a box and shows the dialog again with the typed values, a successful
// one ends the dialog. Cancel (or closing the window) ends it with nothing stored.
#include "CATDlgDialog.h"
#include "CATString.h"

class CATDlgEditor;
class CATDlgLabel;

class ZELLoginDialog : public CATDlgDialog {
 public:
  ZELLoginDialog(CATDialog* iParent, const CATString& iDialogName);
  ~ZELLoginDialog() override;

  void Build();

  const char* GetResourceFilename(int iLevel) override;

  void OnOK(CATCommand* iSender, CATNotification* iNotification, CATCommandClientData iData);
  void OnCancel(CATCommand* iSender, CATNotification* iNotification, CATCommandClientData iData);

 private:
  CATDlgLabel* _pUserLabel = nullptr;
  CATDlgEditor* _pUserEditor = nullptr;
  CATDlgLabel* _pPasswordLabel = nullptr;
  CATDlgEditor* _pPasswordEditor = nullptr;
  CATDlgLabel* _pGroupLabel = nullptr;
  CATDlgLabel* _pRoleLabel = nullptr;
  CATDlgEditor* _pGroupEditor = nullptr;
  CATDlgEditor* _pRoleEditor = nullptr;
  CATString _resourceFilename;
};

#endif
