// The ZELListenerService program: its start-up messages and exit codes, SIGTERM and SIGINT as stop events in
// console mode, the service manager's reports in service mode, and the day's log file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <ctime>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "ListenerLog.h"
#include "ZELTestSupport.h"

namespace {

using std::chrono::seconds;

std::string Program() {
  return zeltest::RuntimeProgram("ZELListenerService").string();
}

// A private configuration and log directory; the variables that could leak in from outside are unset.
class ListenerProgramTest : public ::testing::Test {
 protected:
  void WriteConfig(const std::string& text) { ASSERT_TRUE(zeltest::WriteFile(dir / "zel.cfg", text)); }
  void WriteCompleteConfig() {
    WriteConfig("LOG_LEVEL = DEBUG\nPORT = " + std::to_string(port) +
                "\n3DEXPERIENCE_DIR = /opt/3dx\n"
                "3DEXPERIENCE_ENV_FILE = /opt/3dx/env.txt\n");
  }
  // Lines of the running program up to (and including) the one that contains text.
  static std::vector<std::string> ReadUntil(zeltest::ChildProcess& program, const std::string& text) {
    std::vector<std::string> lines;
    while (std::optional<std::string> line = program.ReadLine(seconds(60))) {
      lines.push_back(*line);
      if (line->find(text) != std::string::npos) break;
    }
    return lines;
  }
  static bool Contains(const std::vector<std::string>& lines, const std::string& text) {
    for (const std::string& line : lines)
      if (line.find(text) != std::string::npos) return true;
    return false;
  }

  zeltest::TempDir dir{"listener-program"};
  const int port = zeltest::FreePort();
  zeltest::ScopedEnv temp{"TEMP", nullptr};
  zeltest::ScopedEnv level{"ZEL_LISTENER_LOG_LEVEL", nullptr};
  zeltest::ScopedEnv logDir{"ZEL_LISTENER_LOG_DIR", dir.Path().c_str()};
  zeltest::ScopedEnv install{"ZEL_LISTENER_3DEXPERIENCE_DIR", nullptr};
  zeltest::ScopedEnv envFile{"ZEL_LISTENER_3DEXPERIENCE_ENV_FILE", nullptr};
  zeltest::ScopedEnv configFile{"ZEL_LISTENER_CONFIG_FILE", (dir / "zel.cfg").c_str()};
  zeltest::ScopedEnv notify{"NOTIFY_SOCKET", nullptr};
};

TEST_F(ListenerProgramTest, WithoutAUsableConfigurationTheStartFailsWithOne) {
  zeltest::ProgramResult missing = zeltest::RunProgram({Program()});
  EXPECT_EQ(missing.exitCode, 1) << missing.out;
  std::string bin = zeltest::RuntimeProgram("").parent_path().string();
  EXPECT_NE(missing.out.find("[Listener] Path to exectuable: " + Program() + "\n"), std::string::npos)
      << missing.out;
  EXPECT_NE(missing.out.find("[Listener] Found working directory: " + bin + "\n"), std::string::npos);
  EXPECT_NE(missing.out.find("[Listener] Failed to initialize listener config, exiting\n"),
            std::string::npos);

  // Without the installation directory the listener does not start.
  WriteConfig("3DEXPERIENCE_ENV_FILE = /opt/3dx/env.txt\n");
  zeltest::ProgramResult incomplete = zeltest::RunProgram({Program()});
  EXPECT_EQ(incomplete.exitCode, 1);
  EXPECT_NE(incomplete.out.find("[ListenerConfig] Failed to load either 3DEXPERIENCE_DIR or "
                                "3DEXPERIENCE_ENV_FILE, check config file\n"),
            std::string::npos);
  EXPECT_EQ(incomplete.out.find("Starting ZelListener"), std::string::npos);
}

TEST_F(ListenerProgramTest, StopSignalsEndTheConsoleListenerCleanly) {
  WriteCompleteConfig();
  for (int signal : {SIGTERM, SIGINT}) {
    zeltest::ChildProcess program({Program()});
    ASSERT_TRUE(program.Started());
    std::vector<std::string> start = ReadUntil(program, "] Opened socket for listen on port [");
    ASSERT_TRUE(Contains(start, "] Working directory: ")) << program.ReadAllErrors();
    EXPECT_TRUE(
        Contains(start, "[ListenerConfig] Created CATSTART_PATH: [/opt/3dx/linux_a64/code/bin/CATSTART]"));
    EXPECT_TRUE(
        Contains(start, "[Listener] ---------------------- Starting ZelListener ---------------------"));

    auto stopped = std::chrono::steady_clock::now();
    program.Signal(signal);
    std::optional<int> code = program.Wait(seconds(30));
    EXPECT_EQ(code, 0) << "signal " << signal;
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, seconds(15));
    std::vector<std::string> end = ReadUntil(program, "Cleanup finished");
    ASSERT_GE(end.size(), 5u);
    EXPECT_EQ(end[0], "Shutting down ... will be forced after timeout");
    EXPECT_TRUE(Contains(end, "[Listener] Shutting down, cleanup ..."));
    EXPECT_TRUE(
        Contains(end, "[Listener] ---------------------- Terminating ZelListener ------------------"));
    EXPECT_EQ(end.back(), "Cleanup finished ... shutting down");
  }

  // Both runs appended to the day's file, each line in the file form.
  std::string file = zeltest::ReadFile(dir / ListenerLog::FileName(std::time(nullptr)));
  const std::regex line(
      R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d,\d{3} INFO \[Listener\] Shutting down, cleanup \.\.\.)");
  auto found = std::sregex_iterator(file.begin(), file.end(), line);
  EXPECT_EQ(std::distance(found, std::sregex_iterator()), 2) << file;
  EXPECT_NE(file.find(" INFO [Listener] Using config:\nLOG_DIR: " + dir.Path().string() +
                      "\nLOG_LEVEL: DEBUG\nPORT: " + std::to_string(port) + "\n"),
            std::string::npos);
  EXPECT_EQ(file.find("Terminating"), std::string::npos);
}

TEST_F(ListenerProgramTest, DefaultConfigurationIsTheSampleBesideTheRuntimeTree) {
  zeltest::ScopedEnv noFile("ZEL_LISTENER_CONFIG_FILE", nullptr);
  zeltest::ChildProcess program({Program()});
  ASSERT_TRUE(program.Started());
  std::vector<std::string> start = ReadUntil(program, "] Working directory: ");
  EXPECT_TRUE(Contains(start, "Created CATSTART_PATH: [../../../linux_a64/code/bin/CATSTART]"));
  EXPECT_TRUE(Contains(start, "Config file variable loaded [PORT] with value [9191]"));
  // The sample's port may be taken on this machine; then the start ends with the socket failure.
  std::vector<std::string> socket = ReadUntil(program, "socket");
  program.Signal(SIGTERM);
  EXPECT_EQ(program.Wait(seconds(30)), Contains(socket, "] bind failed with error code 98") ? 2 : 0);
}

// A service manager's notification socket, as systemd offers it to a Type=notify service.
class NotifySocket {
 public:
  explicit NotifySocket(const std::string& path) : fd_(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    bound_ = bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    timeval wait{30, 0};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  }
  ~NotifySocket() { close(fd_); }
  bool Bound() const { return bound_; }
  std::string Receive() {
    char buffer[512];
    ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
  }

 private:
  int fd_;
  bool bound_ = false;
};

TEST_F(ListenerProgramTest, UnderAServiceManagerTheListenerReportsItsStates) {
  WriteCompleteConfig();
  std::string path = (dir / "notify").string();
  ASSERT_LT(path.size(), sizeof(sockaddr_un{}.sun_path));
  NotifySocket manager(path);
  ASSERT_TRUE(manager.Bound());
  zeltest::ScopedEnv notifyPath("NOTIFY_SOCKET", path.c_str());

  zeltest::ChildProcess program({Program()});
  ASSERT_TRUE(program.Started());
  EXPECT_EQ(manager.Receive(), "STATUS=Starting ZelListener");
  EXPECT_EQ(manager.Receive(), "READY=1\nSTATUS=Running");
  program.Signal(SIGTERM);
  EXPECT_EQ(manager.Receive(), "STOPPING=1");
  EXPECT_EQ(program.Wait(seconds(30)), 0);
  std::vector<std::string> lines = ReadUntil(program, "Cleanup finished");
  EXPECT_FALSE(Contains(lines, "will be forced after timeout"));
  EXPECT_EQ(lines.back(), "Cleanup finished ... shutting down");

  // A configuration failure is the service's exit code 1.
  WriteConfig("PORT = 1\n");
  zeltest::ChildProcess failing({Program()});
  EXPECT_EQ(manager.Receive(), "STATUS=Starting ZelListener");
  EXPECT_EQ(manager.Receive(), "STATUS=Stopped with service-specific exit code 1");
  EXPECT_EQ(failing.Wait(seconds(30)), 1);
}

TEST_F(ListenerProgramTest, UnusableServiceManagerSocketEndsWithThree) {
  WriteCompleteConfig();
  zeltest::ProgramResult relative =
      zeltest::RunProgram({Program()}, {}, seconds(60), {"NOTIFY_SOCKET=relative"});
  EXPECT_EQ(relative.exitCode, 3);
  EXPECT_NE(relative.out.find("Failed to run service dispatch with error code 22\n"), std::string::npos);
  zeltest::ProgramResult gone =
      zeltest::RunProgram({Program()}, {}, seconds(60), {"NOTIFY_SOCKET=" + (dir / "nobody").string()});
  EXPECT_EQ(gone.exitCode, 3);
  EXPECT_NE(gone.out.find("Failed to run service dispatch with error code 2\n"), std::string::npos);
}

}  // namespace
