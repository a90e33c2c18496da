// A bounded soak of the listener: a few thousand hostile or broken connections from several threads at once,
// after which it still serves a valid request and holds no more descriptors than before.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ListenerUnderTest.h"
#include "RawClient.h"

namespace {

// The listener this test started: the child of this process that runs the program.
int ListenerPid() {
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::string stat = zeltest::ReadFile(entry.path() / "stat");
    std::size_t close = stat.rfind(')');
    if (close == std::string::npos || stat.find("(ZELListenerServ") == std::string::npos) continue;
    std::istringstream fields(stat.substr(close + 2));
    char state;
    int parent = 0;
    if (fields >> state >> parent && parent == ::getpid()) return std::stoi(entry.path().filename().string());
  }
  return -1;
}

std::size_t OpenDescriptors(int pid) {
  std::error_code error;
  std::size_t count = 0;
  for (auto it = std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error);
       !error && it != std::filesystem::directory_iterator(); it.increment(error))
    ++count;
  return count;
}

std::string DescribeDescriptors(int pid) {
  std::string text;
  std::error_code error;
  for (auto it = std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error);
       !error && it != std::filesystem::directory_iterator(); it.increment(error))
    text += it->path().filename().string() + " -> " +
            std::filesystem::read_symlink(it->path(), error).string() + "\n";
  return text;
}

// One connection of the given kind; true when it ended as it should (the listener closed it).
bool Misbehave(int port, int kind, std::mt19937& random) {
  RawClient client(port);
  if (!client.Connected()) return false;
  switch (kind) {
    case 0: {  // garbage
      std::string bytes(1 + random() % 3000, '\0');
      for (char& c : bytes) c = static_cast<char>(random());
      client.Send(bytes);
      client.ShutdownWrite();
      return client.ReadUntilClosed();
    }
    case 1:  // half-open: a request that never ends
      client.Send("GET / HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\n");
      client.ShutdownWrite();
      return client.ReadUntilClosed();
    case 2:  // silent, then gone
      std::this_thread::sleep_for(std::chrono::milliseconds(random() % 20));
      client.Close();
      return true;
    case 3:  // a frame far beyond the limit after a valid handshake
      client.Send(RawClient::UpgradeRequest() + RawClient::Frame(0x1, "abc", true, true, 1ull << 33));
      return client.ReadUntilClosed() && client.Received().rfind("HTTP/1.1 101 ", 0) == 0;
    case 4:  // headers beyond 16 KiB
      client.Send("GET / HTTP/1.1\r\nCookie: " + std::string(17 * 1024, 'c'));
      return client.ReadUntilClosed() && client.Received().empty();
    default:  // a valid handshake, then a close before any message
      client.Send(RawClient::UpgradeRequest() + RawClient::Frame(0x8, std::string("\x03\xE8", 2)));
      return client.ReadUntilClosed() &&
             client.Received().find(std::string("\x88\x02\x03\xE8", 4)) != std::string::npos;
  }
}

TEST(ListenerSoakTest, ThousandsOfBrokenConnectionsLeaveTheListenerServing) {
  ListenerUnderTest listener("ERROR");
  ASSERT_TRUE(listener.Start());
  const int pid = ListenerPid();
  ASSERT_GT(pid, 0);
  const std::size_t descriptors = OpenDescriptors(pid);

  constexpr int kThreads = 4;
  constexpr int kPerThread = 600;
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  const auto began = std::chrono::steady_clock::now();
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      std::mt19937 random(static_cast<unsigned>(1234 + t));
      for (int i = 0; i < kPerThread; ++i)
        if (!Misbehave(listener.Port(), (i + t) % 6, random)) ++wrong;
    });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::minutes(2));

  // Still serving, with a valid request as it should be.
  RawClient valid(listener.Port());
  ASSERT_TRUE(valid.Send(RawClient::UpgradeRequest() + RawClient::Frame(0x1, "ZEL:@:OPEN3DX:@:ok")));
  // The answer, the close with 1000, and the end once the close is returned.
  ASSERT_TRUE(valid.ReadUntil("\x88\x02\x03\xE8"));
  ASSERT_TRUE(valid.Send(RawClient::Frame(0x8, std::string("\x03\xE8", 2))));
  ASSERT_TRUE(valid.ReadUntilClosed());
  EXPECT_NE(valid.Received().find("Successfully executed OPEN3DX command."), std::string::npos);
  EXPECT_EQ(listener.RecordedArguments(),
            (std::vector<std::string>{"-env", listener.EnvFile(), "-run", "ZELSender ZEL_OPEN 6F6B"}));
  // Every connection's socket was closed: the listener holds what it held before (the last one is shut down
  // just before it is closed, so give it a moment).
  for (int wait = 0; wait < 50 && OpenDescriptors(pid) != descriptors; ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(OpenDescriptors(pid), descriptors) << DescribeDescriptors(pid);
  EXPECT_EQ(listener.Stop(SIGTERM), 0);
}

}  // namespace
