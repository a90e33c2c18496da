#ifndef ZELNamedStructureInfoDialog_h
#define ZELNamedStructureInfoDialog_h
// The outcome of a named structure run as a read-only list of lines: a heading (finished or failed), an
// empty line, then what the run collected (server errors, unhandled entries). Outlives the command and
// destroys itself when closed.
#include "CATDlgDialog.h"
#include "CATListOfCATUnicodeString.h"
#include "CATString.h"

class CATDlgEditor;

class ZELNamedStructureInfoDialog : public CATDlgDialog {
 public:
  ZELNamedStructureInfoDialog(CATDialog* iParent, const CATString& iDialogName);
  ~ZELNamedStructureInfoDialog() override;

  void Build();
  // Appends the lines at the end; does nothing before Build.
  void AddMessages(const CATListValCATUnicodeString& iLines);

  const char* GetResourceFilename(int iLevel) override;

  void ZELNamedStructureInfoDialog_CloseBtnPushed(CATCommand* iSender, CATNotification* iNotification,
                                                  CATCommandClientData iData);
  void CloseDialog();

 private:
  CATDlgEditor* _pMessageList = nullptr;
  CATString _resourceFilename;
};

#endif
