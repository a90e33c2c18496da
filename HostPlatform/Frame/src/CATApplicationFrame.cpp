#include "CATApplicationFrame.h"

#include <algorithm>

#include "CATApplication.h"
#include "CATCmdContainer.h"
#include "CATCommandHeader.h"
#include "CATDlgDialog.h"
#include "CATFrmLayout.h"
#include "CATFrmWindow.h"

namespace {
CATApplicationFrame* s_frame = nullptr;
}

CATApplicationFrame::CATApplicationFrame(CATCommand* parent, const CATString& name)
    : CATCommand(parent ? parent : CATApplication::MainApplication(), name) {
  if (!s_frame) s_frame = this;
  mainWindow_ = new CATDlgDialog(this, "MainWindow", CATDlgWndNoButton);
  mainWindow_->SetVisibility(CATDlgShow);
  document_ = new CATDlgDialog(mainWindow_, "ApplicationDocument", CATDlgWndNoButton);
  document_->SetVisibility(CATDlgShow);
  layout_ = new CATFrmLayout(this);
  searchEditor_ = CreateEditor(CATFrmSearchEditor);
  // The platform's own commands.
  CATCommandHeader* removeBranch =
      new CATCommandHeader("CATImmRemoveBranchCmd", "CATAfrFoundation", "CATImmRemoveBranchCmd", nullptr,
                           "CATImmNavigation", "CATImmNavigation", CATFrmAvailable);
  AddHeader(removeBranch);
  removeBranch->Release();
  // The session starts at the home; a second frame is no session of its own (GetFrame stays the first).
  if (s_frame == this) LoadAddins();
}

CATApplicationFrame::~CATApplicationFrame() {
  // Commands still running go first, while the windows and editors they may use still exist; then the
  // layout, whose windows close their editors, before the editors (children) go.
  std::vector<Started> started;
  started.swap(started_);
  for (const Started& entry : started)
    if (!entry.alive.expired()) delete entry.command;
  delete layout_;
  layout_ = nullptr;
  // Add-ins go before the headers they declared; last loaded, first released.
  std::vector<Addin> addins;
  addins.swap(addins_);
  for (auto it = addins.rbegin(); it != addins.rend(); ++it) {
    if (it->toolbars) it->toolbars->Release();
    it->addin->Release();
  }
  for (CATCommandHeader* header : headers_) header->Release();
  headers_.clear();
  if (s_frame == this) s_frame = nullptr;
}

CATApplicationFrame* CATApplicationFrame::GetFrame() {
  return s_frame;
}

CATString CATApplicationFrame::GetCurrentWorkbench() const {
  CATFrmWindow* window = layout_ ? layout_->GetCurrentWindow() : nullptr;
  return window ? window->GetWorkbench() : homeWorkbench_;
}

CATString CATApplicationFrame::GetCurrentWorkshop() const {
  CATFrmWindow* window = layout_ ? layout_->GetCurrentWindow() : nullptr;
  return window ? window->GetWorkshop() : homeWorkshop_;
}

void CATApplicationFrame::SetCurrentWorkbench(const CATString& name) {
  CATFrmWindow* window = layout_ ? layout_->GetCurrentWindow() : nullptr;
  if (window)
    window->SetWorkbench(name);
  else
    homeWorkbench_ = name;
  LoadAddins();
}

void CATApplicationFrame::SetCurrentWorkshop(const CATString& name) {
  CATFrmWindow* window = layout_ ? layout_->GetCurrentWindow() : nullptr;
  if (window)
    window->SetWorkshop(name);
  else
    homeWorkshop_ = name;
  LoadAddins();
}

CATFrmEditor* CATApplicationFrame::CreateEditor(CATFrmEditorKind kind) {
  return new CATFrmEditor(this, CATString("Editor" + std::to_string(++editors_)), kind);
}

HRESULT CATApplicationFrame::StartCommand(CATCommand* command) {
  if (!command) return E_INVALIDARG;
  started_.erase(std::remove_if(started_.begin(), started_.end(),
                                [](const Started& entry) { return entry.alive.expired(); }),
                 started_.end());
  started_.push_back({command, command->LifeToken()});
  try {
    command->Activate(this, nullptr);
  } catch (...) {
    return E_FAIL;
  }
  return S_OK;
}

int CATApplicationFrame::CountRunningCommands() const {
  return static_cast<int>(std::count_if(started_.begin(), started_.end(),
                                        [](const Started& entry) { return !entry.alive.expired(); }));
}

CATListVal<CATCommand*> CATApplicationFrame::ListRunningCommands() const {
  CATListVal<CATCommand*> list;
  for (const Started& entry : started_)
    if (!entry.alive.expired()) list.Append(entry.command);
  return list;
}

HRESULT CATApplicationFrame::AddHeader(CATCommandHeader* header) {
  if (!header || header->GetID().IsNull()) return E_INVALIDARG;
  if (FindHeader(header->GetID())) return S_FALSE;
  header->AddRef();
  headers_.push_back(header);
  return S_OK;
}

CATCommandHeader* CATApplicationFrame::FindHeader(const CATString& id) const {
  for (CATCommandHeader* header : headers_)
    if (header->GetID() == id) return header;
  return nullptr;
}

CATListVal<CATCommandHeader*> CATApplicationFrame::ListHeaders() const {
  CATListVal<CATCommandHeader*> list;
  for (CATCommandHeader* header : headers_) list.Append(header);
  return list;
}
