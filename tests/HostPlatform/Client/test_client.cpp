// The client program as its users drive it: every script of scripts/ is run by CNEXT (on a private demo
// database changed by the script's .sql beside it, when there is one) and its transcript (standard output,
// then the exit code) must equal the .expected file beside it; then the command line: strict mode,
// standard input, start-up failures, the private demo database, and data too large or too deep.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "ScriptTranscripts.h"
#include "ZELTestSupport.h"

namespace fs = std::filesystem;

namespace {

const fs::path kScripts = ZEL_SOURCE_DIR "/tests/HostPlatform/Client/scripts";

struct Outcome {
  std::string out;  // standard output followed by "[exit N]"
  std::string err;
  int code = -1;
  bool timedOut = false;
};

// Runs CNEXT with the arguments in an environment of its own: the test command library on the library
// path, no database or trace settings inherited, the dictionaries of the runtime tree unless others are
// named; extra holds further "NAME=VALUE" settings.
Outcome RunClient(std::vector<std::string> arguments, const std::string& dictionaryPath = std::string(),
                  const std::vector<std::string>& extra = {}, const std::string& input = std::string(),
                  std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
  arguments.insert(arguments.begin(), zeltest::RuntimeProgram("CNEXT").string());
  std::vector<std::string> env = {
      "LD_LIBRARY_PATH=" ZEL_BINARY_DIR "/tests", "ZEL_PLM_DATABASE", "ZEL_DEBUG",
      dictionaryPath.empty() ? "CATDictionaryPath" : "CATDictionaryPath=" + dictionaryPath};
  env.insert(env.end(), extra.begin(), extra.end());
  zeltest::ProgramResult result = zeltest::RunProgram(arguments, input, timeout, env);
  Outcome outcome;
  outcome.code = result.exitCode;
  outcome.timedOut = result.timedOut;
  outcome.out = result.out + "[exit " + std::to_string(result.exitCode) + "]\n";
  outcome.err = result.err;
  return outcome;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class ClientScript : public ::testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(ClientScript, TranscriptIsTheExpectedOne) {
  const fs::path script = kScripts / (GetParam() + ".script");
  const fs::path expected = kScripts / (GetParam() + ".expected");
  const fs::path fixture = kScripts / (GetParam() + ".sql");
  zeltest::TempDir dir("cnext-script");
  std::vector<std::string> arguments = {"--script", script.string()};
  if (fs::exists(fixture)) {
    const fs::path database = zeltest::SeededPlmDatabase(dir.Path());
    ASSERT_EQ("", zeltest::ExecuteSql(database, zeltest::ReadFile(fixture))) << fixture;
    arguments.insert(arguments.end(), {"--plm", database.string()});
  }
  Outcome outcome = RunClient(arguments);
  zeltest::ExpectTranscript(expected, GetParam(), outcome.out, outcome.err);
}

INSTANTIATE_TEST_SUITE_P(Scripts, ClientScript, ::testing::ValuesIn(zeltest::ScriptNames(kScripts)),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return zeltest::ScriptTestName(info.param);
                         });

TEST(ClientProgram, StrictModeStopsAtTheFirstFailingLineAndInputMayComeFromStandardInput) {
  zeltest::TempDir dir("cnext-test");
  zeltest::WriteFile(dir / "lines.script", "echo one\nactivate 1\necho two\n");
  Outcome lenient = RunClient({}, "", {}, zeltest::ReadFile(dir / "lines.script"));
  EXPECT_EQ(
      "CNEXT> echo one\none\nCNEXT> activate 1\nerror: no window \"1\" (0 open)\nCNEXT> echo two\ntwo\n[exit "
      "1]\n",
      lenient.out);
  Outcome strict = RunClient({"--strict", "--script", (dir / "lines.script").string()});
  EXPECT_EQ("CNEXT> echo one\none\nCNEXT> activate 1\nerror: no window \"1\" (0 open)\n[exit 1]\n",
            strict.out);
  zeltest::WriteFile(dir / "good.script", "echo fine\nquit\necho never\n");
  EXPECT_EQ("CNEXT> echo fine\nfine\nCNEXT> quit\n[exit 0]\n",
            RunClient({"--script", (dir / "good.script").string()}).out);
}

TEST(ClientProgram, AddinsOfTheDictionariesLoadWithTheirWorkbench) {
  zeltest::TempDir dir("cnext-test");
  zeltest::WriteFile(dir / "addins.dico",
                     "ZELTestGeneralAddin CATIAfrGeneralWksAddin ZELTestAddins\n"
                     "ZELTestNavAddin CATIImmNavAddin ZELTestAddins\n"
                     "ZELTestNotAnAddin CATIImmNavAddin ZELTestAddins\n");
  zeltest::WriteFile(dir / "addins.script",
                     "addins\nopen-explorer VPMReference prd-00012340\naddins\nheaders\n");
  Outcome outcome = RunClient({"--script", (dir / "addins.script").string()}, dir.Path().string());
  EXPECT_EQ(
      "CNEXT> addins\n"
      "  ZELTestGeneralAddin CATIAfrGeneralWksAddin toolbars ZELTestSection: "
      "ZELTestStarter(ZELTestGeneralHeader) ZELTestMenuStarter(ZELTestGeneralHeader)\n"
      "CNEXT> open-explorer VPMReference prd-00012340\n"
      "opened window 1 explorer \"City Bicycle\"\n"
      "CNEXT> addins\n"
      "  ZELTestGeneralAddin CATIAfrGeneralWksAddin toolbars ZELTestSection: "
      "ZELTestStarter(ZELTestGeneralHeader) ZELTestMenuStarter(ZELTestGeneralHeader)\n"
      "  ZELTestNavAddin CATIImmNavAddin no toolbars\n"
      "CNEXT> headers\n"
      "  CATImmRemoveBranchCmd CATAfrFoundation/CATImmRemoveBranchCmd available\n"
      "  ZELTestGeneralHeader ZELTestAddins/ZELTestGeneralCmd unavailable\n"
      "  ZELTestNavHeader ZELTestAddins/ZELTestNavCmd available\n"
      "[exit 0]\n",
      outcome.out);
  EXPECT_NE(std::string::npos, outcome.err.find("ZELTestNotAnAddin")) << outcome.err;
}

TEST(ClientProgram, ASessionThatCannotStartEndsWithCodeTwo) {
  zeltest::TempDir dir("cnext-test");
  zeltest::WriteFile(dir / "empty.script", "");
  zeltest::WriteFile(dir / "not-a-database.db", "just text");
  const std::string script = (dir / "empty.script").string();
  EXPECT_EQ(2, RunClient({"--bogus", "--script", script}).code);
  EXPECT_EQ(2, RunClient({"--script"}).code);
  EXPECT_EQ(2, RunClient({"--script", (dir / "missing.script").string()}).code);
  EXPECT_EQ(2, RunClient({"--plm", (dir / "missing.db").string(), "--script", script}).code);
  EXPECT_EQ(2, RunClient({"--plm", (dir / "not-a-database.db").string(), "--script", script}).code);
  EXPECT_EQ(2, RunClient({"--load", "NoSuchLibrary", "--script", script}).code);
  EXPECT_EQ(0, RunClient({"--load", "ZELClientTestCmds", "--script", script}).code);
}

TEST(ClientProgram, TheDemoDatabaseIsAPrivateCopyRemovedAtTheEnd) {
  zeltest::TempDir dir("cnext-test");
  zeltest::WriteFile(dir / "write.script", "open VPMReference prd-00012340\nquit\n");
  Outcome outcome =
      RunClient({"--script", (dir / "write.script").string()}, "", {"TMPDIR=" + dir.Path().string()});
  EXPECT_EQ(0, outcome.code) << outcome.err;
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(dir.Path()))
    left.push_back(entry.path().filename().string());
  EXPECT_EQ(std::vector<std::string>{"write.script"}, left);
}

TEST(ClientProgram, ALineOverTheBoundIsRefusedUnreadAndTheScriptGoesOn) {
  const std::string longest(64 * 1024, 'x');
  Outcome outcome =
      RunClient({}, "", {}, "echo " + longest + "\necho " + longest.substr(5) + "\necho after\n");
  EXPECT_EQ("CNEXT> echo " + std::string(55, 'x') + "...\nerror: line longer than 65536 bytes\nCNEXT> echo " +
                longest.substr(5) + "\n" + longest.substr(5) + "\nCNEXT> echo after\nafter\n[exit 1]\n",
            outcome.out);
}

// A product 100,000 levels deep (a chain of references, each the only child of the one above) is shown,
// selected in and cut by the navigator's commands in time proportional to its size: no recursion that
// would overflow the stack, no indentation that grows the text with the square of the depth.
TEST(ClientProgram, AProductOfAHundredThousandLevelsIsShownInFull) {
  // The sanitizers make every node many times dearer: a quarter of the depth keeps the run short.
  const int levels = ZEL_TEST_ASAN ? 25000 : 100000, selectedLevel = 5000;
  zeltest::TempDir dir("cnext-deep");
  const fs::path database = zeltest::SeededPlmDatabase(dir.Path());
  std::string sql = "BEGIN;";
  {
    std::ostringstream chain;
    for (int i = 0; i < levels; ++i) {
      const std::string reference = std::to_string(100000 + 2 * i), instance = std::to_string(100001 + 2 * i);
      chain << "INSERT INTO components(id, type, saved) VALUES(" << reference << ", 'VPMReference', 1);"
            << "INSERT INTO attributes VALUES(" << reference << ", 1, 'PLM_ExternalID', 'String', 'deep-" << i
            << "'), (" << reference << ", 2, 'majorrevision', 'String', 'A'), (" << reference
            << ", 3, 'revision', 'String', 'A.1'), (" << reference << ", 4, 'name', 'String', 'Level " << i
            << "');";
      if (i == 0) continue;
      chain << "INSERT INTO components(id, type, saved) VALUES(" << instance << ", 'VPMInstance', 1);"
            << "INSERT INTO attributes VALUES(" << instance << ", 1, 'PLM_ExternalID', 'String', 'deep-" << i
            << ".1');"
            << "INSERT INTO instances VALUES(" << instance << ", " << 100000 + 2 * (i - 1) << ", "
            << reference << ");";
    }
    sql += chain.str() + "COMMIT;";
  }
  ASSERT_EQ("", zeltest::ExecuteSql(database, sql));

  std::string path = "deep-0";
  for (int i = 1; i < selectedLevel; ++i) path += "/deep-" + std::to_string(i) + ".1";
  zeltest::WriteFile(dir / "deep.script", "open-explorer VPMReference deep-0\nselect " + path +
                                              "\ntree\nstart-header CATImmRemoveBranchCmd\ntree\n");
  Outcome outcome = RunClient({"--plm", database.string(), "--script", (dir / "deep.script").string()}, "",
                              {}, "", std::chrono::seconds(120));
  ASSERT_FALSE(outcome.timedOut);
  ASSERT_EQ(0, outcome.code) << outcome.err;

  const std::vector<std::string> lines = Lines(outcome.out);
  size_t at = 0;
  auto next = [&lines, &at]() {
    return at < lines.size() ? lines[at++] : std::string("<end of transcript>");
  };
  // A tree: its header line, then one line per node, two blanks per level up to level 32.
  auto expectTree = [&next](int shown, int selected) {
    EXPECT_EQ("window 1 explorer \"Level 0\":", next());
    for (int level = 1; level <= shown; ++level) {
      std::string line(static_cast<size_t>(std::min(level, 32)) * 2, ' ');
      if (level > 32) line += "[level " + std::to_string(level) + "] ";
      line += "Level " + std::to_string(level - 1) + " A.1";
      if (level > 1) line += " (deep-" + std::to_string(level - 1) + ".1)";
      if (level == selected) line += " *";
      const std::string actual = next();
      if (actual != line) {
        ADD_FAILURE() << "level " << level << ": \"" << actual << "\"";
        return;
      }
    }
  };
  EXPECT_EQ("CNEXT> open-explorer VPMReference deep-0", next());
  EXPECT_EQ("opened window 1 explorer \"Level 0\"", next());
  EXPECT_EQ("CNEXT> select " + path, next());
  EXPECT_EQ("selected " + path, next());
  EXPECT_EQ("CNEXT> tree", next());
  expectTree(levels, selectedLevel);
  EXPECT_EQ("CNEXT> start-header CATImmRemoveBranchCmd", next());
  EXPECT_EQ("started CATImmRemoveBranchCmd", next());
  EXPECT_EQ("CNEXT> tree", next());
  expectTree(selectedLevel - 1, 0);
  EXPECT_EQ("[exit 0]", next());
  EXPECT_EQ(lines.size(), at);
}
