#ifndef ZELQueryItemDialog_h
#define ZELQueryItemDialog_h
// The PDM query: an item type and one editor per query attribute the gateway offers. Apply remembers the
// input (for the rest of the client run and, through the "ZELDialogInput" settings, for later runs) and
// runs the query, whose result opens a dialog of its own; Cancel or closing the window keeps nothing.
#include <vector>

#include "CATDlgDialog.h"
#include "CATListOfCATUnicodeString.h"
#include "CATString.h"
#include "CATUnicodeString.h"

class CATDlgCombo;
class CATDlgEditor;
class CATDlgLabel;
class CATDlgPushButton;

class ZELQueryItemDialog : public CATDlgDialog {
 public:
  ZELQueryItemDialog(CATDialog* iParent, const CATString& iDialogName);
  ~ZELQueryItemDialog() override;

  void Build();
  void SetItemTypes(const CATListValCATUnicodeString& iTypes);
  // One labelled editor per attribute; nothing when the lists are empty or differ in length, since the
  // display names could not be matched to their attributes.
  void BuildAttributes(const CATListValCATUnicodeString& iDisplayNames,
                       const CATListValCATUnicodeString& iNames);
  // Fills the combo and the editors from the remembered input, or, when nothing is remembered yet in this
  // run, from the settings repository; attributes the dialog does not offer are ignored.
  void RestoreDialogValues();
  void StoreDialogValues(const CATUnicodeString& iType, const CATListValCATUnicodeString& iNames,
                         const CATListValCATUnicodeString& iValues);
  // Every attribute in row order with the text of its editor, empty texts included.
  void GetAttributes(CATListValCATUnicodeString& oNames, CATListValCATUnicodeString& oValues) const;

  const char* GetResourceFilename(int iLevel) override;

  void OnApply(CATCommand* iSender, CATNotification* iNotification, CATCommandClientData iData);
  void OnCancel(CATCommand* iSender, CATNotification* iNotification, CATCommandClientData iData);
  void OnClear(CATCommand* iSender, CATNotification* iNotification, CATCommandClientData iData);

 private:
  CATDlgCombo* _pItemTypeCombo = nullptr;
  CATDlgLabel* _pItemTypeLabel = nullptr;
  CATDlgPushButton* _pClearButton = nullptr;
  std::vector<CATDlgEditor*> _attributeEditors;
  CATListValCATUnicodeString _attributeNames;
  CATString _resourceFilename;
};

#endif
