#ifndef ZELNamesSelectDialog_h
#define ZELNamesSelectDialog_h
// Lets the user pick one of the named structures the PDM keeps for the root part. OK hands the chosen name
// to the named structure command, which filters the navigator; closing the window ends the command. Either
// way the dialog destroys itself.
#include <memory>

#include "CATDlgDialog.h"
#include "CATListOfCATUnicodeString.h"
#include "CATString.h"

class CATDlgCombo;
class ZELNamedStructureCmd;

class ZELNamesSelectDialog : public CATDlgDialog {
 public:
  ZELNamesSelectDialog(CATDialog* iParent, const CATString& iDialogName);
  ~ZELNamesSelectDialog() override;

  void Build();
  // Offers the names in list order; does nothing before Build.
  void SetZELNames(const CATListValCATUnicodeString& iNames);
  // The command that receives the choice (not owned).
  void SetCommandData(ZELNamedStructureCmd* iCommand);

  const char* GetResourceFilename(int iLevel) override;

  void ZELNamesSelectDialog_OKBtnPushed(CATCommand* iSender, CATNotification* iNotification,
                                        CATCommandClientData iData);
  void ZELNamesSelectDialog_CancelBtnPushed(CATCommand* iSender, CATNotification* iNotification,
                                            CATCommandClientData iData);
  void CloseDialog();

 private:
  // The stored command, or null once it has been destroyed by someone else.
  ZELNamedStructureCmd* LiveCommand() const;

  CATDlgCombo* _pVboNameSelector = nullptr;
  ZELNamedStructureCmd* _pCommand = nullptr;
  std::weak_ptr<const int> _commandLife;
  CATString _resourceFilename;
};

#endif
