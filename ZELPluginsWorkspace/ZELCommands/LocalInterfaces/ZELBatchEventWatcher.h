#ifndef ZELBatchEventWatcher_h
#define ZELBatchEventWatcher_h
// Watches the batch publisher for the end of one submitted batch: sets the caller's done flag when the end
// of the watched batch arrives and reads the batch's return code (99 until read). Lives on the caller's
// stack for one submission; it unsubscribes when it goes, so a later batch end never reaches it.
#include "CATBatClientMonitorCAA.h"
#include "CATEventSubscriber.h"

class ZELBatchEventWatcher : public CATEventSubscriber {
 public:
  static constexpr int kUnreadReturnCode = 99;

  explicit ZELBatchEventWatcher(int* ioDoneFlag);
  ~ZELBatchEventWatcher() override;
  ZELBatchEventWatcher(const ZELBatchEventWatcher&) = delete;
  ZELBatchEventWatcher& operator=(const ZELBatchEventWatcher&) = delete;

  // Copies at most 32 characters; the rest of the identifier stays zero.
  void SetBatchId(const char* iBatchId);
  int GetReturnCode() const { return _iReturnCode; }
  int IsSubscribed() const { return _callback != 0; }
  // Stops watching; the destructor does it too.
  void Unsubscribe();

  void BatchEnded(CATNotification* iNotification);

 private:
  int* _pDoneFlag;
  int _iReturnCode = kUnreadReturnCode;
  char _batchId[CATBatchIdMaxLength + 1] = {};
  CATCallback _callback = 0;
};

#endif
