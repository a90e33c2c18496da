#include "CATFrmWindow.h"

#include "CATFrmLayout.h"
#include "CATNotification.h"

namespace {
// One object per kind for the whole process: callbacks match on the kind, whoever registers or sends it.
CATNotification* Kind(const char* name) {
  return new CATNotification(name);
}
}  // namespace

CATFrmWindow::CATFrmWindow(CATFrmLayout* layout, const CATString& name, CATFrmEditor* editor)
    : CATCommand(layout, name), layout_(layout), editor_(editor) {
  if (editor_) {
    editor_->SetWindow(this);
    if (editor_->GetKind() == CATFrmNavigationEditor) {
      workbench_ = "CATImmNav";
      workshop_ = "ImmNavWorkshop";
    } else {
      workbench_ = "PRDWorkbench";
      workshop_ = "PRDWorkshop";
    }
  }
}

CATFrmWindow::~CATFrmWindow() {
  if (layout_) layout_->Forget(this);
  Detach();
}

CATNotification* CATFrmWindow::WINDOW_ACTIVATED() {
  static CATNotification* notification = Kind("CATFrmWindow::WINDOW_ACTIVATED");
  return notification;
}

CATNotification* CATFrmWindow::WINDOW_DEACTIVATED() {
  static CATNotification* notification = Kind("CATFrmWindow::WINDOW_DEACTIVATED");
  return notification;
}

CATNotification* CATFrmWindow::WINDOW_DELETED() {
  static CATNotification* notification = Kind("CATFrmWindow::WINDOW_DELETED");
  return notification;
}

CATNotification* CATFrmWindow::WINDOW_RESTORED() {
  static CATNotification* notification = Kind("CATFrmWindow::WINDOW_RESTORED");
  return notification;
}

HRESULT CATFrmWindow::Restore() {
  if (!minimized_) return S_FALSE;
  minimized_ = 0;
  Notify(WINDOW_RESTORED());
  return S_OK;
}

void CATFrmWindow::Notify(CATNotification* notification) {
  // A callback may close or destroy anything, this window and its layout included.
  std::weak_ptr<const int> layoutAlive = layout_ ? layout_->LifeToken() : std::weak_ptr<const int>();
  CATFrmLayout* layout = layout_;
  PublishNotification(notification);
  if (layout && !layoutAlive.expired()) layout->PublishNotification(notification);
}

void CATFrmWindow::Detach() {
  if (editor_ && editor_->GetWindow() == this) editor_->Close();
  editor_ = nullptr;
  layout_ = nullptr;
}
