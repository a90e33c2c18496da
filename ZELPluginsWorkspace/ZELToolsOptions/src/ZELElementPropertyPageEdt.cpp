#include "ZELElementPropertyPageEdt.h"

#include "CATEditorPage.h"
#include "CATSettingAdmin.h"
#include "CATSysSettingRepository.h"
#include "ZELDebug.h"
#include "ZELElementPropertyPageDlg.h"

namespace {

const char* const kRepository = "ZELOptions";

}  // namespace

ZELElementPropertyPageEdt::~ZELElementPropertyPageEdt() {
  _pDialog = nullptr;
}

void ZELElementPropertyPageEdt::BuildEditor(CATEditorPage* iPage) {
  ZEL_DEBUG_SCOPE("ZELElementPropertyPageEdt::BuildEditor");
  if (!iPage || _pDialog) return;
  _pDialog = new ZELElementPropertyPageDlg(iPage);
  _pDialog->Build();
  iPage->SetPageModification(0);
}

void ZELElementPropertyPageEdt::SetUserSettingsValue() {
  ZEL_DEBUG_SCOPE("ZELElementPropertyPageEdt::SetUserSettingsValue");
  if (_pDialog) _pDialog->ValueSettings();
}

void ZELElementPropertyPageEdt::ResetUserSettingsValue() {
  ZEL_DEBUG_SCOPE("ZELElementPropertyPageEdt::ResetUserSettingsValue");
  if (FAILED(CATSettingAdmin::ResetAttribute(kRepository, "ServerUrl"))) ZEL_FAILURE_POINT();
}

void ZELElementPropertyPageEdt::CommitModification() {
  ZEL_DEBUG_SCOPE("ZELElementPropertyPageEdt::CommitModification");
  CATSysSettingRepository* repository = CATSysSettingRepository::GetRepository(kRepository);
  if (!repository || FAILED(repository->SaveRepository())) ZEL_FAILURE_POINT();
  if (repository) repository->Release();
}

void ZELElementPropertyPageEdt::CancelModification() {
  ZEL_DEBUG_SCOPE("ZELElementPropertyPageEdt::CancelModification");
  CATSysSettingRepository* repository = CATSysSettingRepository::GetRepository(kRepository);
  // Back to what the file holds: the edits of this visit never reached it.
  if (!repository || FAILED(repository->ReloadRepository())) ZEL_FAILURE_POINT();
  if (repository) repository->Release();
}
