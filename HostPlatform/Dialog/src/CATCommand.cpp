#include "CATCommand.h"

#include <algorithm>

#include "CATApplication.h"
#include "CATCallbackRegistry.h"
#include "CATNotification.h"

CATCommand::CATCommand(CATCommand* parent, const CATString& name)
    : parent_(parent), name_(name), life_(std::make_shared<const int>(0)) {
  if (parent_) parent_->children_.push_back(this);
}

CATCommand::~CATCommand() {
  life_.reset();
  CATCallbackRegistry::Instance().Forget(this);
  // Nothing may call back into a destroyed command: drop its pending destruction and time-outs.
  CATApplication* app = CATApplication::MainApplication();
  if (app && app != this) {
    app->CancelDestruction(this);
    app->RemoveTimeOut(this);
  }
  while (!children_.empty()) {
    CATCommand* child = children_.back();
    children_.pop_back();
    child->parent_ = nullptr;
    delete child;
  }
  if (parent_) {
    std::vector<CATCommand*>& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

CATStatusChangeRC CATCommand::Activate(CATCommand*, CATNotification*) {
  return CATStatusChangeRCCompleted;
}

CATStatusChangeRC CATCommand::Desactivate(CATCommand*, CATNotification*) {
  return CATStatusChangeRCCompleted;
}

CATStatusChangeRC CATCommand::Cancel(CATCommand*, CATNotification*) {
  return CATStatusChangeRCCompleted;
}

void CATCommand::RequestDelayedDestruction() {
  if (destructionRequested_) return;
  CATApplication* app = CATApplication::MainApplication();
  if (app == this) {
    // The application belongs to whoever created it; its request only ends the event loop.
    app->Exit();
    return;
  }
  destructionRequested_ = 1;
  if (app)
    app->ScheduleDestruction(this);
  else
    delete this;
}

CATCallback CATCommand::AddAnalyseNotificationCB(CATCommand* sender, CATNotification* notification,
                                                 CATCommandMethod method, CATCommandClientData data) {
  if (!notification) return 0;
  return CATCallbackRegistry::Instance().Add(this, sender, notification->GetKind(), method, data);
}

int CATCommand::RemoveAnalyseNotificationCB(CATCallback callback) {
  return CATCallbackRegistry::Instance().Remove(this, callback);
}

int CATCommand::RemoveAnalyseNotificationCB(CATCommand* sender, CATNotification* notification,
                                            CATCommandMethod method, CATCommandClientData data) {
  if (!notification) return 0;
  return CATCallbackRegistry::Instance().Remove(this, sender, notification->GetKind(), method, data);
}

int CATCommand::PublishNotification(CATNotification* notification) {
  if (!notification) return 0;
  CATBaseUnknown_var hold(notification);
  std::weak_ptr<const int> alive = LifeToken();
  int ran = CATCallbackRegistry::Instance().Dispatch(this, notification);
  // Subscribers that registered with AddCallback on this command hear its notifications too.
  if (!alive.expired())
    if (CATCallbackManager* manager = GetDefaultCallbackManager(this))
      ran += manager->DispatchCallbacks(notification, this);
  return ran;
}
