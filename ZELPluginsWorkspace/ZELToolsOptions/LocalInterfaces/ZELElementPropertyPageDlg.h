#ifndef ZELElementPropertyPageDlg_h
#define ZELElementPropertyPageDlg_h
// The controls of the gateway URL page: the product's version block, and the URL editor with its lock and
// a button that checks the URL requests would use. Every edit reaches the in-memory setting at once.
#include "CATDlgFrame.h"
#include "CATString.h"

class CATDlgEditor;
class CATDlgPushButton;
class ZELElementPropertyPageCtl;

class ZELElementPropertyPageDlg : public CATDlgFrame {
 public:
  explicit ZELElementPropertyPageDlg(CATDialog* iParent);
  ~ZELElementPropertyPageDlg() override;

  void Build();
  // Shows the URL in effect: the environment's, read-only, or the setting's, editable unless locked.
  void ValueSettings();
  const char* GetResourceFilename(int iLevel) override;

  void ServerUrlCB(CATCommand* iSender, CATNotification* iNotification, CATCommandClientData iData);
  void ServerCheckCB(CATCommand* iSender, CATNotification* iNotification, CATCommandClientData iData);

 private:
  CATString _resourceFilename;
  CATDlgEditor* _pServerUrlEditor = nullptr;
  CATDlgPushButton* _pCheckButton = nullptr;
  ZELElementPropertyPageCtl* _pController = nullptr;
  // Set while the page itself fills the editor: those are not the user's edits.
  bool _filling = false;
};

#endif
