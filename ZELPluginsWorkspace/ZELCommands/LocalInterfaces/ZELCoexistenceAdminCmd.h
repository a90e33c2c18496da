#ifndef ZELCoexistenceAdminCmd_h
#define ZELCoexistenceAdminCmd_h
// Coexistence administration: for the selected objects (or every object of a context), deletes their
// coexistence mappings or transfers their mastership, through the platform batch "CoexistenceAdministration".
// The command is its own dialog; OK submits the batch, waits for its end and can open its HTML report.
// Created by name through fctCreateZELCoexistenceAdminCmd.
#include "CATDlgDialog.h"
#include "CATListPtrCATIAdpPLMIdentificator.h"

class CATDlgCheckButton;
class CATDlgCombo;
class CATDlgFrame;
class CATDlgLabel;
class CATDlgRadioButton;
class CATDlgSeparator;

class ZELCoexistenceAdminCmd : public CATDlgDialog {
 public:
  explicit ZELCoexistenceAdminCmd(CATCommand* iParent);
  ~ZELCoexistenceAdminCmd() override;

  CATStatusChangeRC Activate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Desactivate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Cancel(CATCommand* iFrom, CATNotification* iNotification) override;
  const char* GetResourceFilename(int iLevel) override;

 private:
  void Build();
  void CollectSelection();
  void ReleaseSelection();
  void FillContexts();
  void Submit();

  void ZELCoexistenceAdminCmd_OKBtnPushed(CATCommand*, CATNotification*, CATCommandClientData);
  void ZELCoexistenceAdminCmd_CancelBtnPushed(CATCommand*, CATNotification*, CATCommandClientData);
  void DeleteMappingRB_RadBModify(CATCommand*, CATNotification*, CATCommandClientData);
  void TransferMasterRB_RadBModify(CATCommand*, CATNotification*, CATCommandClientData);

  CATDlgFrame* _pContextFrame = nullptr;
  CATDlgCombo* _pContextCombo = nullptr;
  CATDlgLabel* _pContextLabel = nullptr;
  CATDlgCheckButton* _pShowResultCB = nullptr;
  CATDlgCheckButton* _pPreviewCB = nullptr;
  CATDlgFrame* _pMappingFrame = nullptr;
  CATDlgRadioButton* _pDeleteMappingRB = nullptr;
  CATDlgRadioButton* _pTransferMasterRB = nullptr;
  CATDlgCheckButton* _pDeleteAllCB = nullptr;
  CATDlgFrame* _pDirectionFrame = nullptr;
  CATDlgRadioButton* _pV5V6MasterRB = nullptr;
  CATDlgRadioButton* _pV6V5MasterRB = nullptr;
  CATDlgSeparator* _pSeparator1 = nullptr;
  CATDlgSeparator* _pSeparator3 = nullptr;
  CATDlgSeparator* _pSeparator2 = nullptr;
  CATDlgSeparator* _pSeparator4 = nullptr;
  char* _resourceFilename = nullptr;
  CATListPtrCATIAdpPLMIdentificator _selectedObjects;
  unsigned char _bNotBuilt = 1;
  // "Delete all" checked by the command itself because nothing was selected, not by the user.
  unsigned char _bDeleteAllForced = 0;
  unsigned char _bSubmitted = 0;
};

#endif
