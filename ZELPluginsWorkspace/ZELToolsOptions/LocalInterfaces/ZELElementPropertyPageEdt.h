#ifndef ZELElementPropertyPageEdt_h
#define ZELElementPropertyPageEdt_h
// The gateway URL page as the options dialog drives it: builds the page, fills it, and commits, rolls back
// or resets the "ZELOptions" settings for OK, Cancel and Reset.
#include "CATIUserSettings.h"

class ZELElementPropertyPageDlg;

class ZELElementPropertyPageEdt : public CATEditor {
 public:
  ZELElementPropertyPageEdt() = default;
  ZELElementPropertyPageEdt(const ZELElementPropertyPageEdt&) = delete;
  ZELElementPropertyPageEdt& operator=(const ZELElementPropertyPageEdt&) = delete;

  void BuildEditor(CATEditorPage* iPage) override;
  void SetUserSettingsValue() override;
  void ResetUserSettingsValue() override;
  void CommitModification() override;
  void CancelModification() override;

 protected:
  ~ZELElementPropertyPageEdt() override;

 private:
  // Owned by its page.
  ZELElementPropertyPageDlg* _pDialog = nullptr;
};

#endif
