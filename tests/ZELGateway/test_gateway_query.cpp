// The PDM query: the settings the query dialog is built from, and "QueryItemRevision" read back the way the
// client's result reader walks it; wildcards, case, characters that mean something to the store's matcher,
// every refusal and bound, and the cut of a large result.
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

std::string Join(const std::vector<std::string>& values) {
  std::string joined;
  for (std::size_t i = 0; i < values.size(); ++i) joined += (i ? "@EOL@" : "") + values[i];
  return joined;
}

struct Hit {
  std::string name, type, obid;
  std::vector<std::pair<std::string, std::string>> attributes;
};

// The reply as the client's reader takes it: every "TCO" of every "QueryResult", every "DN" of every
// "DisplayNodes", a node's text being its first child when that is text.
struct QueryReply {
  ReadReply read;
  std::vector<Hit> hits;
  std::vector<std::pair<std::string, std::string>> display;

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const Hit& hit : hits) names.push_back(hit.name);
    return names;
  }
  std::vector<int> ErrorCodes() const {
    std::vector<int> codes;
    for (const CodedText& error : read.errors) codes.push_back(error.code);
    return codes;
  }
};

std::string FirstText(pugi::xml_node node) {
  pugi::xml_node first = node.first_child();
  return first.type() == pugi::node_pcdata ? first.value() : "";
}

QueryReply ReadQuery(const std::string& body) {
  QueryReply reply;
  reply.read = ParseReply(body);
  pugi::xml_document document;
  if (!document.load_string(body.c_str())) return reply;
  for (pugi::xml_node part : document.child("ZEL").child("Response").children()) {
    if (std::string(part.name()) == "QueryResult") {
      for (pugi::xml_node tco : part.children("TCO")) {
        Hit hit{tco.attribute("n").value(), tco.attribute("t").value(), tco.attribute("o").value(), {}};
        for (pugi::xml_node tca : tco.children("TCA"))
          hit.attributes.emplace_back(tca.attribute("n").value(), FirstText(tca));
        reply.hits.push_back(hit);
      }
    } else if (std::string(part.name()) == "DisplayNodes") {
      for (pugi::xml_node dn : part.children("DN"))
        reply.display.emplace_back(dn.attribute("n").value(), FirstText(dn));
    }
  }
  return reply;
}

class GatewayQuery : public ::testing::Test {
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

  static Attributes Credentials(const std::string& password = "s3cret", const std::string& group = "") {
    return {{"UserID", "ana"},
            {"Password", Hex(password)},
            {"Group", group},
            {"Role", ""},
            {"LoginLocale", "en"}};
  }

  static QueryReply Query(const std::string& type, const std::vector<std::string>& names,
                          const std::vector<std::string>& values, Attributes credentials = Credentials()) {
    credentials.push_back({"ObjectType", type});
    credentials.push_back({"AttributeNames", Join(names)});
    credentials.push_back({"AttributeValues", Join(values)});
    return ReadQuery(gateway_->HandleRequestBody(RequestBody("QueryItemRevision", "9_2", credentials)).body);
  }

  static zelgw::Store* store_;
  static zelgw::Gateway* gateway_;
};

zelgw::Store* GatewayQuery::store_ = nullptr;
zelgw::Gateway* GatewayQuery::gateway_ = nullptr;

}  // namespace

TEST_F(GatewayQuery, SettingsOfferEveryTypeAndEachAttributeOnceWithoutCredentials) {
  ReadReply reply = ParseReply(gateway_->HandleRequestBody(RequestBody("GetQueryItemSettings", "9_1")).body);
  ASSERT_TRUE(reply.hasResponse);
  EXPECT_TRUE(reply.errors.empty());
  ASSERT_EQ(3u, reply.attributes.size());
  auto values = [&reply](std::size_t i) {
    std::vector<std::string> all;
    for (const zelgw::ListItem& item : reply.items[i]) all.push_back(item.value);
    return all;
  };
  EXPECT_EQ("ItemTypeList", reply.attributes[0].first);
  EXPECT_EQ((std::vector<std::string>{"Item", "Part", "Document"}), values(0));
  EXPECT_EQ("ItemAttributeNameList", reply.attributes[1].first);
  EXPECT_EQ((std::vector<std::string>{"item_id", "object_name", "object_desc", "owning_user", "material",
                                      "document_type"}),
            values(1));
  EXPECT_EQ("ItemAttributeDisplayList", reply.attributes[2].first);
  EXPECT_EQ(
      (std::vector<std::string>{"Item ID", "Name", "Description", "Owner", "Material", "Document Type"}),
      values(2));
}

TEST_F(GatewayQuery, QueryNeedsTheCredentialsLoginAccepts) {
  EXPECT_EQ(std::vector<int>{1501}, Query("Part", {}, {}, {}).ErrorCodes());
  EXPECT_EQ(std::vector<int>{1501}, Query("Part", {}, {}, Credentials("wrong")).ErrorCodes());
  Attributes oddDigits = Credentials();
  oddDigits[1].second += "7";
  EXPECT_EQ(std::vector<int>{1501}, Query("Part", {}, {}, oddDigits).ErrorCodes());
  EXPECT_EQ(std::vector<int>{1502}, Query("Part", {}, {}, Credentials("s3cret", "Sales")).ErrorCodes());
  QueryReply refused = Query("Part", {}, {}, Credentials("wrong"));
  EXPECT_TRUE(refused.hits.empty());
  EXPECT_TRUE(Query("Document", {}, {}, Credentials("s3cret", "Engineering")).ErrorCodes().empty());
}

TEST_F(GatewayQuery, ReplyIsTheResultTreeTheClientReads) {
  QueryReply reply = Query("Document", {"item_id", "object_name"}, {"ZEL-000200", ""});
  ASSERT_TRUE(reply.read.errors.empty());
  ASSERT_EQ(1u, reply.hits.size());
  const Hit& hit = reply.hits[0];
  EXPECT_EQ("ZEL-000200/A-Assembly instructions", hit.name);
  EXPECT_EQ("Document", hit.type);
  EXPECT_FALSE(hit.obid.empty());
  EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{
                {"item_id", "ZEL-000200"},
                {"item_revision_id", "A"},
                {"object_name", "Assembly instructions"},
                {"object_desc", "Assembly instructions of the city bicycle"},
                {"owning_user", "demo"},
                {"release_status", "Released"},
                {"document_type", "Instruction"}}),
            hit.attributes);
  // The columns the result list titles, and every attribute shown, have a display name.
  ASSERT_GE(reply.display.size(), 2u + hit.attributes.size());
  EXPECT_EQ((std::pair<std::string, std::string>{"object_string", "Object"}), reply.display[0]);
  EXPECT_EQ((std::pair<std::string, std::string>{"object_type", "Type"}), reply.display[1]);
  EXPECT_EQ((std::pair<std::string, std::string>{"object_desc", "Description"}), reply.display[5]);

  // The identifier is what the send dialog passes back, so it must name that very revision.
  QueryReply both = Query("Part", {"item_id"}, {"ZEL-000100"});
  ASSERT_EQ((std::vector<std::string>{"ZEL-000100/A-Bicycle", "ZEL-000100/B-Bicycle"}), both.Names());
  EXPECT_NE(both.hits[0].obid, both.hits[1].obid);
}

TEST_F(GatewayQuery, WildcardMatchesAnywhereAndCaseCounts) {
  EXPECT_EQ(
      (std::vector<std::string>{"ZEL-000120/A-Wheel", "ZEL-000120/B-Wheel",
                                "prd-00012341/A-Front Wheel Assembly", "prd-00012342/A-Rear Wheel Assembly"}),
      Query("Part", {"object_name"}, {"*Wheel*"}).Names());
  EXPECT_TRUE(Query("Part", {"object_name"}, {"*wheel*"}).hits.empty());
  EXPECT_EQ((std::vector<std::string>{"ZEL-000121/A-Rim", "prd-00012343/A-Rim 622x19"}),
            Query("Part", {"object_name"}, {"Rim*"}).Names());
  // Without a wildcard the whole value must match.
  EXPECT_EQ((std::vector<std::string>{"ZEL-000121/A-Rim"}), Query("Part", {"object_name"}, {"Rim"}).Names());
  // Runs of wildcards, and conditions that all have to hold.
  EXPECT_EQ((std::vector<std::string>{"prd-00012343/A-Rim 622x19", "prd-00012347/A-Frame 56 cm"}),
            Query("Part", {"material", "owning_user"}, {"**Alu***", "jsmith"}).Names());
  // No type searches all of them; empty values are no condition.
  EXPECT_EQ((std::vector<std::string>{"ZEL-000300/A-Bicycle family"}),
            Query("", {"object_name", "material"}, {"*family", ""}).Names());
  // One name with its empty value comes as an empty list of values.
  EXPECT_EQ(1u, Query("Document", {"object_name"}, {}).hits.size());
}

TEST_F(GatewayQuery, CharactersTheMatcherKnowsStandForThemselves) {
  {
    zelgw::Store::Lease connection = store_->Acquire();
    connection
        ->Prepare(
            "INSERT INTO items (item_id, item_type_id, name, created) SELECT 'ZEL-Q1', id, "
            "'Bolt [M5]?_%', '2024-01-01T00:00:00Z' FROM item_types WHERE name = 'Item'")
        .Run();
    connection
        ->Prepare(
            "INSERT INTO revisions (item_id, revision, obid, status, created, modified) SELECT id, 'A', "
            "'q1a', 'In Work', '2024-01-01T00:00:00Z', '2024-01-01T00:00:00Z' FROM items WHERE item_id = "
            "'ZEL-Q1'")
        .Run();
    connection
        ->Prepare(
            "INSERT INTO revision_attributes (revision_id, group_name, name, label, value, position) "
            "SELECT id, 'General', 'object_name', 'Name', 'Bolt [M5]?_%', 1 FROM revisions WHERE obid = "
            "'q1a'")
        .Run();
  }
  EXPECT_EQ(1u, Query("Item", {"object_name"}, {"Bolt [M5]?_%"}).hits.size());
  EXPECT_EQ(1u, Query("Item", {"object_name"}, {"*[M5]*"}).hits.size());
  EXPECT_TRUE(Query("Item", {"object_name"}, {"Bolt [M6]?_%"}).hits.empty());
  // '?', '_' and '%' are not wildcards to a PDM user.
  EXPECT_TRUE(Query("Item", {"object_name"}, {"Bolt ?M5]?_%"}).hits.empty());
  EXPECT_TRUE(Query("Part", {"object_name"}, {"R_m"}).hits.empty());
  EXPECT_TRUE(Query("Part", {"object_name"}, {"R%"}).hits.empty());
  EXPECT_TRUE(Query("Part", {"object_name"}, {"Ri?"}).hits.empty());
  EXPECT_TRUE(Query("Part", {"object_name"}, {"[R]im"}).hits.empty());
}

TEST_F(GatewayQuery, RefusesWhatCannotBeQueried) {
  EXPECT_EQ(std::vector<int>{1504}, Query("Bolt", {}, {}).ErrorCodes());
  EXPECT_EQ(std::vector<int>{1504}, Query(std::string(300, 'P'), {}, {}).ErrorCodes());
  EXPECT_EQ(std::vector<int>{1505}, Query("Part", {"object_name", "material"}, {"a", "b", "c"}).ErrorCodes());
  // An attribute of another type, or of none, with a value; left empty it is no condition at all.
  EXPECT_EQ(std::vector<int>{1507}, Query("Document", {"material"}, {"Steel"}).ErrorCodes());
  EXPECT_EQ(std::vector<int>{1507}, Query("Part", {"password_hash"}, {"*"}).ErrorCodes());
  EXPECT_TRUE(Query("Document", {"material", "object_name"}, {"", "*"}).ErrorCodes().empty());
  EXPECT_EQ(std::vector<int>{1508}, Query("Part", {"object_name"}, {std::string(257, 'R')}).ErrorCodes());
  EXPECT_TRUE(Query("Part", {"object_name"}, {std::string(256, 'R')}).ErrorCodes().empty());
  QueryReply refused = Query("Part", {"object_name"}, {"a"}, {});
  EXPECT_TRUE(refused.hits.empty());
}

TEST_F(GatewayQuery, BoundsTheConditionsAndTheWildcards) {
  std::vector<std::string> names(33, "object_name"), values(33, "*");
  EXPECT_EQ(std::vector<int>{1506}, Query("Part", names, values).ErrorCodes());
  names.pop_back();
  values.pop_back();
  QueryReply most = Query("Part", names, values);
  EXPECT_TRUE(most.read.errors.empty());
  EXPECT_EQ(16u, most.hits.size());  // every revision of every part
  EXPECT_EQ(std::vector<int>{1509}, Query("Part", {"object_name"}, {"*a*b*c*d*e*f*g*h*i"}).ErrorCodes());
  // The most wildcards allowed, against the longest value, over every condition: answered, and no match.
  std::string worst;
  for (int i = 0; i < 8; ++i) worst += "*a";
  worst += "b";
  EXPECT_TRUE(Query("", std::vector<std::string>(32, "object_desc"), std::vector<std::string>(32, worst))
                  .hits.empty());
}

TEST_F(GatewayQuery, LargeResultIsCutAndSaysSo) {
  zelgw::Store store(":memory:");
  ASSERT_TRUE(zelgw::UserRepository(store).Add({"ana", "Engineering", "Designer"}, "s3cret"));
  {
    zelgw::Store::Lease connection = store.Acquire();
    zelgw::Transaction transaction(*connection);
    for (int i = 0; i < 500; ++i) {
      char itemId[16];
      std::snprintf(itemId, sizeof itemId, "BULK-%04d", i);
      connection
          ->Prepare(
              "INSERT INTO items (item_id, item_type_id, name, created) SELECT ?1, id, 'Bulk', "
              "'2024-01-01T00:00:00Z' FROM item_types WHERE name = 'Document'")
          .BindAll(itemId)
          .Run();
      connection
          ->Prepare(
              "INSERT INTO revisions (item_id, revision, obid, status, created, modified) SELECT id, 'A', "
              "?1, 'In Work', '2024-01-01T00:00:00Z', '2024-01-01T00:00:00Z' FROM items WHERE item_id = ?1")
          .BindAll(itemId)
          .Run();
      connection
          ->Prepare(
              "INSERT INTO revision_attributes (revision_id, group_name, name, label, value, position) "
              "SELECT id, 'General', 'object_name', 'Name', 'Bulk', 1 FROM revisions WHERE obid = ?1")
          .BindAll(itemId)
          .Run();
    }
    transaction.Commit();
  }
  zelgw::Gateway gateway(store);
  Attributes request = Credentials();
  request.push_back({"ObjectType", "Document"});
  QueryReply all =
      ReadQuery(gateway.HandleRequestBody(RequestBody("QueryItemRevision", "9_3", request)).body);
  EXPECT_TRUE(all.read.errors.empty());
  // The demo's own document and the 500 added ones: one too many.
  ASSERT_EQ(500u, all.hits.size());
  EXPECT_EQ("BULK-0000/A-Bulk", all.hits.front().name);
  ASSERT_EQ(1u, all.read.messages.size());
  EXPECT_EQ(1510, all.read.messages[0].code);
  EXPECT_NE(std::string::npos, all.read.messages[0].text.find("500"));

  // Exactly as many as fit: nothing was cut, so nothing is said.
  request.push_back({"AttributeNames", "object_name"});
  request.push_back({"AttributeValues", "Bulk"});
  QueryReply fits =
      ReadQuery(gateway.HandleRequestBody(RequestBody("QueryItemRevision", "9_4", request)).body);
  EXPECT_TRUE(fits.read.errors.empty());
  EXPECT_EQ(500u, fits.hits.size());
  EXPECT_TRUE(fits.read.messages.empty());
}
