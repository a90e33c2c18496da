// A PDM revision sent to 3DEXPERIENCE ends up in the client's PLM database: the gateway program writes into
// the session's private demo PLM database, and the session that sent the product then opens it with its tree.
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

}  // namespace

TEST(SendToPlm, SentProductOpensInTheSessionThatSentIt) {
  zeltest::TempDir dir("zel-send-plm");
  const fs::path plm = zeltest::SeededPlmDatabase(dir.Path());
  PlmGateway gateway(dir.Path(), plm);
  ASSERT_FALSE(gateway.Url().empty()) << gateway.Process().ReadAllErrors(std::chrono::seconds(5));

  // As a user does it: log in, query the product, send it with the dialog's defaults, then open it in the
  // same session, which must see what the gateway wrote meanwhile.
  std::string text = R"(wait 1100
start-header LoginAddinHeader
type TC_login_dialog/TC_user_editor designer
type TC_login_dialog/TC_password_editor designer
press TC_login_dialog OK
wait 1100
open VPMReference ZEL-000100 A
start-header QueryItemAddinHeader
choose query_item_in_tc/itemTypeCombo Part
type query_item_in_tc/item_id ZEL-000100
press query_item_in_tc Apply
choose query_item_result_dialog/MultiList1 OBID
press query_item_result_dialog/Frame1/SendToV6
press vbo_send_to_v6_dialog OK
boxes
open VPMReference ZEL-000100 A
tree
)";
  text.replace(text.find("OBID"), 4, zelgw::MakeObjectId("ZEL-000100", "A"));
  const fs::path script = dir.Path() / "send.script";
  ASSERT_TRUE(zeltest::WriteFile(script, text));
  zeltest::ProgramResult client = zeltest::RunProgram(
      {zeltest::RuntimeProgram("CNEXT").string(), "--script", script.string(), "--plm", plm.string()}, "",
      std::chrono::seconds(60),
      {"ZEL_MODULE=VBO", "ZEL_SERVER_URL=" + gateway.Url(),
       "CATUserSettingPath=" + (dir.Path() / "settings").string(), "ZEL_PLM_DATABASE", "ZEL_PLM_FAIL",
       "ZEL_DEBUG", "CATDictionaryPath", "CATMsgCatalogPath", "http_proxy", "HTTP_PROXY"});
  // Nothing to open before the send: the first open fails, the second one succeeds.
  ASSERT_EQ(1, client.exitCode) << client.out << client.err;
  const std::string& out = client.out;
  const std::size_t sent = out.find("CNEXT> boxes");
  ASSERT_NE(std::string::npos, sent) << out;
  EXPECT_EQ(std::string::npos, out.substr(0, sent).find("opened window")) << out;
  EXPECT_NE(std::string::npos, out.find("6 objects created", sent)) << out;
  EXPECT_NE(std::string::npos, out.find("opened window 1 3D \"Bicycle\"", sent)) << out;
  const std::size_t treeAt = out.find("CNEXT> tree");
  ASSERT_NE(std::string::npos, treeAt) << out;
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
      out.substr(treeAt));
}
