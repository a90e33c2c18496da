// The log's file name, line forms and levels, and the body's life around the server: start-up banner and
// configuration, socket failure, cleanup on shutdown.
#include <gtest/gtest.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>

#include "ListenerBody.h"
#include "ListenerLog.h"
#include "ListenerTestLog.h"
#include "ZELTestSupport.h"

namespace {

const std::regex kStamp(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d,\d{3})");

TEST(ListenerLogFormat, TimestampAndFileNameUseTheLocalDate) {
  // The rest of the process keeps the machine's zone: re-read once the variable is restored.
  struct RestoreZone {
    ~RestoreZone() { tzset(); }
  } restore;
  zeltest::ScopedEnv zone("TZ", "UTC");
  tzset();
  // 2024-01-31 01:01:01 UTC
  std::timespec when{1706662861, 7'999'999};
  EXPECT_EQ(ListenerLog::Timestamp(when), "2024-01-31 01:01:01,007");
  EXPECT_EQ(ListenerLog::FileName(when.tv_sec), "ZelListener.20240131.log");
  EXPECT_EQ(ListenerLog::FileName(0), "ZelListener.19700101.log");
  EXPECT_STREQ(ListenerLog::LevelName(2), "ERROR");
  EXPECT_STREQ(ListenerLog::LevelName(3), "UNKNOWN");
}

TEST(ListenerLogFormat, FileAndStandardOutputFormsFollowTheLevel) {
  zeltest::TempDir dir("listener-log");
  CapturedConsole console;
  {
    ListenerLog log(console.File());
    log.Startup("Listener", "before %d", 1);  // the file is not open yet
    ASSERT_TRUE(log.Open(dir.Path().string() + "/", kListenerLogInfo));
    EXPECT_EQ(log.FilePath(), (dir / ListenerLog::FileName(std::time(nullptr))).string());
    log.Debug("Command", "hidden %s", "debug");
    log.Info("WebsocketServer", "shown %s", "info");
    log.Error("Util", "shown %s", "error");
    log.Startup("Util", "console only");
  }
  std::string file = zeltest::ReadFile(dir / ListenerLog::FileName(std::time(nullptr)));
  std::string out = console.Text();
  EXPECT_TRUE(std::regex_match(
      file, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d,\d{3} INFO \[WebsocketServer\] )"
                       R"(shown info\n)"
                       R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d,\d{3} ERROR \[Util\] shown error\n)")))
      << file;
  EXPECT_TRUE(std::regex_match(out, std::regex(R"(\S+ \S+ \[Listener\] before 1\n)"
                                               R"(\S+ \S+ \[WebsocketServer\] shown info\n)"
                                               R"(\S+ \S+ \[Util\] shown error\n)"
                                               R"(\S+ \S+ \[Util\] console only\n)")))
      << out;

  // Appended, and at level ERROR only errors pass.
  ListenerLog again(console.File());
  ASSERT_TRUE(again.Open(dir.Path().string(), kListenerLogError));
  again.Info("Listener", "hidden");
  again.Error("Listener", "third");
  again.Close();
  file = zeltest::ReadFile(dir / ListenerLog::FileName(std::time(nullptr)));
  EXPECT_EQ(file.find("hidden"), std::string::npos);
  EXPECT_NE(file.find("shown error\n"), std::string::npos);
  EXPECT_NE(file.find(" ERROR [Listener] third\n"), std::string::npos);
}

TEST(ListenerLogFormat, UnopenableFileLeavesStandardOutput) {
  zeltest::TempDir dir("listener-log");
  CapturedConsole console;
  ListenerLog log(console.File());
  EXPECT_FALSE(log.Open((dir / "missing").string(), kListenerLogDebug));
  EXPECT_NE(
      console.Text().find("[Logger] Failed to open log file with code [2]: [No such file or directory]\n"
                          "Logging only to stdout\n"),
      std::string::npos);
  // A link planted at the file's place in a shared directory is not followed.
  std::filesystem::path target = dir / "elsewhere";
  std::filesystem::create_symlink(target, dir / ListenerLog::FileName(std::time(nullptr)));
  EXPECT_FALSE(log.Open(dir.Path().string(), kListenerLogDebug));
  EXPECT_FALSE(std::filesystem::exists(target));
  log.Debug("Listener", "still %s", "here");
  EXPECT_NE(console.Text().find("[Listener] still here\n"), std::string::npos);
  // No directory at all: standard output only, and that is no failure.
  EXPECT_TRUE(log.Open("", kListenerLogInfo));
  EXPECT_FALSE(log.IsOpen());
}

// Serves until shutdown, or fails its set-up on demand.
class FakeServer : public ListenerServer {
 public:
  explicit FakeServer(bool setupWorks) : setupWorks_(setupWorks) {}
  bool Setup(const ListenerConfig& config, ListenerLog&) override {
    port = config.port;
    return setupWorks_;
  }
  void Serve(const ListenerConfig&, ListenerLog& log, const ListenerEvent& shutdown) override {
    served = true;
    log.Info("WebsocketServer", "serving");
    while (!shutdown.WaitFor(std::chrono::milliseconds(50))) {
    }
  }
  int port = 0;
  bool served = false;

 private:
  bool setupWorks_;
};

class ListenerBodyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(zeltest::WriteFile(
        dir / "zel.cfg", "LOG_DIR = " + dir.Path().string() +
                             "\nPORT = 7001\n"
                             "3DEXPERIENCE_DIR = /opt/3dx\n3DEXPERIENCE_ENV_FILE = /opt/env.txt\n"));
  }
  std::string LogFile() { return zeltest::ReadFile(dir / ListenerLog::FileName(std::time(nullptr))); }

  zeltest::ScopedEnv temp{"TEMP", nullptr};
  zeltest::ScopedEnv level{"ZEL_LISTENER_LOG_LEVEL", nullptr};
  zeltest::ScopedEnv logDir{"ZEL_LISTENER_LOG_DIR", nullptr};
  zeltest::ScopedEnv install{"ZEL_LISTENER_3DEXPERIENCE_DIR", nullptr};
  zeltest::ScopedEnv envFile{"ZEL_LISTENER_3DEXPERIENCE_ENV_FILE", nullptr};
  zeltest::TempDir dir{"listener-body"};
  CapturedConsole console;
  ListenerLog log{console.File()};
  ListenerEvent shutdown;
  ListenerEvent cleanupFinished;
};

TEST_F(ListenerBodyTest, RunsUntilShutdownThenCleansUp) {
  FakeServer server(true);
  ListenerBody body(log, server, shutdown, cleanupFinished);
  bool running = false;
  int code = -1;
  std::thread thread(
      [&] { code = body.Run((dir / "zel.cfg").string(), "/work/dir", [&] { running = true; }); });
  shutdown.Set();
  EXPECT_TRUE(cleanupFinished.WaitFor(std::chrono::seconds(30)));
  thread.join();
  EXPECT_EQ(code, ListenerBody::kExitOk);
  EXPECT_TRUE(running);
  EXPECT_TRUE(server.served);
  EXPECT_EQ(server.port, 7001);
  EXPECT_TRUE(body.Config().launcherPath.empty());  // freed at cleanup

  const std::string rule(65, '-');
  std::string file = std::regex_replace(LogFile(), kStamp, "T");
  EXPECT_EQ(file,
            "T INFO [Listener] " + rule + "\n" +
                "T INFO [Listener] ---------------------- Starting ZelListener ---------------------\n" +
                "T INFO [Listener] " + rule + "\n" +
                "T INFO [Listener] Using config:\nLOG_DIR: " + dir.Path().string() +
                "\nLOG_LEVEL: INFO\nPORT: 7001\nCATSTART_PATH: /opt/3dx/linux_a64/code/bin/CATSTART\n"
                "3DEXPERIENCE_ENV_FILE: /opt/env.txt\n"
                "T INFO [Listener] Working directory: /work/dir\n"
                "T INFO [WebsocketServer] serving\n"
                "T INFO [Listener] Shutting down, cleanup ...\n");
  // The closing banner comes after the file is closed.
  std::string out = console.Text();
  EXPECT_NE(out.find("[Listener] ---------------------- Terminating ZelListener ------------------\n"),
            std::string::npos);
}

TEST_F(ListenerBodyTest, SocketFailureEndsWithTwoAndConfigurationFailureWithOne) {
  FakeServer failing(false);
  ListenerBody body(log, failing, shutdown, cleanupFinished);
  EXPECT_EQ(body.Run((dir / "zel.cfg").string(), "/w"), ListenerBody::kExitSocketFailed);
  EXPECT_FALSE(failing.served);
  EXPECT_NE(LogFile().find(" ERROR [Listener] Failed to setup socket, exiting\n"), std::string::npos);

  FakeServer server(true);
  ListenerBody broken(log, server, shutdown, cleanupFinished);
  EXPECT_EQ(broken.Run((dir / "missing.cfg").string(), "/w"), ListenerBody::kExitConfigFailed);
  EXPECT_FALSE(server.served);
  EXPECT_NE(console.Text().find("[Listener] Failed to initialize listener config, exiting\n"),
            std::string::npos);
  EXPECT_FALSE(cleanupFinished.IsSet());
}

TEST_F(ListenerBodyTest, UnopenableLogDirectoryKeepsTheListenerRunning) {
  zeltest::ScopedEnv missing("ZEL_LISTENER_LOG_DIR", (dir / "no" / "such").c_str());
  FakeServer server(true);
  ListenerBody body(log, server, shutdown, cleanupFinished);
  shutdown.Set();
  EXPECT_EQ(body.Run((dir / "zel.cfg").string(), "/w"), ListenerBody::kExitOk);
  std::string out = console.Text();
  EXPECT_NE(out.find("Failed to initialize log file, logging only to stdout\n"), std::string::npos);
  EXPECT_NE(out.find("Using config:\nLOG_DIR: " + (dir / "no" / "such").string()), std::string::npos);
}

}  // namespace
