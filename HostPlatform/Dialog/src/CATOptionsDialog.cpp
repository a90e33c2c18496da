#include "CATOptionsDialog.h"

#include "CATDialogDefs.h"
#include "CATDlgPushButton.h"
#include "CATEditorPage.h"
#include "CATInstantiateComponent.h"

CATOptionsDialog::CATOptionsDialog(CATCommand* parent, const CATString& name)
    : CATDlgDialog(parent, name, CATDlgWndBtnOKCancel) {
  SetTitle("Options");
}

CATOptionsDialog::~CATOptionsDialog() {
  for (CATIUserSettings* editor : editors_) editor->Release();
}

int CATOptionsDialog::Build() {
  if (built_) return GetPageCount();
  built_ = true;
  for (const std::string& component : CATListComponentsOfInterface("CATIUserSettings")) {
    void* out = nullptr;
    if (FAILED(CATInstantiateComponent(component.c_str(), IID_CATIUserSettings, &out)) || !out) continue;
    CATIUserSettings* editor = static_cast<CATIUserSettings*>(out);
    editors_.push_back(editor);
    CATEditorPage* page = new CATEditorPage(this, component.c_str());
    page->SetGridConstraints(GetPageCount() - 1, 0, 1, 1, CATGRID_4SIDES);
    editor->BuildEditor(page);
    editor->SetUserSettingsValue();
  }
  reset_ = new CATDlgPushButton(this, "Reset");
  reset_->SetTitle("Reset");
  reset_->SetGridConstraints(GetPageCount(), 0, 1, 1, CATGRID_RIGHT);
  AddAnalyseNotificationCB(reset_, reset_->GetPushBActivateNotification(),
                           static_cast<CATCommandMethod>(&CATOptionsDialog::OnReset), nullptr);
  AddAnalyseNotificationCB(this, GetDiaOKNotification(),
                           static_cast<CATCommandMethod>(&CATOptionsDialog::OnOK), nullptr);
  CATCommandMethod cancel = static_cast<CATCommandMethod>(&CATOptionsDialog::OnCancel);
  AddAnalyseNotificationCB(this, GetDiaCANCELNotification(), cancel, nullptr);
  AddAnalyseNotificationCB(this, GetWindCloseNotification(), cancel, nullptr);
  return GetPageCount();
}

void CATOptionsDialog::OnOK(CATCommand*, CATNotification*, CATCommandClientData) {
  for (CATIUserSettings* editor : editors_) editor->CommitModification();
  End();
}

void CATOptionsDialog::OnCancel(CATCommand*, CATNotification*, CATCommandClientData) {
  for (CATIUserSettings* editor : editors_) editor->CancelModification();
  End();
}

void CATOptionsDialog::OnReset(CATCommand*, CATNotification*, CATCommandClientData) {
  for (CATIUserSettings* editor : editors_) {
    editor->ResetUserSettingsValue();
    editor->SetUserSettingsValue();
  }
}

void CATOptionsDialog::End() {
  SetVisibility(CATDlgHide);
  RequestDelayedDestruction();
}
