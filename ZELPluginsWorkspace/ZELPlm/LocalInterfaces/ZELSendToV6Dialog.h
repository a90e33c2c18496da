#ifndef ZELSendToV6Dialog_h
#define ZELSendToV6Dialog_h
// How one PDM item picked in the query result goes to 3DEXPERIENCE: expand depth, revision rule, variant,
// structure filter and transfer switches. OK asks the gateway for the transfer and shows what it answered;
// the dialog then ends, successful or not. Its caller sets the options, builds it, names the item, shows it.
#include "CATDlgDialog.h"
#include "CATListOfCATUnicodeString.h"
#include "CATRawCollint.h"
#include "CATString.h"
#include "CATUnicodeString.h"

class CATDlgCheckButton;
class CATDlgCombo;
class CATDlgEditor;
class CATDlgFrame;
class CATDlgPushButton;
class CATDlgRadioButton;
class CATDlgSeparator;

class ZELSendToV6Dialog : public CATDlgDialog {
 public:
  ZELSendToV6Dialog(CATDialog* iParent, const CATString& iDialogName);
  ~ZELSendToV6Dialog() override;

  // Must come before Build, which fills the combos from them. Flag 1 marks a default rule.
  void SetSendTo3DXOptions(const CATListValCATUnicodeString& iRevisionRules,
                           const CATRawCollint& iDefaultFlags, const CATListValCATUnicodeString& iVariants,
                           bool iSendConfiguration);
  void Build();
  void SetItemObidToTransfer(const CATUnicodeString& iObid);

  const char* GetResourceFilename(int iLevel) override;

  void OnOK(CATCommand* iSender, CATNotification* iNotification, CATCommandClientData iData);
  void OnCancel(CATCommand* iSender, CATNotification* iNotification, CATCommandClientData iData);
  void OnDepthChanged(CATCommand* iSender, CATNotification* iNotification, CATCommandClientData iData);
  void OnRevisionRuleChecked(CATCommand* iSender, CATNotification* iNotification, CATCommandClientData iData);
  void OnVariantChecked(CATCommand* iSender, CATNotification* iNotification, CATCommandClientData iData);
  void OnNamedStructureChecked(CATCommand* iSender, CATNotification* iNotification,
                               CATCommandClientData iData);
  void OnStructureFilterOnlyChecked(CATCommand* iSender, CATNotification* iNotification,
                                    CATCommandClientData iData);
  void OnRevisionRuleSelected(CATCommand* iSender, CATNotification* iNotification,
                              CATCommandClientData iData);
  void OnVariantSelected(CATCommand* iSender, CATNotification* iNotification, CATCommandClientData iData);
  void OnAssign(CATCommand* iSender, CATNotification* iNotification, CATCommandClientData iData);

 private:
  // "expandDepth" and the parallel switch follow "RadioButtonSelect"; parallel is unchecked without it.
  void ApplyDepthRule();
  // "Assign" and the name editor follow "CheckButtonNamedStructure".
  void ApplyNamedStructureRule();

  CATDlgFrame* _pFrame1 = nullptr;
  CATDlgFrame* _pFrame2 = nullptr;
  CATDlgRadioButton* _pRadioButtonAll = nullptr;
  CATDlgRadioButton* _pRadioButtonNone = nullptr;
  CATDlgRadioButton* _pRadioButtonSelect = nullptr;
  CATDlgEditor* _pExpandDepth = nullptr;
  CATDlgSeparator* _pSeparator1 = nullptr;
  CATDlgCheckButton* _pTransferInParallel = nullptr;
  CATDlgCheckButton* _pForce = nullptr;
  CATDlgCheckButton* _pTransferStructureFilter = nullptr;
  CATDlgCheckButton* _pTransferLoc = nullptr;
  CATDlgCheckButton* _pRemoveExisting = nullptr;
  CATDlgCheckButton* _pRevisionRule = nullptr;
  CATDlgCombo* _pRevisionRuleList = nullptr;
  CATDlgCheckButton* _pVariant = nullptr;
  CATDlgCombo* _pVariantList = nullptr;
  CATDlgCheckButton* _pNamedStructure = nullptr;
  CATDlgPushButton* _pAssign = nullptr;
  CATDlgEditor* _pNamedStructureEditor = nullptr;
  CATDlgCheckButton* _pIncludeVariantCond = nullptr;

  CATUnicodeString _itemObid;
  CATDialog* _pParent = nullptr;
  CATListValCATUnicodeString _revisionRules;
  CATRawCollint _defaultFlags;
  CATListValCATUnicodeString _variants;
  CATUnicodeString _selectedRevisionRule;
  CATUnicodeString _selectedVariant;
  CATUnicodeString _defaultRevisionRule;
  bool _sendConfiguration = false;
  CATString _resourceFilename;
};

#endif
