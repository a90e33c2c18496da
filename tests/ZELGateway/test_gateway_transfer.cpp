// The transfer functions: the transfer command's switches from the store, refusals of unfit sends (alone and
// together, with hostile values), and accepted sends recorded as processes the user can list newest first.
#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <regex>
#include <string>
#include <vector>

#include "GatewayTestUtil.h"
#include "zelgw/Gateway.h"
#include "zelgw/ProcessRepository.h"
#include "zelgw/SettingRepository.h"
#include "zelgw/Store.h"
#include "zelgw/XmlText.h"

using namespace gwtest;

namespace {

class GatewayTransfer : public ::testing::Test {
 protected:
  // A send as the reference dialog makes it, in the client's attribute order.
  static Attributes ValidSend() {
    return {{"3DEXP", "true"},           {"user", "jsmith"},
            {"type", "VPMReference"},    {"name", "prd-00042"},
            {"revision", "A.1"},         {"transfer_type", "VPMReference"},
            {"expand_level", "-1"},      {"force", "false"},
            {"remove_existing", "true"}, {"send_configuration", "true"},
            {"folder_only", "false"},    {"TRANSFER_SUBSTRUCTURES_PARALLEL", "false"}};
  }

  static Attributes With(Attributes attributes, const std::string& name, const std::string& value) {
    for (auto& attribute : attributes) {
      if (attribute.first == name) attribute.second = value;
    }
    return attributes;
  }

  static Attributes Without(Attributes attributes, const std::string& name) {
    std::erase_if(attributes, [&](const auto& attribute) { return attribute.first == name; });
    return attributes;
  }

  zelgw::GatewayResult Send(const Attributes& attributes) {
    return gateway_.HandleRequestBody(RequestBody("SendEnoviaObjectToTC", "7_1", attributes));
  }

  std::int64_t ProcessCount() {
    auto connection = store_.Acquire();
    zelgw::Statement& count = connection->Prepare("SELECT count(*) FROM processes");
    count.Step();
    return count.Int(0);
  }

  // The value of each element the client's "//<name>" finds, in document order.
  static std::vector<std::string> Switch(const std::string& body, const std::string& name) {
    pugi::xml_document document;
    EXPECT_TRUE(document.load_string(body.c_str())) << body;
    std::vector<std::string> values;
    for (const pugi::xpath_node& node : document.select_nodes(("//" + name).c_str())) {
      values.push_back(node.node().attribute("value").value());
    }
    return values;
  }

  zelgw::Store store_{":memory:"};
  zelgw::Gateway gateway_{store_};
};

std::string Texts(const std::vector<CodedText>& errors) {
  std::string all;
  for (const CodedText& error : errors) all += std::to_string(error.code) + ": " + error.text + "\n";
  return all;
}

}  // namespace

TEST_F(GatewayTransfer, SettingsComeFromTheStoreOnceEachAndOffWhenMissingOrUnclear) {
  auto settingsReply = [&] {
    zelgw::GatewayResult result = gateway_.HandleRequestBody(RequestBody("GetSettingsInfo", "1_0"));
    EXPECT_EQ(result.httpStatus, 200);
    EXPECT_TRUE(ParseReply(result.body).errors.empty());
    EXPECT_EQ(ParseReply(result.body).responseId, "1_0");
    return result.body;
  };
  // The demo set lets the folder dialog and the configuration option show.
  std::string seeded = settingsReply();
  EXPECT_EQ(Switch(seeded, "UseBookmark"), std::vector<std::string>{"false"});
  EXPECT_EQ(Switch(seeded, "Show3DXSendConfigurationEnabled"), std::vector<std::string>{"true"});

  zelgw::SettingRepository settings(store_);
  settings.Put("GetSettingsInfo", "UseBookmark", "TRUE");
  settings.Put("GetSettingsInfo", "Show3DXSendConfigurationEnabled", "true\"/><UseBookmark value=\"true");
  std::string changed = settingsReply();
  EXPECT_EQ(Switch(changed, "UseBookmark"), std::vector<std::string>{"true"});
  EXPECT_EQ(Switch(changed, "Show3DXSendConfigurationEnabled"), std::vector<std::string>{"false"});

  store_.Acquire()->Execute("DELETE FROM settings");
  std::string missing = settingsReply();
  EXPECT_EQ(Switch(missing, "UseBookmark"), std::vector<std::string>{"false"});
  EXPECT_EQ(Switch(missing, "Show3DXSendConfigurationEnabled"), std::vector<std::string>{"false"});
}

TEST_F(GatewayTransfer, EachFaultOfASendIsRefusedWithItsCodeAndAClearText) {
  struct Case {
    Attributes attributes;
    int code;
    std::string text;  // a piece of the expected text
  };
  const std::vector<Case> cases = {
      {With(ValidSend(), "user", ""), 1001, "names no user"},
      {Without(ValidSend(), "type"), 1002, "names no object type"},
      {With(ValidSend(), "type", "   "), 1002, "names no object type"},
      {Without(ValidSend(), "name"), 1003, "names no object name"},
      {With(ValidSend(), "name", std::string(257, 'n')), 1004, "object name is longer than 256 bytes"},
      {With(ValidSend(), "revision", std::string(300, 'r')), 1004, "revision is longer than 256 bytes"},
      {With(ValidSend(), "type", "VPM\nReference"), 1005, "\"VPM?Reference\" holds line breaks"},
      {With(ValidSend(), "revision", "A\t1"), 1005, "\"A?1\" holds line breaks"},
      {With(ValidSend(), "name", "next\xC2\x85line"), 1005, "\"next?line\" holds"},
      {With(ValidSend(), "transfer_type", "Part"), 1006,
       "\"Part\" is unknown; it must be VPMReference, Bookmark or Folder"},
      {Without(ValidSend(), "transfer_type"), 1006, "names no transfer type"},
      {With(ValidSend(), "expand_level", "all"), 1007, "\"all\" is not a number"},
      {With(ValidSend(), "expand_level", " 3"), 1007, "\" 3\" is not a number"},
      {With(ValidSend(), "expand_level", "-2"), 1007, "\"-2\" is out of range"},
      {With(ValidSend(), "expand_level", "2147483648"), 1007, "is out of range"},
      {With(ValidSend(), "expand_level", "99999999999999999999999"), 1007, "is out of range"},
      {Without(ValidSend(), "expand_level"), 1007, "gives no expand level"},
      {With(ValidSend(), "remove_existing", "yes"), 1008,
       "\"remove_existing\" must be \"true\" or \"false\""},
      {With(ValidSend(), "TRANSFER_SUBSTRUCTURES_PARALLEL", "TRUE"), 1008, "not \"TRUE\""},
  };
  std::int64_t before = ProcessCount();
  for (const Case& c : cases) {
    zelgw::GatewayResult result = Send(c.attributes);
    ReadReply reply = ParseReply(result.body);
    SCOPED_TRACE(Texts(reply.errors));
    EXPECT_EQ(result.httpStatus, 200);
    EXPECT_EQ(result.errorCode, c.code);
    ASSERT_EQ(reply.errors.size(), 1u);
    EXPECT_EQ(reply.errors[0].code, c.code);
    EXPECT_NE(reply.errors[0].text.find(c.text), std::string::npos);
    EXPECT_EQ(reply.errors[0].text.find_first_of("\r\n\t"), std::string::npos);
    EXPECT_TRUE(reply.messages.empty());
  }
  EXPECT_EQ(ProcessCount(), before);
}

TEST_F(GatewayTransfer, EveryFaultOfOneSendIsReportedInOrder) {
  Attributes attributes = With(With(ValidSend(), "type", ""), "name", "");
  attributes = With(With(attributes, "transfer_type", "Part"), "expand_level", "many");
  attributes = With(attributes, "force", "1");
  std::int64_t before = ProcessCount();
  zelgw::GatewayResult result = Send(attributes);
  ReadReply reply = ParseReply(result.body);
  std::vector<int> codes;
  for (const CodedText& error : reply.errors) codes.push_back(error.code);
  EXPECT_EQ(codes, (std::vector<int>{1002, 1003, 1006, 1007, 1008}));
  EXPECT_EQ(result.errorCode, 1002);
  EXPECT_EQ(ProcessCount(), before);
}

TEST_F(GatewayTransfer, AnAcceptedSendIsRecordedWithEveryFieldAndListedNewestFirst) {
  std::string before = zelgw::CurrentUtcTime();
  zelgw::GatewayResult result = Send(ValidSend());
  std::string after = zelgw::CurrentUtcTime();
  ReadReply reply = ParseReply(result.body);
  ASSERT_EQ(result.errorCode, 0) << result.body;
  ASSERT_EQ(reply.attributes.size(), 1u);
  EXPECT_EQ(reply.attributes[0].first, "ProcessId");
  std::int64_t id = std::stoll(reply.attributes[0].second);
  ASSERT_EQ(reply.messages.size(), 1u);
  EXPECT_EQ(reply.messages[0].text,
            "prd-00042 A.1 (VPMReference) was sent to the PDM as process " + std::to_string(id) + ".");

  std::optional<zelgw::ProcessRecord> recorded = zelgw::ProcessRepository(store_).Find(id);
  ASSERT_TRUE(recorded);
  EXPECT_EQ(recorded->user, "jsmith");
  EXPECT_EQ(recorded->activity, "Send to PDM");
  EXPECT_EQ(recorded->object, "prd-00042/A.1");
  EXPECT_EQ(recorded->status, "Finished");
  EXPECT_EQ(recorded->description,
            "Product structure prd-00042 A.1 (VPMReference), all levels, remove existing children, with "
            "configuration");
  EXPECT_TRUE(std::regex_match(recorded->start, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)")));
  EXPECT_LE(before, recorded->start);
  EXPECT_LE(recorded->start, after);
  EXPECT_EQ(recorded->end, recorded->start);
  EXPECT_EQ(recorded->errorMessage, "");

  // A folder sent later, within the same second, still comes first; other users' processes never show.
  Attributes folder =
      With(With(With(ValidSend(), "transfer_type", "Folder"), "type", "ENOFLD_FolderRootReference"),
           "expand_level", "1");
  folder = With(With(With(folder, "revision", ""), "force", "true"), "folder_only", "true");
  folder = With(With(folder, "remove_existing", "false"), "send_configuration", "false");
  ASSERT_EQ(Send(folder).errorCode, 0);
  std::vector<zelgw::ProcessRecord> listed = zelgw::ProcessRepository(store_).ListForUser("jsmith");
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].object, "prd-00042");
  EXPECT_EQ(listed[0].description,
            "Folder prd-00042 (ENOFLD_FolderRootReference), 1 level, force, folder only");
  EXPECT_EQ(listed[1], *recorded);
  std::vector<zelgw::ProcessRecord> demo = zelgw::ProcessRepository(store_).ListForUser("demo");
  ASSERT_EQ(demo.size(), 2u);
  EXPECT_EQ(demo[0].start, "2024-03-02T14:30:00Z");
  EXPECT_EQ(demo[0].errorMessage, "ZEL-000120/B is checked out by designer.");
  EXPECT_EQ(demo[1].end, "2024-03-01T09:02:10Z");
}

TEST_F(GatewayTransfer, AttributesInAnyOrderAndMissingFlagsAreAccepted) {
  Attributes sent = ValidSend();
  Attributes reversed(sent.rbegin(), sent.rend());
  ASSERT_EQ(Send(reversed).errorCode, 0);
  // Absent options are off; the first of two same-named attributes counts, as clients read theirs.
  Attributes minimal = {
      {"name", "bm"},        {"user", "jsmith"},      {"expand_level", "0"}, {"transfer_type", "Bookmark"},
      {"type", "Workspace"}, {"folder_only", "true"}, {"name", "ignored"}};
  ASSERT_EQ(Send(minimal).errorCode, 0);
  std::vector<zelgw::ProcessRecord> listed = zelgw::ProcessRepository(store_).ListForUser("jsmith");
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].description, "Bookmark bm (Workspace), no children, bookmark only");
  EXPECT_EQ(listed[1].description,
            "Product structure prd-00042 A.1 (VPMReference), all levels, remove existing children, with "
            "configuration");
}

TEST_F(GatewayTransfer, HostileValuesAreBoundedQuotedShortAndStoredVerbatimWhenFit) {
  // A name of a mebibyte: refused without sending it back.
  zelgw::GatewayResult huge = Send(With(ValidSend(), "name", std::string(1 << 20, 'x')));
  EXPECT_EQ(huge.errorCode, 1004);
  EXPECT_LT(huge.body.size(), 1000u);
  // A long unknown transfer type of multi-byte characters: quoted in part, cut on a character boundary.
  std::string wide = std::string(38, 'a');
  for (int i = 0; i < 1000; ++i) wide += "\xE6\x97\xA5";
  std::vector<CodedText> errors = ParseReply(Send(With(ValidSend(), "transfer_type", wide)).body).errors;
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_LT(errors[0].text.size(), 200u);
  EXPECT_NE(errors[0].text.find("\"" + std::string(38, 'a') + "...\""), std::string::npos) << errors[0].text;
  EXPECT_TRUE(zelgw::IsValidXmlText(errors[0].text));

  // Exactly at the bound, with markup and quotes that look like SQL: accepted and kept as sent.
  std::string name = "<b>&amp;\"O'Brien\"; DROP TABLE processes;--" + std::string(256, 'z');
  name.resize(256);
  zelgw::GatewayResult fit = Send(With(With(ValidSend(), "name", name), "revision", ""));
  ASSERT_EQ(fit.errorCode, 0) << fit.body;
  ReadReply fitReply = ParseReply(fit.body);
  ASSERT_TRUE(fitReply.parsed);
  ASSERT_EQ(fitReply.messages.size(), 1u);
  EXPECT_EQ(fitReply.messages[0].text.rfind(name + " (VPMReference)", 0), 0u);
  EXPECT_EQ(zelgw::ProcessRepository(store_).ListForUser("jsmith").at(0).object, name);
}

TEST(GatewayProcesses, AUsersListIsCutToTheNewestAndKeepsToThatUser) {
  zelgw::Store store(":memory:");
  zelgw::ProcessRepository processes(store);
  for (int i = 0; i < 520; ++i) {
    char start[32];
    std::snprintf(start, sizeof start, "2025-01-01T%02d:%02d:00Z", i / 60, i % 60);
    processes.Add(
        {0, "busy", "Send to PDM", "P/" + std::to_string(i), "Finished", "", start, std::nullopt, ""});
  }
  processes.Add({0, "busy' OR '1'='1", "Send to PDM", "x", "Running", "", "2030-01-01T00:00:00Z", {}, ""});
  std::vector<zelgw::ProcessRecord> listed = processes.ListForUser("busy");
  ASSERT_EQ(listed.size(), zelgw::kMaxListedProcesses);
  EXPECT_EQ(listed.front().object, "P/519");
  EXPECT_EQ(listed.back().object, "P/20");
  EXPECT_FALSE(listed.front().end.has_value());
  EXPECT_EQ(processes.ListForUser("busy", 3).size(), 3u);
  EXPECT_EQ(processes.ListForUser("busy", 100000).size(), zelgw::kMaxListedProcesses);
  EXPECT_TRUE(processes.ListForUser("busy", 0).empty());
  EXPECT_TRUE(processes.ListForUser("nobody").empty());
}
