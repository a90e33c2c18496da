// The ZELGateway program as scripts use it: started on port 0, found through its "listening" line, asked for
// a probe, stopped by SIGTERM; its warning about demo passwords; and its refusal of bad options.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
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
    const std::string program = zeltest::RuntimeProgram("ZELGateway").string();
    arguments.insert(arguments.begin(), program);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
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

zeltest::ProgramResult RunGateway(std::vector<std::string> arguments, const std::string& input = {}) {
  arguments.insert(arguments.begin(), zeltest::RuntimeProgram("ZELGateway").string());
  return zeltest::RunProgram(arguments, input);
}

// Starts the gateway on a free port and stops it again by SIGTERM; what it said on standard error.
std::string StartAndStop(const std::vector<std::string>& arguments) {
  std::vector<std::string> all = {"--port", "0", "--threads", "2"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  Program program(all);
  if (!program.Started()) return "not started";
  std::optional<std::string> line = program.ReadLine();
  if (!line || line->rfind("ZELGateway listening on ", 0) != 0)
    return "no listening line: " + program.ReadAllErrors();
  program.Signal(SIGTERM);
  std::optional<int> status = program.Wait();
  std::string errors = program.ReadAllErrors();
  EXPECT_EQ(status, 0) << errors;
  return errors;
}

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

  // Users are managed beside the running gateway, on the same store.
  zeltest::ProgramResult added = RunGateway({"users", "add", "zed", "--store", dir.File("pdm.db")}, "pw\n");
  EXPECT_EQ(added.exitCode, 0) << added.err;
  EXPECT_EQ(RunGateway({"users", "list", "--store", dir.File("pdm.db")}).out, "zed\t\t\n");

  program.Signal(SIGTERM);
  EXPECT_EQ(program.Wait(), 0);
  std::string errors = program.ReadAllErrors();
  EXPECT_NE(errors.find("stopped by SIGTERM"), std::string::npos);
  EXPECT_EQ(errors.find("warning"), std::string::npos) << "a new store has no user to warn about";
  EXPECT_NE(ReadFile(dir.File("requests.log")).find(" Test 1_0 OK "), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(dir.File("pdm.db")));
  // The port is free again once the program has ended.
  EXPECT_FALSE(client.Post("/gw/ZELRequest", RequestBody("Test", "1_1"), "application/xml"));
}

TEST(GatewayProgram, WarnsAtStartWhileDemoUsersHaveTheirDemoPasswords) {
  TempDir dir;
  const std::string store = dir.File("pdm.db"), log = dir.File("requests.log");
  const std::string warning = "demo users still have their demo passwords: admin, demo, designer, viewer;";
  {
    mode_t previous = umask(022);
    std::string errors = StartAndStop({"--store", store, "--seed", "--log", log});
    umask(previous);
    EXPECT_NE(errors.find("ZELGateway: warning: " + warning), std::string::npos) << errors;
    EXPECT_NE(ReadFile(log).find(" WARNING " + warning), std::string::npos) << ReadFile(log);
    struct stat status {};
    ASSERT_EQ(stat(log.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    ASSERT_EQ(stat(store.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
  }

  for (const char* name : {"admin", "designer", "viewer"}) {
    EXPECT_EQ(RunGateway({"users", "remove", name, "--store", store}).exitCode, 0) << name;
  }
  std::string errors = StartAndStop({"--store", store, "--log", log});
  EXPECT_NE(errors.find("demo passwords: demo;"), std::string::npos) << errors;

  zeltest::ProgramResult changed =
      RunGateway({"users", "passwd", "demo", "--store", store}, "no longer demo\n");
  EXPECT_EQ(changed.exitCode, 0) << changed.err;
  errors = StartAndStop({"--store", store, "--log", log});
  EXPECT_EQ(errors.find("warning"), std::string::npos) << errors;
}

TEST(GatewayProgram, RefusesBadOptionsAndExplainsItself) {
  zeltest::ProgramResult help = RunGateway({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("Usage: ZELGateway", 0), 0u);
  EXPECT_NE(help.out.find("ZELGateway users passwd NAME"), std::string::npos);

  for (std::vector<std::string> bad : {std::vector<std::string>{"--port", "http"},
                                       {"--port", "70000"},
                                       {"--threads", "0"},
                                       {"--frobnicate"},
                                       {"--seed=yes"},
                                       {"--store"}}) {
    zeltest::ProgramResult result = RunGateway(bad);
    EXPECT_NE(result.err.find("ZELGateway: "), std::string::npos) << bad[0];
    EXPECT_EQ(result.exitCode, 2) << bad[0];
  }
}

TEST(GatewayProgram, RefusesAStoreOfAnotherApplicationAndLeavesItAlone) {
  TempDir dir;
  const std::string file = dir.File("notes.db");
  ASSERT_TRUE(zeltest::WriteFile(file, "SQLite format 3 is what this text pretends to be, and is not.\n"));
  const std::string before = ReadFile(file);
  zeltest::ProgramResult result = RunGateway({"--port", "0", "--store", file});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find(file + " is not a gateway store"), std::string::npos) << result.err;
  EXPECT_EQ(ReadFile(file), before);
}
