// "ZELGateway users": users added, listed, given new passwords and removed by the program, the password read
// from standard input or a terminal and never from the arguments; and every refusal with its exit status.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "GatewayTestUtil.h"
#include "zelgw/Store.h"
#include "zelgw/UserRepository.h"

using namespace gwtest;

namespace {

zeltest::ProgramResult Users(std::vector<std::string> arguments, const std::string& input = {}) {
  arguments.insert(arguments.begin(), {zeltest::RuntimeProgram("ZELGateway").string(), "users"});
  return zeltest::RunProgram(arguments, input);
}

bool LogsIn(const std::string& store, const std::string& name, const std::string& password) {
  zelgw::Store opened(store, {.create = false});
  return zelgw::UserRepository(opened).Authenticate(name, password).has_value();
}

struct TerminalRun {
  int exitCode = -1;
  std::string shown;  // everything the terminal displayed
};

// Runs "ZELGateway users ..." on a pseudo-terminal and types the next answer at each password prompt.
TerminalRun RunOnTerminal(std::vector<std::string> arguments, const std::vector<std::string>& answers) {
  const std::string program = zeltest::RuntimeProgram("ZELGateway").string();
  arguments.insert(arguments.begin(), {program, "users"});
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  TerminalRun run;
  int terminal = -1;
  pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (pid < 0) return run;
  if (pid == 0) {
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  std::size_t answered = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd entry{terminal, POLLIN, 0};
    if (poll(&entry, 1, 200) <= 0) continue;
    char buffer[256];
    ssize_t n = read(terminal, buffer, sizeof buffer);
    if (n <= 0) break;  // the program has closed the terminal
    run.shown.append(buffer, static_cast<std::size_t>(n));
    std::size_t prompts = 0;
    for (std::size_t at = 0; (at = run.shown.find("assword", at)) != std::string::npos; ++at) ++prompts;
    if (prompts > answered && answered < answers.size() && run.shown.ends_with(": ")) {
      std::string line = answers[answered++] + "\n";
      if (write(terminal, line.data(), line.size()) != static_cast<ssize_t>(line.size())) break;
    }
  }
  int status = 0;
  if (std::chrono::steady_clock::now() >= deadline) kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  close(terminal);
  if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  return run;
}

}  // namespace

TEST(GatewayUsers, AddListChangeAndRemoveWithThePasswordFromStandardInput) {
  TempDir dir;
  const std::string store = dir.File("pdm.db");
  mode_t previous = umask(022);
  zeltest::ProgramResult added =
      Users({"add", "alice", "--group", "Engineering", "--role=Designer", "--store", store}, "Tr0ub4dor&3\n");
  umask(previous);
  EXPECT_EQ(added.exitCode, 0) << added.err;
  EXPECT_EQ(added.out, "added user alice\n");
  struct stat status {};
  ASSERT_EQ(stat(store.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
  EXPECT_EQ(ReadFile(store).find("Tr0ub4dor"), std::string::npos);

  // Only the first line is the password; a second user comes without group or role.
  EXPECT_EQ(Users({"add", "bob", "--store", store}, "first line\nsecond line\n").exitCode, 0);
  zeltest::ProgramResult listed = Users({"list", "--store", store});
  EXPECT_EQ(listed.exitCode, 0);
  EXPECT_EQ(listed.out, "alice\tEngineering\tDesigner\nbob\t\t\n");
  EXPECT_TRUE(LogsIn(store, "alice", "Tr0ub4dor&3"));
  EXPECT_TRUE(LogsIn(store, "bob", "first line"));

  // A line end from a Windows editor is not part of the password; the last line needs no line end.
  zeltest::ProgramResult changed = Users({"passwd", "alice", "--store", store}, "correct horse\r\n");
  EXPECT_EQ(changed.exitCode, 0) << changed.err;
  EXPECT_TRUE(LogsIn(store, "alice", "correct horse"));
  EXPECT_FALSE(LogsIn(store, "alice", "Tr0ub4dor&3"));
  EXPECT_EQ(Users({"passwd", "bob", "--store", store}, "no line end").exitCode, 0);
  EXPECT_TRUE(LogsIn(store, "bob", "no line end"));

  zeltest::ProgramResult removed = Users({"remove", "alice", "--store", store});
  EXPECT_EQ(removed.exitCode, 0) << removed.err;
  EXPECT_EQ(Users({"list", "--store", store}).out, "bob\t\t\n");
}

TEST(GatewayUsers, PasswordsAreNeverTakenFromTheArguments) {
  TempDir dir;
  const std::string store = dir.File("pdm.db");
  for (std::vector<std::string> arguments : {std::vector<std::string>{"add", "carol", "--password", "secret"},
                                             {"add", "carol", "--password=secret"},
                                             {"add", "carol", "secret"},
                                             {"passwd", "carol", "--pass", "secret"}}) {
    arguments.insert(arguments.end(), {"--store", store});
    zeltest::ProgramResult result = Users(arguments, "from stdin\n");
    EXPECT_EQ(result.exitCode, 2) << arguments[2];
    EXPECT_NE(result.err.find("ZELGateway: "), std::string::npos);
    EXPECT_NE(result.err.find("Usage: ZELGateway users"), std::string::npos);
  }
  EXPECT_NE(Users({"add", "carol", "--password=secret", "--store", store})
                .err.find("never taken from the command line"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(store)) << "nothing was done";
}

TEST(GatewayUsers, RefusalsSayWhyAndChangeNothing) {
  TempDir dir;
  const std::string store = dir.File("pdm.db");
  ASSERT_EQ(Users({"add", "dave", "--store", store}, "dave's password\n").exitCode, 0);

  struct Refusal {
    std::vector<std::string> arguments;
    std::string input;
    int exitCode;
    std::string message;
  };
  const std::string tooLong(2000, 'x');
  const Refusal refusals[] = {
      {{"add", "dave"}, "another\n", 1, "user dave already exists"},
      {{"passwd", "erin"}, "pw\n", 1, "there is no user erin"},
      {{"remove", "erin"}, "", 1, "there is no user erin"},
      {{"add", "erin"}, "", 1, "no password given"},
      {{"add", "erin"}, "\n", 1, "the password is empty"},
      {{"add", "erin"}, "tab\there\n", 1, "the password holds a control character"},
      {{"add", "erin"}, tooLong + "\n", 1, "the password is longer than 1024 bytes"},
      {{"add", "tab\tname"}, "pw\n", 1, "the user name holds a control character"},
      {{"add", "erin", "--group", std::string(200, 'g')}, "pw\n", 1, "the group is longer than 128 bytes"},
      {{"passwd", "dave"}, "", 1, "no password given"},
      {{}, "", 2, "users needs a command"},
      {{"rename", "dave"}, "", 2, "unknown users command rename"},
      {{"list", "dave"}, "", 2, "users list takes no name"},
      {{"remove"}, "", 2, "users remove needs a user name"},
      {{"passwd", "dave", "--role", "DBA"}, "pw\n", 2, "--group and --role go with users add only"},
      {{"list", "--frobnicate"}, "", 2, "unknown option --frobnicate"},
  };
  for (const Refusal& refusal : refusals) {
    std::vector<std::string> arguments = refusal.arguments;
    arguments.insert(arguments.end(), {"--store", store});
    zeltest::ProgramResult result = Users(arguments, refusal.input);
    std::string label = refusal.arguments.empty() ? "(none)" : refusal.arguments[0];
    EXPECT_EQ(result.exitCode, refusal.exitCode) << label << ": " << result.err;
    EXPECT_NE(result.err.find("ZELGateway: " + refusal.message), std::string::npos)
        << label << ": " << result.err;
    EXPECT_EQ(result.out, "") << label;
  }
  EXPECT_EQ(Users({"list", "--store", store}).out, "dave\t\t\n");
  EXPECT_TRUE(LogsIn(store, "dave", "dave's password"));
  zeltest::ProgramResult memory = Users({"add", "erin", "--store=:memory:"}, "pw\n");
  EXPECT_EQ(memory.exitCode, 2);
  EXPECT_NE(memory.err.find("ZELGateway: --store needs a file"), std::string::npos) << memory.err;

  // Only "add" creates a store; the others refuse a missing one and leave no file behind.
  const std::string missing = dir.File("missing.db");
  for (const char* verb : {"list", "passwd", "remove"}) {
    std::vector<std::string> arguments = {verb};
    if (std::string(verb) != "list") arguments.push_back("dave");
    arguments.insert(arguments.end(), {"--store", missing});
    zeltest::ProgramResult result = Users(arguments, "pw\n");
    EXPECT_EQ(result.exitCode, 1) << verb;
    EXPECT_NE(result.err.find("there is no store " + missing), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(missing)) << verb;
  }

  // Another application's database is not a place for users.
  const std::string foreign = dir.File("foreign.db");
  {
    zelgw::Store ours(foreign);  // a real SQLite file, then made someone else's
    auto connection = ours.Acquire();
    connection->Execute("PRAGMA application_id = 7");
  }
  const std::string before = ReadFile(foreign);
  zeltest::ProgramResult result = Users({"add", "frank", "--store", foreign}, "pw\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("is not a gateway store"), std::string::npos) << result.err;
  EXPECT_EQ(ReadFile(foreign), before);

  zeltest::ProgramResult help = Users({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("Usage: ZELGateway users add NAME", 0), 0u);
}

TEST(GatewayUsers, OnATerminalThePasswordIsAskedTwiceAndNeverShown) {
  TempDir dir;
  const std::string store = dir.File("pdm.db");
  TerminalRun added = RunOnTerminal({"add", "grace", "--store", store}, {"Hunter2pw", "Hunter2pw"});
  EXPECT_EQ(added.exitCode, 0) << added.shown;
  EXPECT_NE(added.shown.find("New password for grace: "), std::string::npos) << added.shown;
  EXPECT_NE(added.shown.find("Repeat the password: "), std::string::npos) << added.shown;
  EXPECT_EQ(added.shown.find("Hunter2pw"), std::string::npos) << added.shown;
  EXPECT_TRUE(LogsIn(store, "grace", "Hunter2pw"));

  TerminalRun differing = RunOnTerminal({"passwd", "grace", "--store", store}, {"first try", "second try"});
  EXPECT_EQ(differing.exitCode, 1);
  EXPECT_NE(differing.shown.find("ZELGateway: the two passwords differ"), std::string::npos)
      << differing.shown;
  EXPECT_EQ(differing.shown.find(" try"), std::string::npos) << differing.shown;
  EXPECT_TRUE(LogsIn(store, "grace", "Hunter2pw"));
}
