#include "StopSignalHandler.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

sigset_t StopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

void Print(const char* line) {
  std::fputs(line, stdout);
  std::fflush(stdout);
}

}  // namespace

StopSignalHandler::StopSignalHandler(bool serviceMode, ListenerEvent& shutdown,
                                     const ListenerEvent& cleanupFinished,
                                     std::function<void()> onStopPending,
                                     std::chrono::milliseconds cleanupWait)
    : serviceMode_(serviceMode),
      shutdown_(shutdown),
      cleanupFinished_(cleanupFinished),
      onStopPending_(std::move(onStopPending)),
      cleanupWait_(cleanupWait) {}

StopSignalHandler::~StopSignalHandler() {
  Finish();
}

bool StopSignalHandler::BlockStopSignals() {
  sigset_t set = StopSignals();
  return pthread_sigmask(SIG_BLOCK, &set, nullptr) == 0;
}

void StopSignalHandler::Start() {
  thread_ = std::thread([this] { Watch(); });
}

void StopSignalHandler::Finish() {
  finishing_ = true;
  if (thread_.joinable()) thread_.join();
}

void StopSignalHandler::Watch() {
  const sigset_t set = StopSignals();
  // Polled so that Finish is seen even when no signal ever comes.
  const timespec poll{0, 100 * 1000 * 1000};
  while (!finishing_) {
    int signal = sigtimedwait(&set, nullptr, &poll);
    if (signal == SIGINT || signal == SIGTERM) {
      Handle(signal);
      return;
    }
  }
}

void StopSignalHandler::Handle(int signal) {
  if (!serviceMode_) Print("Shutting down ... will be forced after timeout\n");
  if (onStopPending_) onStopPending_();
  shutdown_.Set();
  if (cleanupFinished_.WaitFor(cleanupWait_)) {
    Print("Cleanup finished ... shutting down\n");
    return;
  }
  Print("Force shutdown ...\n");
  // The default handling of the stop signal ends the process.
  ::signal(signal, SIG_DFL);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, signal);
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  ::raise(signal);
  _exit(128 + signal);
}
