#include "ZELBatchEventWatcher.h"

#include <cstdio>
#include <cstring>

#include "ZELDebug.h"

namespace {

void OnBatchEnd(CATEventSubscriber* iSubscriber, CATBaseUnknown*, CATNotification* iNotification,
                CATSubscriberData, CATCallback) {
  if (auto* watcher = dynamic_cast<ZELBatchEventWatcher*>(iSubscriber)) watcher->BatchEnded(iNotification);
}

}  // namespace

ZELBatchEventWatcher::ZELBatchEventWatcher(int* ioDoneFlag) : _pDoneFlag(ioDoneFlag) {
  ZEL_DEBUG_SCOPE("ZELBatchEventWatcher::ZELBatchEventWatcher");
  _callback =
      AddCallback(this, GetBatchPublisherCAA(), CATBatchEndNotifCAA::ClassName(), &OnBatchEnd, nullptr);
  if (!_callback) ZEL_FAILURE_POINT();
}

ZELBatchEventWatcher::~ZELBatchEventWatcher() {
  Unsubscribe();
}

void ZELBatchEventWatcher::Unsubscribe() {
  if (!_callback) return;
  RemoveSubscriberCallbacks(this, GetBatchPublisherCAA());
  _callback = 0;
}

void ZELBatchEventWatcher::SetBatchId(const char* iBatchId) {
  std::memset(_batchId, 0, sizeof _batchId);
  if (iBatchId) std::strncpy(_batchId, iBatchId, CATBatchIdMaxLength);
}

void ZELBatchEventWatcher::BatchEnded(CATNotification* iNotification) {
  ZEL_DEBUG_SCOPE("ZELBatchEventWatcher::BatchEnded");
  auto* end = dynamic_cast<CATBatchEndNotifCAA*>(iNotification);
  if (!end) {
    ZEL_FAILURE_POINT();
    return;
  }
  std::printf("pNotifName %s\n", end->GetNotifName());
  std::fflush(stdout);
  // Identifiers are texts: what follows the terminating zero is no part of them.
  if (!_batchId[0] || std::strncmp(end->GetBatchId(), _batchId, CATBatchIdMaxLength + 1) != 0) return;
  CATBatClientMonitorCAA* monitor = CATBatClientMonitorCAA::GetTheClientMonitorCAA();
  int returnCode = kUnreadReturnCode;
  if (!monitor || FAILED(monitor->QueryBatch(_batchId)) ||
      FAILED(monitor->GetBatchReturnCode(_batchId, returnCode))) {
    // The batch has ended all the same: the wait must end, with the return code left unread.
    ZEL_FAILURE_POINT();
  } else {
    _iReturnCode = returnCode;
  }
  if (_pDoneFlag) *_pDoneFlag = 1;
}
