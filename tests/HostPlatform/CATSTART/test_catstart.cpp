// CATSTART as a program: the environment file reaches the program it runs from the runtime bin directory,
// the program's exit code is passed on, and every refusal has its message and exit code.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "ZELTestSupport.h"

namespace fs = std::filesystem;

namespace {

zeltest::ProgramResult Launch(const std::string& launcher, const std::vector<std::string>& arguments,
                              const std::vector<std::string>& env = {}) {
  std::vector<std::string> argv{launcher};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return zeltest::RunProgram(argv, {}, std::chrono::seconds(30), env);
}

zeltest::ProgramResult Launch(const std::vector<std::string>& arguments,
                              const std::vector<std::string>& env = {}) {
  return Launch(zeltest::RuntimeProgram("CATSTART").string(), arguments, env);
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.rfind(prefix, 0) == 0;
}

// One line on standard error, beginning "CATSTART: " and holding every given part.
void ExpectMessage(const zeltest::ProgramResult& result, int exitCode,
                   const std::vector<std::string>& parts) {
  EXPECT_EQ(result.exitCode, exitCode) << result.err;
  EXPECT_TRUE(StartsWith(result.err, "CATSTART: ")) << result.err;
  EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
  for (const std::string& part : parts) EXPECT_NE(result.err.find(part), std::string::npos) << result.err;
}

class CATSTARTTest : public ::testing::Test {
 protected:
  std::string EnvFile(const std::string& text, const std::string& name = "env.txt") {
    EXPECT_TRUE(zeltest::WriteFile(dir / name, text));
    return (dir / name).string();
  }

  zeltest::TempDir dir{"catstart"};
};

TEST_F(CATSTARTTest, TheEnvironmentFileReachesTheProgram) {
  const std::string env = EnvFile(
      "# a comment\n"
      "   \t# an indented comment\n"
      "\n"
      "  \t \n"
      "ZEL_C9_GREETING=hello  world\n"
      "ZEL_C9_EQUALS=a=b=c\r\n"
      "ZEL_C9_EMPTY=\n"
      "_zel_c9_lower9=x\n"
      "ZEL_C9_INHERITED=from the file");
  // /usr/bin/env with an assignment and no command prints the whole environment.
  zeltest::ProgramResult result =
      Launch({"-env", env, "-run", "ZELSenderCall -e /usr/bin/env -m ZEL_C9_ARG=1 -t 20"},
             {"ZEL_C9_INHERITED=from outside", "ZEL_C9_KEPT=kept"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  for (const char* line :
       {"ZEL_C9_GREETING=hello  world\n", "ZEL_C9_EQUALS=a=b=c\n", "ZEL_C9_EMPTY=\n", "_zel_c9_lower9=x\n",
        "ZEL_C9_INHERITED=from the file\n", "ZEL_C9_KEPT=kept\n", "ZEL_C9_ARG=1\n"})
    EXPECT_NE(result.out.find(line), std::string::npos) << line << result.out;
  EXPECT_EQ(result.out.find("ZEL_C9_INHERITED=from outside"), std::string::npos);

  // Options in either order; an empty file sets nothing.
  zeltest::ProgramResult reversed =
      Launch({"-run", "ZELSenderCall -e /usr/bin/printenv -m HOME -t 20", "-env", EnvFile("", "empty.txt")},
             {"HOME=/zel/home"});
  EXPECT_EQ(reversed.exitCode, 0) << reversed.err;
  EXPECT_EQ(reversed.out, "/zel/home\n");
}

TEST_F(CATSTARTTest, TheProgramsExitCodeIsPassedOn) {
  const std::string env = EnvFile("A=1\n");
  EXPECT_EQ(Launch({"-env", env, "-run", "ZELSenderCall -e /bin/false -m x -t 20"}).exitCode, 1);
  EXPECT_EQ(Launch({"-env", env, "-run", "ZELSenderCall  -e  /bin/sleep  -m  20  -t  0 "}).exitCode, 254);
  zeltest::ProgramResult usage = Launch({"-env", env, "-run", "ZELSenderCall"});
  EXPECT_EQ(usage.exitCode, 255);
  // The program is run from the launcher's own directory, under its full path.
  EXPECT_EQ(usage.out, "Usage:\n " + zeltest::RuntimeProgram("ZELSenderCall").string() +
                           " -e <Command to execute> -m <Message to send> -t <Timeout in seconds>\n");
}

TEST_F(CATSTARTTest, BadOptionsEndWithTwo) {
  const std::string env = EnvFile("A=1\n");
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"-env", env},
      {"-run", "ZELSenderCall"},
      {"-env", env, "-run"},
      {"-run", "ZELSenderCall", "-env"},
      {"-env", env, "-run", "ZELSenderCall", "-env", env},
      {"-env", env, "-run", "ZELSenderCall", "-run", "ZELSenderCall"},
      {"-env", env, "-run", "ZELSenderCall", "extra"},
      {"-ENV", env, "-run", "ZELSenderCall"},
  };
  for (const std::vector<std::string>& arguments : cases) {
    zeltest::ProgramResult result = Launch(arguments);
    SCOPED_TRACE(testing::PrintToString(arguments));
    ExpectMessage(result, 2, {"usage: CATSTART -env FILE -run \"PROGRAM ARGS\""});
    EXPECT_EQ(result.out, "");
  }

  zeltest::ProgramResult help = Launch({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(StartsWith(help.out, "usage: CATSTART -env FILE -run \"PROGRAM ARGS\"\n")) << help.out;
}

TEST_F(CATSTARTTest, AMissingMalformedOrOversizeEnvironmentFileEndsWithThree) {
  const std::string run = "ZELSenderCall -e /bin/true -m x -t 20";
  const std::string missing = (dir / "missing.txt").string();
  ExpectMessage(Launch({"-env", missing, "-run", run}), 3, {missing});
  ExpectMessage(Launch({"-env", dir.Path().string(), "-run", run}), 3, {dir.Path().string()});

  const std::vector<std::string> malformed = {"NOEQUALS", "=value", "1ABC=x", "A-B=x",
                                              " A=x",     "A =x",   "A.B=x",  std::string("A=x\0y", 5)};
  for (const std::string& line : malformed) {
    SCOPED_TRACE(line);
    const std::string env = EnvFile("# first\nGOOD=1\n" + line + "\nLATER=2\n");
    zeltest::ProgramResult result = Launch({"-env", env, "-run", run});
    ExpectMessage(result, 3, {env + ":3:"});
  }

  // The bounds hold exactly: 4096 bytes a line and 64 KiB a file pass, one byte more is refused.
  const std::string longest = "LONG=" + std::string(4096 - 5, 'v');
  EXPECT_EQ(Launch({"-env", EnvFile(longest + "\n"), "-run", run}).exitCode, 0);
  const std::string tooLong = EnvFile("A=1\n" + longest + "v\n");
  ExpectMessage(Launch({"-env", tooLong, "-run", run}), 3, {tooLong + ":2:", "4096"});

  std::string largest;
  while (largest.size() + 4001 <= 64 * 1024) largest += "#" + std::string(3999, 'c') + "\n";
  largest += "A=" + std::string(64 * 1024 - largest.size() - 3, 'v') + "\n";
  ASSERT_EQ(largest.size(), 64u * 1024);
  EXPECT_EQ(Launch({"-env", EnvFile(largest), "-run", run}).exitCode, 0);
  const std::string tooLarge = EnvFile(largest + "#");
  ExpectMessage(Launch({"-env", tooLarge, "-run", run}), 3, {tooLarge, "65536"});

  // Only regular files: reading a device could go on forever, opening a FIFO could wait forever.
  ExpectMessage(Launch({"-env", "/dev/zero", "-run", run}), 3, {"/dev/zero"});
  const std::string fifo = (dir / "fifo").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ExpectMessage(Launch({"-env", fifo, "-run", run}), 3, {fifo});
}

TEST_F(CATSTARTTest, AProgramThatIsMissingOrNotAPlainNameEndsWithFour) {
  const std::string env = EnvFile("A=1\n");
  ExpectMessage(Launch({"-env", env, "-run", "NoSuchZelProgram -x"}), 4, {"NoSuchZelProgram"});
  ExpectMessage(Launch({"-env", env, "-run", "/bin/echo x"}), 4, {"/bin/echo"});
  ExpectMessage(Launch({"-env", env, "-run", "../bin/ZELSenderCall"}), 4, {"../bin/ZELSenderCall"});
  ExpectMessage(Launch({"-env", env, "-run", "  "}), 4, {"-run"});
}

// A private copy of the launcher, so that its directory can hold programs that cannot be run.
TEST_F(CATSTARTTest, AProgramThatCannotBeRunEndsWithFourOrFive) {
  const fs::path bin = dir / "bin";
  fs::create_directories(bin);
  const fs::path launcher = bin / "CATSTART";
  fs::copy_file(zeltest::RuntimeProgram("CATSTART"), launcher);
  fs::permissions(launcher, fs::perms::owner_all);
  const std::string env = EnvFile("ZEL_C9_CODE=7\n");

  ASSERT_TRUE(zeltest::WriteFile(bin / "exit-code", "#!/bin/sh\nexit \"$ZEL_C9_CODE\"\n"));
  fs::permissions(bin / "exit-code", fs::perms::owner_all);
  EXPECT_EQ(Launch(launcher.string(), {"-env", env, "-run", "exit-code"}).exitCode, 7);

  ASSERT_TRUE(zeltest::WriteFile(bin / "not-executable", "#!/bin/sh\nexit 0\n"));
  ExpectMessage(Launch(launcher.string(), {"-env", env, "-run", "not-executable"}), 4, {"not-executable"});

  // Executable, but no format the system can run.
  ASSERT_TRUE(zeltest::WriteFile(bin / "garbage", std::string("\x01\x02\x03 not a program\n")));
  fs::permissions(bin / "garbage", fs::perms::owner_all);
  ExpectMessage(Launch(launcher.string(), {"-env", env, "-run", "garbage"}), 5, {"garbage"});
}

}  // namespace
