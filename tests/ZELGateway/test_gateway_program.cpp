// The ZELGateway program as scripts use it: started on port 0, found through its "listening" line, asked for
// a probe, stopped by SIGTERM; and its refusal of bad options.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "GatewayTestUtil.h"

extern char** environ;

using namespace gwtest;

namespace {

constexpr auto kTimeout = std::chrono::seconds(60);

// A child process with its standard output and error on pipes; killed and reaped if a test leaves it running.
class Program {
 public:
  explicit Program(std::vector<std::string> arguments) {
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    arguments.insert(arguments.begin(), ZELGATEWAY_PROGRAM);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, ZELGATEWAY_PROGRAM, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }
  ~Program() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
    if (err_ >= 0) close(err_);
  }

  bool Started() const { return pid_ > 0; }

  // The next line of standard output, or nothing when the time-out passes or the output ends first.
  std::optional<std::string> ReadLine() {
    auto deadline = std::chrono::steady_clock::now() + kTimeout;
    for (;;) {
      if (std::size_t end = outText_.find('\n'); end != std::string::npos) {
        std::string line = outText_.substr(0, end);
        outText_.erase(0, end + 1);
        return line;
      }
      if (!ReadSome(out_, outText_, deadline)) return std::nullopt;
    }
  }

  std::string ReadAllErrors() {
    std::string text;
    auto deadline = std::chrono::steady_clock::now() + kTimeout;
    while (ReadSome(err_, text, deadline)) {
    }
    return text;
  }

  // The exit status, or nothing when the process has not ended within the time-out.
  std::optional<int> Wait() {
    auto deadline = std::chrono::steady_clock::now() + kTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
  }

  void Signal(int signal) { kill(pid_, signal); }

 private:
  static bool ReadSome(int fd, std::string& text, std::chrono::steady_clock::time_point deadline) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd entry{fd, POLLIN, 0};
    if (poll(&entry, 1, static_cast<int>(left.count())) <= 0) return false;
    char buffer[1024];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    text.append(buffer, static_cast<std::size_t>(n));
    return true;
  }

  pid_t pid_ = -1;
  int out_ = -1, err_ = -1;
  std::string outText_;
};

}  // namespace

TEST(GatewayProgram, StartsOnAFreePortServesAndStopsOnSigterm) {
  TempDir dir;
  Program program({"--port", "0", "--store", dir.File("pdm.db"), "--log=" + dir.File("requests.log"),
                   "--threads", "2", "--base-path", "/gw"});
  ASSERT_TRUE(program.Started());
  std::optional<std::string> line = program.ReadLine();
  ASSERT_TRUE(line) << program.ReadAllErrors();
  const std::string prefix = "ZELGateway listening on http://127.0.0.1:";
  ASSERT_EQ(line->rfind(prefix, 0), 0u) << *line;
  std::string rest = line->substr(prefix.size());
  std::size_t slash = rest.find('/');
  ASSERT_NE(slash, std::string::npos);
  EXPECT_EQ(rest.substr(slash), "/gw/ZELRequest");
  int port = std::stoi(rest.substr(0, slash));
  EXPECT_GT(port, 0);

  httplib::Client client("127.0.0.1", port);
  client.set_read_timeout(30, 0);
  auto result =
      client.Post("/gw/ZELRequest", RequestBody("Test", "1_0", {{"ExecuteTest", "Mirror"}, {"Server", "OK"}}),
                  "application/xml");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
  EXPECT_EQ(ParseReply(result->body).attributes, (Attributes{{"ExecuteTest", "Mirror"}, {"Server", "OK"}}));

  program.Signal(SIGTERM);
  EXPECT_EQ(program.Wait(), 0);
  EXPECT_NE(program.ReadAllErrors().find("stopped by SIGTERM"), std::string::npos);
  EXPECT_NE(ReadFile(dir.File("requests.log")).find(" Test 1_0 OK "), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(dir.File("pdm.db")));
  // The port is free again once the program has ended.
  EXPECT_FALSE(client.Post("/gw/ZELRequest", RequestBody("Test", "1_1"), "application/xml"));
}

TEST(GatewayProgram, RefusesBadOptionsAndExplainsItself) {
  Program help({"--help"});
  ASSERT_TRUE(help.Started());
  std::optional<std::string> first = help.ReadLine();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->rfind("Usage: ZELGateway", 0), 0u);
  EXPECT_EQ(help.Wait(), 0);

  for (std::vector<std::string> bad : {std::vector<std::string>{"--port", "http"},
                                       {"--port", "70000"},
                                       {"--threads", "0"},
                                       {"--frobnicate"},
                                       {"--seed=yes"},
                                       {"--store"}}) {
    Program program(bad);
    ASSERT_TRUE(program.Started());
    EXPECT_NE(program.ReadAllErrors().find("ZELGateway: "), std::string::npos) << bad[0];
    EXPECT_EQ(program.Wait(), 2) << bad[0];
  }
}
