#ifndef StopSignalHandler_h
#define StopSignalHandler_h
// SIGINT and SIGTERM are the stop events: on a thread of its own the handler requests shutdown, waits a
// bounded time for the body's cleanup, and when that does not come ends the process the default way.
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "ListenerEvent.h"

class StopSignalHandler {
 public:
  static constexpr std::chrono::seconds kCleanupWait{15};

  // onStopPending runs first on a stop (the service reports stop pending).
  StopSignalHandler(bool serviceMode, ListenerEvent& shutdown, const ListenerEvent& cleanupFinished,
                    std::function<void()> onStopPending = {},
                    std::chrono::milliseconds cleanupWait = kCleanupWait);
  ~StopSignalHandler();
  StopSignalHandler(const StopSignalHandler&) = delete;
  StopSignalHandler& operator=(const StopSignalHandler&) = delete;

  // Before any thread exists, so that only the handler's thread ever takes the stop signals.
  static bool BlockStopSignals();
  void Start();
  // Stops watching and waits for a stop in progress to finish.
  void Finish();

 private:
  void Watch();
  void Handle(int signal);

  bool serviceMode_;
  ListenerEvent& shutdown_;
  const ListenerEvent& cleanupFinished_;
  std::function<void()> onStopPending_;
  std::chrono::milliseconds cleanupWait_;
  std::atomic<bool> finishing_{false};
  std::thread thread_;
};

#endif
