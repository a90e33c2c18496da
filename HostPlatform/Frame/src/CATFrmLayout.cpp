#include "CATFrmLayout.h"

#include <algorithm>

#include "CATApplicationFrame.h"
#include "CATFrmWindow.h"
#include "CATIAlias.h"

namespace {
void Erase(std::vector<CATFrmWindow*>& windows, CATFrmWindow* window) {
  windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}
}  // namespace

CATFrmLayout::CATFrmLayout(CATApplicationFrame* frame) : CATCommand(frame, "Layout"), frame_(frame) {}

CATFrmLayout::~CATFrmLayout() {
  // The windows (children) are destroyed after this body, when the layout is no longer whole.
  for (CATFrmWindow* window : windows_) window->Detach();
  windows_.clear();
  recent_.clear();
  current_ = nullptr;
}

CATFrmLayout* CATFrmLayout::GetCurrentLayout() {
  CATApplicationFrame* frame = CATApplicationFrame::GetFrame();
  return frame ? frame->GetLayout() : nullptr;
}

CATListVal<CATFrmWindow*> CATFrmLayout::GetWindowList() const {
  CATListVal<CATFrmWindow*> list;
  for (CATFrmWindow* window : windows_) list.Append(window);
  return list;
}

HRESULT CATFrmLayout::OpenWindow(CATBaseUnknown* root, CATFrmEditorKind kind, CATFrmWindow** oWindow) {
  if (oWindow) *oWindow = nullptr;
  if (kind != CATFrmProductEditor && kind != CATFrmNavigationEditor) return E_INVALIDARG;
  if (!frame_ || !root) return E_FAIL;
  CATFrmEditor* editor = frame_->CreateEditor(kind);
  if (!editor) return E_FAIL;
  if (FAILED(editor->AddRootComponent(root))) {
    editor->Close();
    return E_FAIL;
  }
  CATFrmWindow* window = new CATFrmWindow(this, CATString("Window" + std::to_string(++opened_)), editor);
  CATIAlias_var alias(root);
  if (alias != NULL_var) window->SetBaseName(alias->GetAlias());
  windows_.push_back(window);
  if (oWindow) *oWindow = window;
  SetCurrentWindow(window);
  return S_OK;
}

HRESULT CATFrmLayout::SetCurrentWindow(CATFrmWindow* window) {
  if (!window || std::find(windows_.begin(), windows_.end(), window) == windows_.end()) return E_FAIL;
  if (window == current_) return S_FALSE;
  CATFrmWindow* former = current_;
  current_ = window;
  Erase(recent_, window);
  recent_.push_back(window);
  std::weak_ptr<const int> alive = window->LifeToken();
  if (former) former->Notify(CATFrmWindow::WINDOW_DEACTIVATED());
  // The callbacks of the deactivation may have closed or replaced the window.
  if (!alive.expired() && current_ == window) {
    // The workbench's add-ins come first, so that the activation finds the headers they declare.
    if (frame_) frame_->LoadAddins();
    if (!alive.expired() && current_ == window) window->Notify(CATFrmWindow::WINDOW_ACTIVATED());
  }
  return S_OK;
}

HRESULT CATFrmLayout::CloseWindow(CATFrmWindow* window) {
  if (!window || std::find(windows_.begin(), windows_.end(), window) == windows_.end()) return E_FAIL;
  Erase(windows_, window);
  Erase(recent_, window);
  bool wasCurrent = window == current_;
  if (wasCurrent) current_ = recent_.empty() ? nullptr : recent_.back();
  CATFrmWindow* successor = current_;
  if (window->GetEditor()) window->GetEditor()->Close();
  std::weak_ptr<const int> alive = window->LifeToken();
  window->Notify(CATFrmWindow::WINDOW_DELETED());
  if (!alive.expired()) {
    window->Detach();
    window->RequestDelayedDestruction();
  }
  // Unless a callback already made another window current (which then was notified), the successor is.
  if (wasCurrent && current_ == successor) {
    // The successor's workbench, or the home's when no window is left, becomes current.
    if (frame_) frame_->LoadAddins();
    if (current_ && current_ == successor) current_->Notify(CATFrmWindow::WINDOW_ACTIVATED());
  }
  return S_OK;
}

void CATFrmLayout::Forget(CATFrmWindow* window) {
  Erase(windows_, window);
  Erase(recent_, window);
  if (current_ == window) current_ = recent_.empty() ? nullptr : recent_.back();
}
