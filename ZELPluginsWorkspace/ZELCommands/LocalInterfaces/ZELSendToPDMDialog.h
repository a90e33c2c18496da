#ifndef ZELSendToPDMDialog_h
#define ZELSendToPDMDialog_h
// The send dialog of a product structure reference: expand depth, export options, saving before the send
// and, when the gateway offers it, the configuration (effectivity). OK sends through
// ZELTransferStructureCmd::SendZELRequest and shows the result; OK, Cancel and closing the window end it.
#include "CATBaseUnknown.h"
#include "CATDlgDialog.h"
#include "CATListOfCATUnicodeString.h"
#include "CATUnicodeString.h"

class CATDlgCheckButton;
class CATDlgEditor;
class CATDlgFrame;
class CATDlgRadioButton;

class ZELSendToPDMDialog : public CATDlgDialog {
 public:
  ZELSendToPDMDialog(CATDialog* iParent, const CATString& iDialogName);
  ~ZELSendToPDMDialog() override;

  void SetIdentToTransfer(const CATUnicodeString& iName, const CATUnicodeString& iRevision,
                          const CATUnicodeString& iType, const CATBaseUnknown_var& iComponent,
                          const CATListValCATUnicodeString& iDisplayNames);
  // Both are read by Build.
  void SetShowConfiguration(CATBoolean iShow) { _bShowConfiguration = iShow; }
  void SetSaveAllowed(CATBoolean iAllowed) { _bSaveAllowed = iAllowed; }
  void Build();

  const char* GetResourceFilename(int iLevel) override;

  void ZELSendToPDMDialog_OKBtnPushed(CATCommand* iSender, CATNotification* iNotification,
                                      CATCommandClientData iData);
  void ZELSendToPDMDialog_CancelBtnPushed(CATCommand* iSender, CATNotification* iNotification,
                                          CATCommandClientData iData);
  void RadioButtonAll_CheckStateChanged(CATCommand* iSender, CATNotification* iNotification,
                                        CATCommandClientData iData);
  void RadioButtonNone_CheckStateChanged(CATCommand* iSender, CATNotification* iNotification,
                                         CATCommandClientData iData);
  void RadioButtonSelect_CheckStateChanged(CATCommand* iSender, CATNotification* iNotification,
                                           CATCommandClientData iData);

 private:
  void HandleRadioButtonCheckStateChanged();
  // Saves the component when it is a PLM component; S_OK when there was nothing to save.
  HRESULT SaveComponent();

  CATUnicodeString _name, _revision, _type;
  CATBaseUnknown_var _spComponent;
  CATListValCATUnicodeString _displayNames;
  CATBoolean _bShowConfiguration = FALSE;
  CATBoolean _bSaveAllowed = FALSE;
  CATString _resourceFilename;

  CATDlgFrame* _pSelectedComponentFrame = nullptr;
  CATDlgEditor* _pSelectedComponentDisplay = nullptr;
  CATDlgFrame* _pFrame1 = nullptr;
  CATDlgRadioButton* _pRadioButtonAll = nullptr;
  CATDlgRadioButton* _pRadioButtonNone = nullptr;
  CATDlgRadioButton* _pRadioButtonSelect = nullptr;
  CATDlgEditor* _pExpandDepth = nullptr;
  CATDlgCheckButton* _pTransferSubStructures = nullptr;
  CATDlgFrame* _pFrame2 = nullptr;
  CATDlgCheckButton* _pCheckButtonForce = nullptr;
  CATDlgCheckButton* _pCheckButtonRemoveExisting = nullptr;
  CATDlgCheckButton* _pSaveBeforeCB = nullptr;
  CATDlgCheckButton* _pIncludeEffectivity = nullptr;
};

#endif
