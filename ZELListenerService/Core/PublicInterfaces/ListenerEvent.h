#ifndef ListenerEvent_h
#define ListenerEvent_h
// A manual-reset event: once set it stays set, and every waiter, present or future, sees it.
#include <chrono>
#include <condition_variable>
#include <mutex>

class ListenerEvent {
 public:
  void Set();
  bool IsSet() const;
  // True when the event is (or becomes) set within the time-out.
  bool WaitFor(std::chrono::milliseconds timeout) const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool set_ = false;
};

#endif
