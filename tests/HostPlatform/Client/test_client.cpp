// The client program as its users drive it: every script of scripts/ is run by CNEXT and its transcript
// (standard output, then the exit code) must equal the .expected file beside it; then the command line:
// strict mode, standard input, start-up failures, and the private demo database.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const std::string kClient = ZEL_BINARY_DIR "/linux_a64/code/bin/CNEXT";
const std::string kScripts = ZEL_SOURCE_DIR "/tests/HostPlatform/Client/scripts";

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void Write(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

struct Outcome {
  std::string out;  // standard output followed by "[exit N]"
  std::string err;
  int code = -1;
};

// Runs CNEXT with the arguments (already quoted for the shell), in an environment of its own: the test
// command library on the library path, no database or trace settings inherited, the dictionaries of the
// runtime tree unless others are named.
Outcome RunClient(const std::string& arguments, const std::string& dictionaryPath = std::string()) {
  setenv("LD_LIBRARY_PATH", ZEL_BINARY_DIR "/tests", 1);
  unsetenv("ZEL_PLM_DATABASE");
  unsetenv("ZEL_DEBUG");
  if (dictionaryPath.empty())
    unsetenv("CATDictionaryPath");
  else
    setenv("CATDictionaryPath", dictionaryPath.c_str(), 1);
  fs::path errors = fs::temp_directory_path() / ("cnext-stderr-" + std::to_string(getpid()));
  std::string command = "'" + kClient + "' " + arguments + " 2>'" + errors.string() + "'";
  Outcome outcome;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return outcome;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.out.append(buffer, n);
  int status = pclose(pipe);
  outcome.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.out += "[exit " + std::to_string(outcome.code) + "]\n";
  outcome.err = Read(errors);
  fs::remove(errors);
  return outcome;
}

std::string Quote(const fs::path& path) {
  return "'" + path.string() + "'";
}

std::vector<std::string> Scripts() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kScripts))
    if (entry.path().extension() == ".script") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

class ClientScript : public ::testing::TestWithParam<std::string> {};

// A private directory for one test, removed at its end.
struct TempDir {
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "cnext-test.XXXXXX").string();
    path = mkdtemp(pattern.data());
  }
  ~TempDir() { fs::remove_all(path); }
  fs::path path;
};

}  // namespace

TEST_P(ClientScript, TranscriptIsTheExpectedOne) {
  const fs::path script = fs::path(kScripts) / (GetParam() + ".script");
  const fs::path expected = fs::path(kScripts) / (GetParam() + ".expected");
  Outcome outcome = RunClient("--script " + Quote(script));
  if (!fs::exists(expected) || Read(expected) != outcome.out) {
    // Kept for a look (and, once checked by hand, for copying over the expected transcript).
    const fs::path actual = fs::path(ZEL_BINARY_DIR) / "tests" / (GetParam() + ".actual");
    Write(actual, outcome.out);
    ADD_FAILURE() << "transcript differs from " << expected << "; actual in " << actual
                  << "\nstandard error:\n"
                  << outcome.err;
  }
}

INSTANTIATE_TEST_SUITE_P(Scripts, ClientScript, ::testing::ValuesIn(Scripts()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           std::replace_if(
                               name.begin(), name.end(), [](char c) { return !isalnum(c); }, '_');
                           return name;
                         });

TEST(ClientProgram, StrictModeStopsAtTheFirstFailingLineAndInputMayComeFromStandardInput) {
  TempDir dir;
  Write(dir.path / "lines.script", "echo one\nactivate 1\necho two\n");
  Outcome lenient = RunClient("< " + Quote(dir.path / "lines.script"));
  EXPECT_EQ(
      "CNEXT> echo one\none\nCNEXT> activate 1\nerror: no window \"1\" (0 open)\nCNEXT> echo two\ntwo\n[exit "
      "1]\n",
      lenient.out);
  Outcome strict = RunClient("--strict --script " + Quote(dir.path / "lines.script"));
  EXPECT_EQ("CNEXT> echo one\none\nCNEXT> activate 1\nerror: no window \"1\" (0 open)\n[exit 1]\n",
            strict.out);
  Write(dir.path / "good.script", "echo fine\nquit\necho never\n");
  EXPECT_EQ("CNEXT> echo fine\nfine\nCNEXT> quit\n[exit 0]\n",
            RunClient("--script " + Quote(dir.path / "good.script")).out);
}

TEST(ClientProgram, AddinsOfTheDictionariesLoadWithTheirWorkbench) {
  TempDir dir;
  Write(dir.path / "addins.dico",
        "ZELTestGeneralAddin CATIAfrGeneralWksAddin ZELTestAddins\n"
        "ZELTestNavAddin CATIImmNavAddin ZELTestAddins\n"
        "ZELTestNotAnAddin CATIImmNavAddin ZELTestAddins\n");
  Write(dir.path / "addins.script", "addins\nopen-explorer VPMReference prd-00012340\naddins\nheaders\n");
  Outcome outcome = RunClient("--script " + Quote(dir.path / "addins.script"), dir.path.string());
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
  TempDir dir;
  Write(dir.path / "empty.script", "");
  Write(dir.path / "not-a-database.db", "just text");
  const std::string script = " --script " + Quote(dir.path / "empty.script");
  EXPECT_EQ(2, RunClient("--bogus" + script).code);
  EXPECT_EQ(2, RunClient("--script").code);
  EXPECT_EQ(2, RunClient("--script " + Quote(dir.path / "missing.script")).code);
  EXPECT_EQ(2, RunClient("--plm " + Quote(dir.path / "missing.db") + script).code);
  EXPECT_EQ(2, RunClient("--plm " + Quote(dir.path / "not-a-database.db") + script).code);
  EXPECT_EQ(2, RunClient("--load NoSuchLibrary" + script).code);
  EXPECT_EQ(0, RunClient("--load ZELClientTestCmds" + script).code);
}

TEST(ClientProgram, TheDemoDatabaseIsAPrivateCopyRemovedAtTheEnd) {
  TempDir dir;
  Write(dir.path / "write.script", "open VPMReference prd-00012340\nquit\n");
  const char* previous = getenv("TMPDIR");
  std::string saved = previous ? previous : "";
  setenv("TMPDIR", dir.path.c_str(), 1);
  Outcome outcome = RunClient("--script " + Quote(dir.path / "write.script"));
  if (previous)
    setenv("TMPDIR", saved.c_str(), 1);
  else
    unsetenv("TMPDIR");
  EXPECT_EQ(0, outcome.code) << outcome.err;
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(dir.path)) left.push_back(entry.path().filename().string());
  EXPECT_EQ(std::vector<std::string>{"write.script"}, left);
}
