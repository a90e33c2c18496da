// The stop signals: a stop requests shutdown and waits for cleanup; when cleanup does not come in time the
// stop is forced and the signal's default handling ends the process.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "ListenerEvent.h"
#include "StopSignalHandler.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// Each runs in a child process of its own (the stop signals stay blocked there) and ends it.
[[noreturn]] void StopWithoutCleanup() {
  StopSignalHandler::BlockStopSignals();
  ListenerEvent shutdown;
  ListenerEvent cleanupFinished;
  StopSignalHandler handler(false, shutdown, cleanupFinished, {}, milliseconds(200));
  handler.Start();
  kill(getpid(), SIGTERM);
  // Shutdown is requested, but the body never cleans up.
  if (!shutdown.WaitFor(seconds(30))) std::_Exit(10);
  std::this_thread::sleep_for(seconds(30));
  std::_Exit(11);
}

[[noreturn]] void StopWithCleanup() {
  StopSignalHandler::BlockStopSignals();
  ListenerEvent shutdown;
  ListenerEvent cleanupFinished;
  std::atomic<bool> stopPending{false};
  StopSignalHandler handler(true, shutdown, cleanupFinished, [&] { stopPending = true; });
  handler.Start();
  kill(getpid(), SIGINT);
  if (!shutdown.WaitFor(seconds(30)) || !stopPending) std::_Exit(10);
  cleanupFinished.Set();
  handler.Finish();
  std::_Exit(0);
}

TEST(StopSignalHandlerDeathTest, CleanupThatNeverComesIsForcedBySignal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(StopWithoutCleanup(), ::testing::KilledBySignal(SIGTERM), "");
}

TEST(StopSignalHandlerDeathTest, StopWaitsForCleanupAndReportsStopPending) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(StopWithCleanup(), ::testing::ExitedWithCode(0), "");
}

TEST(StopSignalHandler, FinishWithoutAStopEndsTheWatch) {
  ListenerEvent shutdown;
  ListenerEvent cleanupFinished;
  StopSignalHandler handler(false, shutdown, cleanupFinished);
  handler.Start();
  auto started = std::chrono::steady_clock::now();
  handler.Finish();
  EXPECT_LT(std::chrono::steady_clock::now() - started, seconds(10));
  EXPECT_FALSE(shutdown.IsSet());
}

}  // namespace
