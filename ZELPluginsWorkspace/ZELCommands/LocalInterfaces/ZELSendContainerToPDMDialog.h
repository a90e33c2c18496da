#ifndef ZELSendContainerToPDMDialog_h
#define ZELSendContainerToPDMDialog_h
// What the bookmark and folder send dialogs share: a selected-object display, the export options and one
// "only the container" check button; window texts from the dialog's message catalog, icons from its resource
// catalog, control texts from its resource file. The two differ in names, catalogs, the transfer type and
// which flag the "CheckButtonForce" state travels as.
#include "CATBaseUnknown.h"
#include "CATDlgDialog.h"
#include "CATListOfCATUnicodeString.h"
#include "CATUnicodeString.h"

class CATDlgCheckButton;
class CATDlgEditor;
class CATDlgFrame;

class ZELSendContainerToPDMDialog : public CATDlgDialog {
 public:
  void SetIdentToTransfer(const CATUnicodeString& iName, const CATUnicodeString& iRevision,
                          const CATUnicodeString& iType, const CATBaseUnknown_var& iComponent,
                          const CATListValCATUnicodeString& iDisplayNames);
  // Read by Build.
  void SetShowConfiguration(CATBoolean iShow) { _bShowConfiguration = iShow; }
  void Build();

  const char* GetResourceFilename(int iLevel) override;

 protected:
  // iKind names the catalogs ("SendBookmarkToPDMDialog"); iOnlyButton the "only the container" button.
  ZELSendContainerToPDMDialog(CATDialog* iParent, const CATString& iDialogName, const char* iKind,
                              const char* iOnlyButton, const char* iTransferType);
  ~ZELSendContainerToPDMDialog() override;

  // Sends with the options shown, "CheckButtonForce" travelling as the parallel flag or as the force flag,
  // shows the result and ends the dialog.
  void SendAndEnd(CATBoolean iForceButtonIsParallel);
  void End();
  // Registers the subclass's OK and Cancel callbacks (Cancel also on the window's close request).
  void ListenToButtons(CATCommandMethod iOK, CATCommandMethod iCancel);

  CATDlgCheckButton* _pCheckButtonForce = nullptr;

 private:
  void ApplyCatalogTexts();

  const char* _kind;
  const char* _onlyButtonName;
  const char* _transferType;
  CATString _resourceFilename;
  CATString _commonResourceFilename;
  CATUnicodeString _name, _revision, _type;
  CATBaseUnknown_var _spComponent;
  CATListValCATUnicodeString _displayNames;
  CATBoolean _bShowConfiguration = FALSE;

  CATDlgFrame* _pSelectedComponentFrame = nullptr;
  CATDlgEditor* _pSelectedComponentEditor = nullptr;
  CATDlgFrame* _pFrame2 = nullptr;
  CATDlgCheckButton* _pCheckButtonRemoveExisting = nullptr;
  CATDlgCheckButton* _pIncludeEffectivity = nullptr;
  CATDlgCheckButton* _pOnlyCheckButton = nullptr;
};

#endif
