// A PDM revision sent to 3DEXPERIENCE ends up in the client's PLM database: the gateway program serves a
// private demo PLM database, a send of a new product travels over HTTP, and the client program then opens
// the product and shows its tree.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "ZELTestSupport.h"
#include "zelgw/ObjectId.h"

namespace {

namespace fs = std::filesystem;

// The reference gateway of the runtime tree with a seeded store, writing sends into the given PLM database.
class PlmGateway {
 public:
  PlmGateway(const fs::path& dir, const fs::path& plm)
      : process_({zeltest::RuntimeProgram("ZELGateway").string(), "--port", "0", "--store",
                  (dir / "pdm.db").string(), "--seed", "--threads", "1", "--log",
                  (dir / "gateway.log").string(), "--plm-database", plm.string()}) {
    static const std::regex listening("ZELGateway listening on (http://127\\.0\\.0\\.1:[0-9]+/)ZELRequest");
    for (std::optional<std::string> line; (line = process_.ReadLine(std::chrono::seconds(60)));) {
      std::smatch match;
      if (std::regex_search(*line, match, listening)) {
        url_ = match[1].str();
        break;
      }
    }
  }
  const std::string& Url() const { return url_; }
  zeltest::ChildProcess& Process() { return process_; }

 private:
  zeltest::ChildProcess process_;
  std::string url_;
};

zeltest::ProgramResult Probe(const std::string& url, const std::vector<std::string>& attributes) {
  std::vector<std::string> argv = {zeltest::RuntimeProgram("ZELRequestProbe").string(), "--url", url,
                                   "SendItemRevisionToV6"};
  argv.insert(argv.end(), attributes.begin(), attributes.end());
  return zeltest::RunProgram(argv, "", std::chrono::seconds(60), {"ZEL_DEBUG", "http_proxy", "HTTP_PROXY"});
}

}  // namespace

TEST(SendToPlm, SentProductOpensInTheClientWithItsTree) {
  zeltest::TempDir dir("zel-send-plm");
  const fs::path plm = zeltest::SeededPlmDatabase(dir.Path());
  PlmGateway gateway(dir.Path(), plm);
  ASSERT_FALSE(gateway.Url().empty()) << gateway.Process().ReadAllErrors(std::chrono::seconds(5));

  // The attributes as the send dialog writes them; "designer" has the password "designer" (hexadecimal).
  zeltest::ProgramResult sent =
      Probe(gateway.Url(),
            {"UserID=designer", "Password=64657369676e6572", "Group=", "Role=", "LoginLocale=en",
             "RevisionObid=" + zelgw::MakeObjectId("ZEL-000100", "A"), "ExpandLevel=-1", "Force=FALSE",
             "TRANSFER_SUBSTRUCTURES_PARALLEL=false", "RemoveExistingNotProvided=TRUE", "TransferLoc=FALSE",
             "TransferStructureFilterOnly=FALSE",
             "RevisionRule=", "Variant=", "StructureFilter=", "SEND_CONFIGURATION=false"});
  ASSERT_EQ(0, sent.exitCode) << sent.out << sent.err;
  EXPECT_NE(std::string::npos, sent.out.find("6 objects created")) << sent.out;

  const fs::path script = dir.Path() / "open.script";
  ASSERT_TRUE(zeltest::WriteFile(script, "open VPMReference ZEL-000100 A\ntree\n"));
  zeltest::ProgramResult client = zeltest::RunProgram(
      {zeltest::RuntimeProgram("CNEXT").string(), "--script", script.string(), "--plm", plm.string()}, "",
      std::chrono::seconds(60),
      {"ZEL_PLM_DATABASE", "ZEL_PLM_FAIL", "CATDictionaryPath", "CATMsgCatalogPath"});
  ASSERT_EQ(0, client.exitCode) << client.out << client.err;
  EXPECT_NE(std::string::npos, client.out.find("opened window 1 3D \"Bicycle\"")) << client.out;
  const std::string tree = client.out.substr(client.out.find("CNEXT> tree"));
  EXPECT_EQ(
      "CNEXT> tree\n"
      "window 1 3D \"Bicycle\":\n"
      "  Bicycle A.1\n"
      "    Frame A.1 (Frame.1)\n"
      "    Wheel A.1 (Wheel.1)\n"
      "      Rim A.1 (Rim.1)\n"
      "      Spoke A.1 (Spoke.1)\n"
      "    Wheel A.1 (Wheel.2)\n"
      "      Rim A.1 (Rim.1)\n"
      "      Spoke A.1 (Spoke.1)\n"
      "    Handlebar A.1 (Handlebar.1)\n",
      tree);
}
