#ifndef CATOptionsDialog_h
#define CATOptionsDialog_h
// The options dialog (Tools/Options): one page per settings editor that the dictionaries declare for
// CATIUserSettings, each built on its own CATEditorPage (named after the component) and filled. OK commits
// every page, Cancel rolls every page back, both end the dialog; the "Reset" button gives every page the
// administrator's values and fills it again.
#include <vector>

#include "CATDlgDialog.h"
#include "CATIUserSettings.h"

class CATDlgPushButton;

class ExportedByCATDialog CATOptionsDialog : public CATDlgDialog {
 public:
  CATOptionsDialog(CATCommand* parent, const CATString& name = "ToolsOptions");
  ~CATOptionsDialog() override;

  // Creates the pages; returns how many. A component that cannot be created or lacks the interface is
  // skipped. Only the first call builds.
  int Build();
  int GetPageCount() const { return static_cast<int>(editors_.size()); }

  const char* GetKindName() const override { return "OptionsDialog"; }

 private:
  void OnOK(CATCommand*, CATNotification*, CATCommandClientData);
  void OnCancel(CATCommand*, CATNotification*, CATCommandClientData);
  void OnReset(CATCommand*, CATNotification*, CATCommandClientData);
  void End();

  std::vector<CATIUserSettings*> editors_;
  CATDlgPushButton* reset_ = nullptr;
  bool built_ = false;
};

#endif
