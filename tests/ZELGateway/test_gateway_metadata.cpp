// "GetMetadata" read back the way the client's attribute viewer reads it: credentials, the header data and
// the owning site, groups in the PDM's order with their display names, and every refusal of the texts a
// request names.
#include <gtest/gtest.h>

#include <cstdio>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "GatewayTestUtil.h"
#include "zelgw/Gateway.h"
#include "zelgw/Sql.h"
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

struct Line {
  std::string name, display, value;
  bool operator==(const Line&) const = default;
};

struct Group {
  std::string name;
  std::vector<Line> lines;
};

// The reply as the viewer takes it: "/*/Response/Group" with every "Attribute" below, and "/*/Response/Loc".
struct MetadataReply {
  ReadReply read;
  std::vector<Group> groups;
  int locations = 0;
  bool hasOwner = false;
  std::string owner;

  std::vector<int> ErrorCodes() const {
    std::vector<int> codes;
    for (const CodedText& error : read.errors) codes.push_back(error.code);
    return codes;
  }
  std::vector<std::string> GroupNames() const {
    std::vector<std::string> names;
    for (const Group& group : groups) names.push_back(group.name);
    return names;
  }
};

MetadataReply ReadMetadata(const std::string& body) {
  MetadataReply reply;
  reply.read = ParseReply(body);
  pugi::xml_document document;
  if (!document.load_string(body.c_str())) return reply;
  for (pugi::xpath_node node : document.select_nodes("/*/Response/Group")) {
    Group group{node.node().attribute("name").value(), {}};
    for (pugi::xpath_node attribute : node.node().select_nodes(".//Attribute")) {
      pugi::xml_node element = attribute.node();
      group.lines.push_back({element.attribute("name").value(), element.attribute("display").value(),
                             element.attribute("value").value()});
    }
    reply.groups.push_back(group);
  }
  for (pugi::xpath_node node : document.select_nodes("/*/Response/Loc")) {
    ++reply.locations;
    if (pugi::xml_attribute owner = node.node().attribute("OWNER")) {
      reply.hasOwner = true;
      reply.owner = owner.value();
    }
  }
  return reply;
}

class GatewayMetadata : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    store_ = new zelgw::Store(":memory:");
    ASSERT_TRUE(zelgw::UserRepository(*store_).Add({"ana", "Engineering", "Designer"}, "s3cret"));
    gateway_ = new zelgw::Gateway(*store_);
  }
  static void TearDownTestSuite() {
    delete gateway_;
    delete store_;
  }

  static Attributes Credentials(const std::string& password = "s3cret", const std::string& group = "",
                                const std::string& role = "") {
    return {{"UserID", "ana"},
            {"Password", Hex(password)},
            {"Group", group},
            {"Role", role},
            {"LoginLocale", "en"}};
  }

  static MetadataReply Metadata(const std::string& partNumber, const std::string& revision,
                                const Attributes& context = {}, Attributes request = Credentials()) {
    request.push_back({"PartNumber", partNumber});
    request.push_back({"Revision", revision});
    request.push_back({"LoginLocale", "en"});
    request.insert(request.end(), context.begin(), context.end());
    return ReadMetadata(gateway_->HandleRequestBody(RequestBody("GetMetadata", "7_3", request)).body);
  }

  static zelgw::Store* store_;
  static zelgw::Gateway* gateway_;
};

zelgw::Store* GatewayMetadata::store_ = nullptr;
zelgw::Gateway* GatewayMetadata::gateway_ = nullptr;

}  // namespace

TEST_F(GatewayMetadata, NeedsTheCredentialsLoginAccepts) {
  EXPECT_EQ(std::vector<int>{1801}, Metadata("prd-00012343", "A", {}, {}).ErrorCodes());
  EXPECT_EQ(std::vector<int>{1801}, Metadata("prd-00012343", "A", {}, Credentials("wrong")).ErrorCodes());
  EXPECT_EQ(std::vector<int>{1802},
            Metadata("prd-00012343", "A", {}, Credentials("s3cret", "Sales")).ErrorCodes());
  EXPECT_EQ(std::vector<int>{1803},
            Metadata("prd-00012343", "A", {}, Credentials("s3cret", "", "DBA")).ErrorCodes());
  // A refusal gives away nothing of the item.
  MetadataReply refused = Metadata("prd-00012343", "A", {}, Credentials("wrong"));
  EXPECT_TRUE(refused.groups.empty());
  EXPECT_EQ(0, refused.locations);
  EXPECT_TRUE(refused.read.attributes.empty());
}

TEST_F(GatewayMetadata, ReplyHoldsHeaderOwnerAndGroupsWithDisplayNames) {
  MetadataReply reply = Metadata("prd-00012343", "A");
  ASSERT_TRUE(reply.read.hasResponse);
  ASSERT_TRUE(reply.read.errors.empty());
  EXPECT_EQ("7_3", reply.read.responseId);
  EXPECT_EQ((Attributes{{"PartNumber", "prd-00012343"},
                        {"Revision", "A"},
                        {"ItemType", "Part"},
                        {"ObjectName", "Rim 622x19"}}),
            reply.read.attributes);
  EXPECT_EQ(1, reply.locations);
  EXPECT_TRUE(reply.hasOwner);
  EXPECT_EQ("Munich", reply.owner);
  ASSERT_EQ((std::vector<std::string>{"General", "Part"}), reply.GroupNames());
  EXPECT_EQ((std::vector<Line>{{"item_id", "Item ID", "prd-00012343"},
                               {"item_revision_id", "Revision", "A"},
                               {"object_name", "Name", "Rim 622x19"},
                               {"object_desc", "Description", "Rim 622x19 of the city bicycle"},
                               {"owning_user", "Owner", "jsmith"},
                               {"release_status", "Release Status", "Released"}}),
            reply.groups[0].lines);
  EXPECT_EQ((std::vector<Line>{{"material", "Material", "Aluminium 6061"}, {"mass", "Mass (kg)", "0.58"}}),
            reply.groups[1].lines);

  // An item without an owning site still has its "Loc", only without "OWNER"; the revision asked for is
  // the one described.
  MetadataReply hub = Metadata("prd-00012346", "A");
  ASSERT_TRUE(hub.read.errors.empty());
  EXPECT_EQ(1, hub.locations);
  EXPECT_FALSE(hub.hasOwner);
  MetadataReply tire = Metadata("prd-00012345", "A");
  ASSERT_EQ(2u, tire.groups.size());
  EXPECT_EQ((Line{"item_revision_id", "Revision", "A"}), tire.groups[0].lines[1]);
  EXPECT_EQ((Line{"release_status", "Release Status", "Released"}), tire.groups[0].lines[5]);
  EXPECT_EQ("In Work", Metadata("prd-00012345", "B").groups[0].lines[5].value);
}

TEST_F(GatewayMetadata, ContextOfTheSelectionIsOptional) {
  EXPECT_TRUE(
      Metadata(
          "prd-00012343", "A",
          {{"InstanceName", "prd-00012343.1"}, {"ParentPartNumber", "prd-00012341"}, {"ParentRevision", "A"}})
          .read.errors.empty());
  EXPECT_TRUE(Metadata("prd-00012343", "A", {{"InstanceName", "prd-00012343.1"}}).read.errors.empty());
}

TEST_F(GatewayMetadata, RefusesMissingUnknownAndMalformedTexts) {
  EXPECT_EQ(std::vector<int>{1804}, Metadata("", "A").ErrorCodes());
  EXPECT_EQ(std::vector<int>{1804}, Metadata("   ", "A").ErrorCodes());
  EXPECT_EQ(std::vector<int>{1805}, Metadata(std::string(257, 'p'), "A").ErrorCodes());
  EXPECT_EQ(std::vector<int>{1806}, Metadata("prd-00012343\r\nX", "A").ErrorCodes());
  EXPECT_EQ(std::vector<int>{1807}, Metadata("prd-00012343", "").ErrorCodes());
  EXPECT_EQ(std::vector<int>{1808}, Metadata("prd-00012343", std::string(257, 'A')).ErrorCodes());
  EXPECT_EQ(std::vector<int>{1809}, Metadata("prd-00012343", "A\t").ErrorCodes());
  EXPECT_EQ(std::vector<int>{1810}, Metadata("prd-00012399", "A").ErrorCodes());
  // Part numbers compare exactly: neither case nor a pattern finds another item.
  EXPECT_EQ(std::vector<int>{1810}, Metadata("PRD-00012343", "A").ErrorCodes());
  EXPECT_EQ(std::vector<int>{1810}, Metadata("prd-0001234%", "A").ErrorCodes());
  EXPECT_EQ(std::vector<int>{1811}, Metadata("prd-00012343", "B").ErrorCodes());
  EXPECT_EQ(std::vector<int>{1812},
            Metadata("prd-00012343", "A", {{"InstanceName", std::string(257, 'i')}}).ErrorCodes());
  EXPECT_EQ(std::vector<int>{1812},
            Metadata("prd-00012343", "A", {{"ParentPartNumber", "a\nb"}}).ErrorCodes());
  EXPECT_EQ(std::vector<int>{1812}, Metadata("prd-00012343", "A", {{"ParentRevision", "\x7f"}}).ErrorCodes());
  MetadataReply unknown = Metadata("prd-00012399", "A");
  EXPECT_TRUE(unknown.groups.empty());
  EXPECT_EQ(0, unknown.locations);
}

TEST(GatewayMetadataStore, GroupsFollowTheirFirstAttributeAndStoredTextStaysXmlSafe) {
  zelgw::Store store(":memory:");
  ASSERT_TRUE(zelgw::UserRepository(store).Add({"ana", "Engineering", "Designer"}, "s3cret"));
  {
    zelgw::Store::Lease connection = store.Acquire();
    // A group placed before "General", an attribute interleaved with it, and text a reply must escape.
    connection
        ->Prepare(
            "INSERT INTO revision_attributes (revision_id, group_name, name, label, value, position) "
            "SELECT r.id, 'Zeta <&>', 'odd', 'Odd \"label\"', 'a&b<c>\x01', 0 FROM revisions r "
            "JOIN items i ON i.id = r.item_id WHERE i.item_id = 'prd-00012343' AND r.revision = 'A'")
        .Run();
    connection
        ->Prepare(
            "INSERT INTO revision_attributes (revision_id, group_name, name, label, value, position) "
            "SELECT r.id, 'Zeta <&>', 'late', '', 'x', 99 FROM revisions r "
            "JOIN items i ON i.id = r.item_id WHERE i.item_id = 'prd-00012343' AND r.revision = 'A'")
        .Run();
  }
  zelgw::Gateway gateway(store);
  Attributes request = {{"UserID", "ana"}, {"Password", Hex("s3cret")}, {"Group", ""},
                        {"Role", ""},      {"LoginLocale", "en"},       {"PartNumber", "prd-00012343"},
                        {"Revision", "A"}, {"LoginLocale", "en"}};
  MetadataReply reply =
      ReadMetadata(gateway.HandleRequestBody(RequestBody("GetMetadata", "1_1", request)).body);
  ASSERT_TRUE(reply.read.parsed);
  ASSERT_TRUE(reply.read.errors.empty());
  ASSERT_EQ((std::vector<std::string>{"Zeta <&>", "General", "Part"}), reply.GroupNames());
  ASSERT_EQ(2u, reply.groups[0].lines.size());
  EXPECT_EQ((Line{"odd", "Odd \"label\"", "a&b<c>\xEF\xBF\xBD"}), reply.groups[0].lines[0]);
  // An empty display name is sent as it is; the client falls back to the attribute's name.
  EXPECT_EQ((Line{"late", "", "x"}), reply.groups[0].lines[1]);
}
