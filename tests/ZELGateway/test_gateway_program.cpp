// The ZELGateway program as scripts use it: started on port 0, found through its "listening" line, asked for
// a probe, stopped by SIGTERM; its warning about demo passwords; and its refusal of bad options.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "GatewayTestUtil.h"

using namespace gwtest;

namespace {

// The gateway program with the arguments, running beside the test.
std::vector<std::string> GatewayCommand(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), zeltest::RuntimeProgram("ZELGateway").string());
  return arguments;
}

zeltest::ProgramResult RunGateway(std::vector<std::string> arguments, const std::string& input = {}) {
  arguments.insert(arguments.begin(), zeltest::RuntimeProgram("ZELGateway").string());
  return zeltest::RunProgram(arguments, input);
}

// Starts the gateway on a free port and stops it again by SIGTERM; what it said on standard error.
std::string StartAndStop(const std::vector<std::string>& arguments) {
  std::vector<std::string> all = {"--port", "0", "--threads", "2"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  zeltest::ChildProcess program(GatewayCommand(all));
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
  zeltest::ChildProcess program(
      GatewayCommand({"--port", "0", "--store", dir.File("pdm.db"), "--log=" + dir.File("requests.log"),
                      "--threads", "2", "--base-path", "/gw"}));
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
