// ZELSenderCall as a program: usage and missing options, the time-out and the killed command, exit codes
// passed on, and a message that reaches the command untouched.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "ZELTestSupport.h"

namespace {

using std::chrono::seconds;

std::string Program() {
  return zeltest::RuntimeProgram("ZELSenderCall").string();
}

zeltest::ProgramResult SenderCall(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), Program());
  return zeltest::RunProgram(arguments, {}, seconds(30));
}

// An executable shell script in dir; the script, not ZELSenderCall, is what uses the shell.
std::string Script(const zeltest::TempDir& dir, const std::string& name, const std::string& body) {
  const std::filesystem::path path = dir / name;
  EXPECT_TRUE(zeltest::WriteFile(path, "#!/bin/sh\n" + body + "\n"));
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  return path.string();
}

const std::string kMissingCommand = " Missing option:  -e <Command to execute>\n";
const std::string kMissingMessage = " Missing option:  -m <Message to send>\n";
const std::string kMissingTimeout = " Missing option:  -t <Timeout in seconds>\n";
const std::string kTimeoutText = "Stop processing because of timeout\n";

TEST(ZELSenderCall, UsageAndMissingOptionsEndWithMinusOne) {
  zeltest::ProgramResult usage = SenderCall({});
  EXPECT_EQ(usage.exitCode, 255);
  EXPECT_EQ(usage.out, "Usage:\n " + Program() +
                           " -e <Command to execute> -m <Message to send> -t <Timeout in seconds>\n");

  struct Case {
    std::vector<std::string> arguments;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {{"-m", "x", "-t", "1"}, kMissingCommand},
      {{"-e", "/bin/true", "-t", "1"}, kMissingMessage},
      {{"-e", "/bin/true", "-m", "x"}, kMissingTimeout},
      // Looked up in the order -e, -m, -t: with all missing, -e is reported.
      {{"-t"}, kMissingCommand},
      // An option as the last argument has no value.
      {{"-m", "x", "-t", "1", "-e"}, kMissingCommand},
      {{"-e", "/bin/true", "-t", "1", "-m"}, kMissingMessage},
      {{"-e", "/bin/true", "-m", "x", "-t"}, kMissingTimeout},
      // Options are case-sensitive.
      {{"-E", "/bin/true", "-m", "x", "-t", "1"}, kMissingCommand},
  };
  for (const Case& c : cases) {
    zeltest::ProgramResult result = SenderCall(c.arguments);
    EXPECT_EQ(result.exitCode, 255) << c.expected;
    EXPECT_EQ(result.out, c.expected);
  }
}

TEST(ZELSenderCall, FirstOccurrenceOfAnOptionWinsAndTheMessageIsAppended) {
  zeltest::ProgramResult result = SenderCall(
      {"-e", "/bin/echo one", "-m", "first", "-e", "/bin/false", "-m", "second", "-t", "10", "-t", "0"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "one first\n");

  // The command text carries its own arguments; blanks in the message separate arguments too.
  zeltest::ProgramResult words = SenderCall({"-t", "10", "-e", "/bin/echo  a\tb", "-m", "c   d"});
  EXPECT_EQ(words.exitCode, 0);
  EXPECT_EQ(words.out, "a b c d\n");
}

TEST(ZELSenderCall, TheMessageIsNeverInterpretedByAShell) {
  zeltest::TempDir dir{"sender-call"};
  const std::filesystem::path marker = dir / "marker";
  const std::string message = "$(touch " + marker.string() + ");x`touch " + marker.string() + "`|>&<*";
  zeltest::ProgramResult result = SenderCall({"-e", "/bin/echo", "-m", message, "-t", "10"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, message + "\n");
  EXPECT_FALSE(std::filesystem::exists(marker));
}

TEST(ZELSenderCall, TheCommandLineIsCutAt1024Characters) {
  zeltest::ProgramResult result = SenderCall({"-e", "/bin/echo", "-m", std::string(3000, 'x'), "-t", "10"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, std::string(1024 - std::string("/bin/echo ").size(), 'x') + "\n");
}

TEST(ZELSenderCall, TheCommandsExitCodeIsPassedOn) {
  zeltest::TempDir dir{"sender-call"};
  EXPECT_EQ(SenderCall({"-e", "/usr/bin/test 1 -eq", "-m", "2", "-t", "10"}).exitCode, 1);
  // Found in PATH, like any command line.
  EXPECT_EQ(SenderCall({"-e", "false", "-m", "x", "-t", "10"}).exitCode, 1);
  const std::string exitWith = Script(dir, "exit-with", "exit \"$1\"");
  EXPECT_EQ(SenderCall({"-e", exitWith, "-m", "42", "-t", "10"}).exitCode, 42);

  // Started with SIGCHLD ignored (kept across exec), the exit code must still be read.
  zeltest::ProgramResult ignoring = zeltest::RunProgram(
      {"/usr/bin/env", "--ignore-signal=CHLD", Program(), "-e", exitWith, "-m", "9", "-t", "10"}, {},
      seconds(30));
  EXPECT_EQ(ignoring.exitCode, 9) << ignoring.err;
}

TEST(ZELSenderCall, ACommandEndedBySignalIsNotASuccess) {
  zeltest::TempDir dir{"sender-call"};
  const std::string killSelf = Script(dir, "kill-self", "kill -\"$1\" $$\nexit 0");
  EXPECT_EQ(SenderCall({"-e", killSelf, "-m", "KILL", "-t", "10"}).exitCode, 128 + SIGKILL);
  EXPECT_EQ(SenderCall({"-e", killSelf, "-m", "TERM", "-t", "10"}).exitCode, 128 + SIGTERM);
}

TEST(ZELSenderCall, ACommandThatCannotBeStartedEndsWithMinusOne) {
  zeltest::TempDir dir{"sender-call"};
  const std::string missing = (dir / "no-such-program").string();
  zeltest::ProgramResult result = SenderCall({"-e", missing, "-m", "a b", "-t", "10"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(result.out, "Error calling Process : " + missing + " a b\n");

  // Not executable.
  ASSERT_TRUE(zeltest::WriteFile(dir / "plain", "#!/bin/sh\nexit 0\n"));
  EXPECT_EQ(SenderCall({"-e", (dir / "plain").string(), "-m", "x", "-t", "10"}).exitCode, 255);

  // Nothing but blanks names no program.
  zeltest::ProgramResult blank = SenderCall({"-e", " ", "-m", "", "-t", "10"});
  EXPECT_EQ(blank.exitCode, 255);
  EXPECT_EQ(blank.out, "Error calling Process :   \n");
}

TEST(ZELSenderCall, TimeOutKillsTheCommandAndEndsWithMinusTwo) {
  // 0, no number and a negative number all wait no time at all.
  for (const char* timeout : {"0", "abc", "-5"}) {
    const auto start = std::chrono::steady_clock::now();
    zeltest::ProgramResult result = SenderCall({"-e", "/bin/sleep", "-m", "20", "-t", timeout});
    EXPECT_LT(std::chrono::steady_clock::now() - start, seconds(4)) << timeout;
    EXPECT_EQ(result.exitCode, 254) << timeout;
    EXPECT_EQ(result.out, kTimeoutText);
  }

  // The command is gone once ZELSenderCall has ended, not left running.
  zeltest::TempDir dir{"sender-call"};
  const std::filesystem::path pidFile = dir / "pid";
  const std::string sleeper = Script(dir, "sleeper", "echo $$ > \"$1\"\nexec /bin/sleep 30");
  const auto start = std::chrono::steady_clock::now();
  zeltest::ProgramResult result = SenderCall({"-e", sleeper, "-m", pidFile.string(), "-t", "1"});
  EXPECT_LT(std::chrono::steady_clock::now() - start, seconds(10));
  EXPECT_EQ(result.exitCode, 254);
  EXPECT_EQ(result.out, kTimeoutText);
  const std::string pidText = zeltest::ReadFile(pidFile);
  ASSERT_FALSE(pidText.empty());
  const pid_t pid = std::stoi(pidText);
  const int alive = kill(pid, 0);
  EXPECT_TRUE(alive != 0 && errno == ESRCH) << "the command still runs";
  if (alive == 0) kill(pid, SIGKILL);

  // A command that ends within its time keeps its own exit code, also under a time beyond the int range.
  EXPECT_EQ(SenderCall({"-e", "/bin/sleep", "-m", "0.1", "-t", "20"}).exitCode, 0);
  EXPECT_EQ(SenderCall({"-e", "/bin/sleep", "-m", "0.1", "-t", "99999999999"}).exitCode, 0);
}

}  // namespace
