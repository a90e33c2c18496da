// The add-ins, the action bar and the options page as a user meets them: every script of
// ZELGlobalAddin/scripts, ZELToolsOptions/scripts and ZELPlm/scripts runs in CNEXT, with the edition VBO, no
// command switch, a settings directory of its own and the reference gateway running, and its transcript
// (standard output, then the exit code) must equal the .expected file beside it. A .env file beside a script
// sets variables before the session starts (lines NAME=VALUE; NAME alone unsets), as a user's environment
// would; a .admin file becomes the administrator's file of the "ZELOptions" settings. In scripts and .env
// files, @GATEWAY@ stands for the gateway's URL, @DEAD@ for a URL where nothing listens, @SCRIPTS@ for the
// scripts' directory (test programs beside them) and @SCRATCH@ for the script's private directory;
// transcripts show them so. A script NAME.2.script is a second
// session of NAME: it runs right after it, in the same environment and on the same settings directory, and
// its transcript must equal NAME.2.expected.
#include <gtest/gtest.h>

#include <sstream>

#include "ScriptTranscripts.h"
#include "SeededGateway.h"
#include "ZELTestSupport.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSuites[] = {ZEL_SOURCE_DIR "/tests/ZELPluginsWorkspace/ZELGlobalAddin/scripts",
                            ZEL_SOURCE_DIR "/tests/ZELPluginsWorkspace/ZELToolsOptions/scripts",
                            ZEL_SOURCE_DIR "/tests/ZELPluginsWorkspace/ZELPlm/scripts"};

const std::string kSecondSession = ".2";

bool IsSecondSession(const std::string& name) {
  return name.size() > kSecondSession.size() &&
         name.compare(name.size() - kSecondSession.size(), kSecondSession.size(), kSecondSession) == 0;
}

std::vector<std::string> AllScripts() {
  std::vector<std::string> names;
  for (const fs::path& suite : kSuites)
    for (const std::string& name : zeltest::ScriptNames(suite))
      if (!IsSecondSession(name)) names.push_back(suite.parent_path().filename().string() + "/" + name);
  return names;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

class AddinScript : public ::testing::TestWithParam<std::string> {
 protected:
  static void SetUpTestSuite() { gateway_ = new zeltest::SeededGateway("zel-addin-scripts"); }
  static void TearDownTestSuite() {
    delete gateway_;
    gateway_ = nullptr;
  }

  static zeltest::SeededGateway* gateway_;
};

zeltest::SeededGateway* AddinScript::gateway_ = nullptr;

}  // namespace

TEST_P(AddinScript, TranscriptIsTheExpectedOne) {
  ASSERT_FALSE(gateway_->Url().empty()) << "the gateway did not start";
  const std::string param = GetParam();
  const size_t slash = param.find('/');
  const fs::path scripts =
      fs::path(ZEL_SOURCE_DIR) / "tests/ZELPluginsWorkspace" / param.substr(0, slash) / "scripts";
  const std::string name = param.substr(slash + 1);
  const std::string dead = "http://127.0.0.1:" + std::to_string(zeltest::FreePort()) + "/";
  zeltest::TempDir dir("zel-addin-script");
  auto substituted = [&](const std::string& text) {
    return Replaced(Replaced(Replaced(Replaced(text, "@GATEWAY@", gateway_->Url()), "@DEAD@", dead),
                             "@SCRIPTS@", scripts.string()),
                    "@SCRATCH@", dir.Path().string());
  };

  // Socket names run to about 70 characters and a socket path may hold 107: the bus stays near the root.
  const zeltest::TempDir bus("zelbus", "/tmp");
  const fs::path settings = dir.Path() / "settings";
  fs::create_directories(settings);
  if (fs::exists(scripts / (name + ".admin")))
    zeltest::WriteFile(settings / "ZELOptions.CATSettingsAdmin",
                       zeltest::ReadFile(scripts / (name + ".admin")));

  std::vector<std::string> env = {"ZEL_MODULE=VBO",
                                  "CATUserSettingPath=" + settings.string(),
                                  "CATBackboneDirectory=" + bus.Path().string(),
                                  "LD_LIBRARY_PATH=" ZEL_BINARY_DIR "/tests",
                                  "ZEL_SERVER_URL",
                                  "ZEL_SERVERURL",
                                  "ZEL_DEBUG",
                                  "ZEL_ADDITIONAL_APPLICATION",
                                  "CATDictionaryPath",
                                  "CATMsgCatalogPath",
                                  "http_proxy",
                                  "HTTP_PROXY",
                                  "no_proxy=127.0.0.1"};
  for (const char* variable :
       {"ZEL_ENABLE_LOGINCMD", "ZEL_ENABLE_QUERYINPDMCMD", "ZEL_ENABLE_GETLASTVERSIONCMD",
        "ZEL_ENABLE_SHOWPDMATTRIBUTESCMD", "ZEL_ENABLE_OPENINPDMCMD", "ZEL_ENABLE_PROPERTYVIEWERCMD",
        "ZEL_ENABLE_ABOUTCMD", "ZEL_ENABLE_SETPARTNUMBERCMD", "ZEL_ENABLE_NAMEDSTRUCTURECMD",
        "ZEL_ENABLE_COEXISTENCEADMIN", "ZEL_ENABLE_TRANSFERSTRUCTURECMD", "ZEL_ENABLE_PROCESSSTATECMD"})
    env.push_back(variable);
  std::istringstream lines(substituted(zeltest::ReadFile(scripts / (name + ".env"))));
  for (std::string line; std::getline(lines, line);)
    if (!line.empty() && line[0] != '#') env.push_back(line);

  const fs::path database = zeltest::SeededPlmDatabase(dir.Path());
  auto runSession = [&](const std::string& session) {
    const fs::path script = dir.Path() / (session + ".script");
    zeltest::WriteFile(script, substituted(zeltest::ReadFile(scripts / (session + ".script"))));
    zeltest::ProgramResult result = zeltest::RunProgram(
        {zeltest::RuntimeProgram("CNEXT").string(), "--script", script.string(), "--plm", database.string()},
        "", std::chrono::seconds(120), env);
    std::string transcript = result.out + "[exit " + std::to_string(result.exitCode) + "]\n";
    transcript = Replaced(Replaced(Replaced(transcript, gateway_->Url(), "@GATEWAY@"), dead, "@DEAD@"),
                          dir.Path().string(), "@SCRATCH@");
    transcript = Replaced(transcript, scripts.string(), "@SCRIPTS@");
    zeltest::ExpectTranscript(scripts / (session + ".expected"), zeltest::ScriptTestName(session), transcript,
                              result.err);
  };
  runSession(name);
  if (fs::exists(scripts / (name + kSecondSession + ".script"))) runSession(name + kSecondSession);
}

INSTANTIATE_TEST_SUITE_P(Scripts, AddinScript, ::testing::ValuesIn(AllScripts()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return zeltest::ScriptTestName(info.param);
                         });
