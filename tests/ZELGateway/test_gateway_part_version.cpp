// "GetPartVersion" and "OpenInPdm": the last-version delivery with its process record and messages, and the
// ids each edition opens an object by; every refusal, and that a refused request records nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "GatewayTestUtil.h"
#include "zelgw/Gateway.h"
#include "zelgw/ProcessRepository.h"
#include "zelgw/Store.h"
#include "zelgw/UserRepository.h"

using namespace gwtest;

namespace {

std::string Hex(const std::string& password) {
  std::string hex;
  for (unsigned char byte : password) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%x", static_cast<unsigned>(byte));
    hex += digits;
  }
  return hex;
}

std::vector<int> Codes(const std::vector<CodedText>& entries) {
  std::vector<int> codes;
  for (const CodedText& entry : entries) codes.push_back(entry.code);
  return codes;
}

std::string Value(const ReadReply& reply, const std::string& name) {
  for (const auto& [attribute, value] : reply.attributes)
    if (attribute == name) return value;
  return "<absent>";
}

class GatewayPartVersion : public ::testing::Test {
 protected:
  void SetUp() override {
    store_ = std::make_unique<zelgw::Store>(":memory:");
    ASSERT_TRUE(zelgw::UserRepository(*store_).Add({"ana", "Engineering", "Designer"}, "s3cret"));
    gateway_ = std::make_unique<zelgw::Gateway>(*store_);
  }

  // A request as the client's command writes it, with one attribute replaced or left out when asked.
  ReadReply GetPartVersion(const std::string& partNumber, const std::string& version,
                           const std::string& rule = "ZEL_LAST", const std::string& level = "ALL",
                           const std::string& password = "s3cret", const std::string& group = "Engineering") {
    Attributes attributes = {{"UserID", "ana"},    {"Password", Hex(password)}, {"Group", group},
                             {"Role", "Designer"}, {"LoginLocale", "en"},       {"PartNumber", partNumber},
                             {"Version", version}, {"TC_Revision", rule},       {"Level", level}};
    return ParseReply(gateway_->HandleRequestBody(RequestBody("GetPartVersion", "7_1", attributes)).body);
  }

  ReadReply OpenInPdm(const std::string& partNumber, const std::string& revision) {
    return ParseReply(gateway_
                          ->HandleRequestBody(RequestBody(
                              "OpenInPdm", "7_2", {{"PartNumber", partNumber}, {"Revision", revision}}))
                          .body);
  }

  std::vector<zelgw::ProcessRecord> Processes() {
    return zelgw::ProcessRepository(*store_).ListForUser("ana");
  }

  std::unique_ptr<zelgw::Store> store_;
  std::unique_ptr<zelgw::Gateway> gateway_;
};

}  // namespace

TEST_F(GatewayPartVersion, DeliversTheLastRevisionWhateverTheSessionHoldsAndRecordsOneProcess) {
  ReadReply reply = GetPartVersion("prd-00012345", "A");
  ASSERT_TRUE(reply.parsed);
  EXPECT_TRUE(reply.errors.empty());
  ASSERT_EQ((std::vector<int>{0, 0}), Codes(reply.messages));
  EXPECT_NE(std::string::npos, reply.messages[0].text.find("revision B"));
  EXPECT_NE(std::string::npos, reply.messages[0].text.find("holds revision A"));
  EXPECT_NE(std::string::npos, reply.messages[1].text.find("prd-00012345/B"));

  std::vector<zelgw::ProcessRecord> processes = Processes();
  ASSERT_EQ(1u, processes.size());
  EXPECT_EQ("Get last version", processes[0].activity);
  EXPECT_EQ("prd-00012345/B", processes[0].object);
  EXPECT_EQ(std::to_string(processes[0].id), Value(reply, "ProcessId"));

  // The session's revision is only told, never required: an empty one delivers the same.
  reply = GetPartVersion("prd-00012345", "");
  EXPECT_TRUE(reply.errors.empty());
  EXPECT_EQ(2u, reply.messages.size());
  EXPECT_EQ(2u, Processes().size());
}

TEST_F(GatewayPartVersion, RefusesWhatItCannotDeliverAndRecordsNothing) {
  const std::string tooLong(257, 'x');
  struct Case {
    const char* what;
    ReadReply reply;
    int code;
  };
  const Case cases[] = {
      {"wrong password", GetPartVersion("prd-00012345", "A", "ZEL_LAST", "ALL", "wrong"), 1901},
      {"wrong group", GetPartVersion("prd-00012345", "A", "ZEL_LAST", "ALL", "s3cret", "Sales"), 1902},
      {"no part number", GetPartVersion("  ", "A"), 1904},
      {"long part number", GetPartVersion(tooLong, "A"), 1905},
      {"long revision", GetPartVersion("prd-00012345", tooLong), 1905},
      {"line break in the part number", GetPartVersion("prd-00012345\nX", "A"), 1906},
      {"line break in the revision", GetPartVersion("prd-00012345", "A\r\nB"), 1906},
      {"another revision rule", GetPartVersion("prd-00012345", "A", "Latest Working"), 1907},
      {"no revision rule", GetPartVersion("prd-00012345", "A", ""), 1907},
      {"one level only", GetPartVersion("prd-00012345", "A", "ZEL_LAST", "1"), 1908},
      {"lower-case level", GetPartVersion("prd-00012345", "A", "ZEL_LAST", "all"), 1908},
      {"unknown part", GetPartVersion("prd-99999999", "A"), 1909},
  };
  for (const Case& refused : cases) {
    SCOPED_TRACE(refused.what);
    EXPECT_EQ((std::vector<int>{refused.code}), Codes(refused.reply.errors));
    EXPECT_TRUE(refused.reply.messages.empty());
    EXPECT_EQ("<absent>", Value(refused.reply, "ProcessId"));
  }
  EXPECT_TRUE(Processes().empty());
}

TEST_F(GatewayPartVersion, OpenInPdmGivesEveryEditionItsIdsWithoutCredentials) {
  ReadReply reply = OpenInPdm("prd-00012343", "A");
  ASSERT_TRUE(reply.errors.empty());
  EXPECT_TRUE(reply.messages.empty());
  ASSERT_EQ(4u, reply.attributes.size());
  EXPECT_EQ("Id", reply.attributes[0].first);
  EXPECT_EQ('R', reply.attributes[0].second.at(0));
  EXPECT_EQ("Part", Value(reply, "Type"));
  EXPECT_EQ("prd-00012343", Value(reply, "PartNo"));
  EXPECT_EQ("A", Value(reply, "TIndex"));

  // Ids are passed on exactly, odd characters and line breaks included: refusing them is the client's part.
  EXPECT_EQ("RIM 622#A \"geometry\"", Value(OpenInPdm("3ds-00012343", "A"), "Id"));
  EXPECT_EQ("DRW-12347\r\n-o=other", Value(OpenInPdm("drw-00012347", "A"), "Id"));
}

TEST_F(GatewayPartVersion, OpenInPdmAsksToConfirmARevisionThatIsNotTheLast) {
  ReadReply older = OpenInPdm("prd-00012345", "A");
  EXPECT_TRUE(older.errors.empty());
  EXPECT_EQ((std::vector<int>{90001}), Codes(older.messages));
  EXPECT_EQ("A", Value(older, "TIndex"));

  ReadReply last = OpenInPdm("prd-00012345", "B");
  EXPECT_TRUE(last.messages.empty());
  // No revision means the last one.
  ReadReply any = OpenInPdm("prd-00012345", "");
  EXPECT_TRUE(any.messages.empty());
  EXPECT_EQ(Value(last, "Id"), Value(any, "Id"));
  EXPECT_NE(Value(last, "Id"), Value(older, "Id"));
}

TEST_F(GatewayPartVersion, OpenInPdmRefusals) {
  EXPECT_EQ((std::vector<int>{2001}), Codes(OpenInPdm("", "A").errors));
  EXPECT_EQ((std::vector<int>{2002}), Codes(OpenInPdm(std::string(257, 'p'), "A").errors));
  EXPECT_EQ((std::vector<int>{2002}), Codes(OpenInPdm("prd-00012345", std::string(257, 'r')).errors));
  EXPECT_EQ((std::vector<int>{2003}), Codes(OpenInPdm("prd-00012345\t", "A").errors));
  EXPECT_EQ((std::vector<int>{2003}), Codes(OpenInPdm("prd-00012345", "A\n").errors));
  EXPECT_EQ((std::vector<int>{2004}), Codes(OpenInPdm("prd-99999999", "A").errors));
  ReadReply unknownRevision = OpenInPdm("prd-00012345", "Z");
  EXPECT_EQ((std::vector<int>{2005}), Codes(unknownRevision.errors));
  EXPECT_TRUE(unknownRevision.attributes.empty());
}
