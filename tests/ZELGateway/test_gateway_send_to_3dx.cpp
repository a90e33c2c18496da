// Sending a PDM revision to 3DEXPERIENCE: the options the send dialog is built from, every refusal of a send,
// the structure resolved per revision rule and depth with its bounds, the process recorded, and the client's
// PLM database written (created, updated without duplicates, children removed, look-alike files refused, all
// or nothing).
#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <string>
#include <vector>

#include "GatewayTestUtil.h"
#include "zelgw/Gateway.h"
#include "zelgw/ObjectId.h"
#include "zelgw/Password.h"
#include "zelgw/PlmDatabase.h"
#include "zelgw/ProcessRepository.h"
#include "zelgw/SettingRepository.h"
#include "zelgw/Sql.h"
#include "zelgw/Store.h"
#include "zelgw/TransferRepository.h"

using namespace gwtest;

namespace {

std::vector<int> Codes(const std::vector<CodedText>& entries) {
  std::vector<int> codes;
  for (const CodedText& entry : entries) codes.push_back(entry.code);
  return codes;
}

// The password travels as the hexadecimal of its bytes: "733363726574" is "s3cret".
Attributes Credentials(const std::string& user = "ana", const std::string& passwordHex = "733363726574") {
  return {{"UserID", user}, {"Password", passwordHex}, {"Group", ""}, {"Role", ""}, {"LoginLocale", "en"}};
}

// What the send dialog sends by default: all levels, remove existing on, everything else off.
Attributes SendAttributes(const std::string& obid) {
  return {{"RevisionObid", obid},
          {"ExpandLevel", "-1"},
          {"Force", "FALSE"},
          {"TRANSFER_SUBSTRUCTURES_PARALLEL", "false"},
          {"RemoveExistingNotProvided", "TRUE"},
          {"TransferLoc", "FALSE"},
          {"TransferStructureFilterOnly", "FALSE"},
          {"RevisionRule", ""},
          {"Variant", ""},
          {"StructureFilter", ""},
          {"SEND_CONFIGURATION", "false"}};
}

void Set(Attributes& attributes, const std::string& name, const std::string& value) {
  for (auto& [key, current] : attributes) {
    if (key == name) current = value;
  }
}

// "ITEM/REV instance" per occurrence, indented by depth.
std::vector<std::string> Outline(const zelgw::TransferStructure& structure) {
  std::vector<std::string> lines;
  for (const zelgw::TransferNode& node : structure.nodes) {
    lines.push_back(std::string(node.depth * 2, ' ') + node.revision.Label() +
                    (node.instanceName.empty() ? "" : " " + node.instanceName));
  }
  return lines;
}

// A private store with the demo data and the two users the tests log in as.
class StoreWithUsers {
 public:
  StoreWithUsers() : store(":memory:"), gateway(store) {
    // Hashed once for every store of the program: each hash costs a noticeable fraction of a second.
    static const std::string hash = zelgw::HashPassword("s3cret");
    zelgw::Store::Lease connection = store.Acquire();
    connection
        ->Prepare(
            "INSERT INTO users (name, password_hash, group_name, role) VALUES ('ana', ?1, 'Engineering', "
            "'Designer'), ('vic', ?1, 'Engineering', 'Viewer')")
        .BindAll(hash)
        .Run();
  }

  ReadReply Call(const std::string& function, Attributes attributes, Attributes credentials = Credentials()) {
    credentials.insert(credentials.end(), attributes.begin(), attributes.end());
    lastBody = gateway.HandleRequestBody(RequestBody(function, "7_1", credentials)).body;
    return ParseReply(lastBody);
  }
  ReadReply Send(const Attributes& attributes, Attributes credentials = Credentials()) {
    return Call("SendItemRevisionToV6", attributes, credentials);
  }
  void Sql(const char* sql) {
    zelgw::Store::Lease connection = store.Acquire();
    connection->Execute(sql);
  }

  zelgw::Store store;
  zelgw::Gateway gateway;
  std::string lastBody;
};

class GatewaySendTo3DX : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { shared_ = new StoreWithUsers; }
  static void TearDownTestSuite() { delete shared_; }
  static StoreWithUsers* shared_;
};

StoreWithUsers* GatewaySendTo3DX::shared_ = nullptr;

const std::string kBicycleA = zelgw::MakeObjectId("ZEL-000100", "A");
const std::string kBicycleB = zelgw::MakeObjectId("ZEL-000100", "B");
const std::string kDemoBicycle = zelgw::MakeObjectId("prd-00012340", "A");

}  // namespace

TEST_F(GatewaySendTo3DX, OptionsFlagTheDefaultRuleCarryTheSwitchOnceAndNeedAKnownRevision) {
  StoreWithUsers& s = *shared_;
  ReadReply reply = s.Call("GetSendTo3DXOptions", {{"RevisionObid", kBicycleA}});
  ASSERT_TRUE(reply.errors.empty());
  // The child form, with an empty value, is the one that carries the default flags.
  EXPECT_EQ((Attributes{{"RevisionRule", ""}, {"Variant", ""}}), reply.attributes);
  EXPECT_EQ((std::vector<zelgw::ListItem>{
                {"Latest Working", true}, {"Latest Released", false}, {"Precise Only", false}}),
            reply.items[0]);
  EXPECT_EQ((std::vector<zelgw::ListItem>{{"Standard", false}, {"Sport", false}}), reply.items[1]);
  pugi::xml_document document;
  ASSERT_TRUE(document.load_string(s.lastBody.c_str()));
  pugi::xpath_node_set switches = document.select_nodes("//ShowPdmSendConfigurationEnabled");
  ASSERT_EQ(1u, switches.size());
  EXPECT_STREQ("true", switches[0].node().attribute("value").value());

  EXPECT_EQ(
      std::vector<int>{1601},
      Codes(s.Call("GetSendTo3DXOptions", {{"RevisionObid", kBicycleA}}, Credentials("ana", "78")).errors));
  EXPECT_EQ(std::vector<int>{1604}, Codes(s.Call("GetSendTo3DXOptions", {{"RevisionObid", "  "}}).errors));
  ReadReply unknown = s.Call("GetSendTo3DXOptions", {{"RevisionObid", "R0000\x7f"}});
  ASSERT_EQ(std::vector<int>{1605}, Codes(unknown.errors));
  EXPECT_TRUE(unknown.attributes.empty());
}

TEST(GatewaySendTo3DXSettings, RulesTheGatewayCannotExpandByAreNotOffered) {
  StoreWithUsers s;
  zelgw::SettingRepository settings(s.store);
  settings.Put("GetSendTo3DXOptions", "RevisionRules", "Precise Only@EOL@As Planned@EOL@@EOL@Precise Only");
  settings.Put("GetSendTo3DXOptions", "DefaultRevisionRule", "As Planned");
  settings.Put("GetSendTo3DXOptions", "ShowPdmSendConfigurationEnabled", "TRUE");
  settings.Put("GetSendTo3DXOptions", "Variants", "");
  ReadReply reply = s.Call("GetSendTo3DXOptions", {{"RevisionObid", kBicycleA}});
  ASSERT_TRUE(reply.errors.empty());
  EXPECT_EQ((std::vector<zelgw::ListItem>{{"Precise Only", false}}), reply.items[0]);
  EXPECT_TRUE(reply.items[1].empty());
  EXPECT_NE(std::string::npos, s.lastBody.find("<ShowPdmSendConfigurationEnabled value=\"true\"/>"));
  // A send naming the rule that is no longer offered is refused.
  Attributes send = SendAttributes(kBicycleA);
  Set(send, "RevisionRule", "As Planned");
  EXPECT_EQ(std::vector<int>{1709}, Codes(s.Send(send).errors));
}

TEST_F(GatewaySendTo3DX, SendRefusesEveryFaultAtOnceAndRecordsNothing) {
  StoreWithUsers& s = *shared_;
  std::size_t before = zelgw::ProcessRepository(s.store).ListForUser("ana").size();
  Attributes send = SendAttributes(kBicycleA);
  Set(send, "ExpandLevel", "-2");
  Set(send, "Force", "true");                            // upper case expected
  Set(send, "TRANSFER_SUBSTRUCTURES_PARALLEL", "TRUE");  // lower case expected
  Set(send, "RevisionRule", "Latest working");
  Set(send, "Variant", "Racing");
  Set(send, "StructureFilter", "Wheels\tonly");
  ReadReply reply = s.Send(send);
  EXPECT_EQ((std::vector<int>{1707, 1708, 1708, 1709, 1710, 1711}), Codes(reply.errors));
  EXPECT_TRUE(reply.messages.empty());
  EXPECT_EQ(before, zelgw::ProcessRepository(s.store).ListForUser("ana").size());

  for (const char* level : {"+1", "2147483648"}) {
    Set(send = SendAttributes(kBicycleA), "ExpandLevel", level);
    EXPECT_EQ(std::vector<int>{1707}, Codes(s.Send(send).errors)) << "level \"" << level << "\"";
  }
  Set(send = SendAttributes(kBicycleA), "TransferStructureFilterOnly", "TRUE");
  Set(send, "StructureFilter", "   ");
  EXPECT_EQ(std::vector<int>{1712}, Codes(s.Send(send).errors));
  Set(send, "StructureFilter", std::string(257, 'n'));
  EXPECT_EQ((std::vector<int>{1711}), Codes(s.Send(send).errors));
  EXPECT_EQ(std::vector<int>{1705}, Codes(s.Send(SendAttributes("")).errors));
  EXPECT_EQ(std::vector<int>{1706}, Codes(s.Send(SendAttributes("Rnothing")).errors));

  EXPECT_EQ(std::vector<int>{1701},
            Codes(s.Send(SendAttributes(kBicycleA), Credentials("ana", "6e6f")).errors));
  EXPECT_EQ(std::vector<int>{1704}, Codes(s.Send(SendAttributes(kBicycleA), Credentials("vic")).errors));
  EXPECT_EQ(before, zelgw::ProcessRepository(s.store).ListForUser("ana").size());
  EXPECT_TRUE(zelgw::ProcessRepository(s.store).ListForUser("vic").empty());
}

TEST_F(GatewaySendTo3DX, AcceptedSendIsRecordedAsAProcessAndReported) {
  StoreWithUsers& s = *shared_;
  Attributes send = SendAttributes(kBicycleA);
  Set(send, "Force", "TRUE");
  Set(send, "SEND_CONFIGURATION", "true");
  Set(send, "Variant", "Sport");
  ReadReply reply = s.Send(send);
  ASSERT_TRUE(reply.errors.empty()) << s.lastBody;
  ASSERT_EQ(1u, reply.attributes.size());
  EXPECT_EQ("ProcessId", reply.attributes[0].first);
  ASSERT_EQ(std::vector<int>{1781}, Codes(reply.messages));
  EXPECT_NE(std::string::npos, reply.messages[0].text.find("6 objects, 6 instances"))
      << reply.messages[0].text;

  std::vector<zelgw::ProcessRecord> processes = zelgw::ProcessRepository(s.store).ListForUser("ana");
  ASSERT_FALSE(processes.empty());
  const zelgw::ProcessRecord& process = processes.front();
  EXPECT_EQ(reply.attributes[0].second, std::to_string(process.id));
  EXPECT_EQ("Transfer to 3DEXPERIENCE", process.activity);
  EXPECT_EQ("ZEL-000100/A", process.object);
  EXPECT_EQ("Finished", process.status);
  EXPECT_EQ(process.start, process.end.value_or(""));
  EXPECT_EQ(
      "Bicycle A (Part), all levels, 6 objects, 6 instances, variant Sport, force, remove existing children, "
      "with configuration",
      process.description);
}

TEST_F(GatewaySendTo3DX, StructureFollowsTheRuleAndTheDepth) {
  StoreWithUsers& s = *shared_;
  zelgw::TransferRepository transfers(s.store);
  zelgw::RevisionInfo bicycleA = *transfers.FindRevision(kBicycleA);
  zelgw::RevisionInfo bicycleB = *transfers.FindRevision(kBicycleB);
  using zelgw::RevisionRule;
  // The newest revision of the wheel, whatever the line says.
  zelgw::TransferStructure working = transfers.Resolve(bicycleA, 1, RevisionRule::kLatestWorking);
  EXPECT_EQ((std::vector<std::string>{"ZEL-000100/A", "  ZEL-000110/A Frame.1", "  ZEL-000120/B Wheel.1",
                                      "  ZEL-000120/B Wheel.2", "  ZEL-000130/A Handlebar.1"}),
            Outline(working));
  EXPECT_TRUE(working.nodes[0].expanded);
  EXPECT_FALSE(working.nodes[1].expanded);
  // Bicycle B's lines name wheel B, which is in work: the released wheel A goes instead.
  EXPECT_EQ((std::vector<std::string>{"ZEL-000100/B", "  ZEL-000110/A Frame.1", "  ZEL-000120/A Wheel.1",
                                      "  ZEL-000120/A Wheel.2", "  ZEL-000130/A Handlebar.1"}),
            Outline(transfers.Resolve(bicycleB, 1, RevisionRule::kLatestReleased)));
  EXPECT_EQ(std::vector<std::string>{"ZEL-000100/A"},
            Outline(transfers.Resolve(bicycleA, 0, RevisionRule::kPrecise)));

  // No released revision of the demo bicycle's assemblies: the lines are skipped and the reply says so.
  Attributes send = SendAttributes(kDemoBicycle);
  Set(send, "RevisionRule", "Latest Released");
  ReadReply reply = s.Send(send, Credentials());
  ASSERT_TRUE(reply.errors.empty());
  ASSERT_EQ((std::vector<int>{1781, 1782}), Codes(reply.messages));
  EXPECT_NE(std::string::npos, reply.messages[0].text.find("1 object, 0 instances"));
  EXPECT_NE(std::string::npos,
            reply.messages[1].text.find("prd-00012341 (prd-00012341.1 in prd-00012340/A)"));
}

TEST(GatewaySendTo3DXBounds, CyclesAndOversizedStructuresAreRefusedNotCut) {
  StoreWithUsers s;
  // The rim contains the bicycle again: only a depth that stops above it gets through.
  s.Sql(
      "INSERT INTO structure_lines (parent_revision_id, child_revision_id, position, instance_name) "
      "SELECT r.id, b.id, 99, 'Loop.1' FROM revisions r JOIN items i ON i.id = r.item_id, revisions b "
      "JOIN items bi ON bi.id = b.item_id WHERE i.item_id = 'ZEL-000121' AND bi.item_id = 'ZEL-000100' "
      "AND b.revision = 'A'");
  ReadReply cycle = s.Send(SendAttributes(kBicycleA));
  ASSERT_EQ(std::vector<int>{1714}, Codes(cycle.errors));
  EXPECT_NE(std::string::npos, cycle.errors[0].text.find("ZEL-000100/A contains itself"));
  Attributes shallow = SendAttributes(kBicycleA);
  Set(shallow, "ExpandLevel", "2");
  EXPECT_TRUE(s.Send(shallow).errors.empty());

  // Ten lines to the next level, four levels down: ten thousand occurrences from 40 lines.
  s.Sql("DELETE FROM structure_lines WHERE instance_name = 'Loop.1'");
  s.Sql(
      "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 10), "
      "chain(parent, child) AS (VALUES ('ZEL-000100', 'ZEL-000110'), ('ZEL-000110', 'ZEL-000121'), "
      "('ZEL-000121', 'ZEL-000122'), ('ZEL-000122', 'ZEL-000130')) "
      "INSERT INTO structure_lines (parent_revision_id, child_revision_id, position, instance_name) "
      "SELECT p.id, c.id, 100 + k, 'Fan.' || k FROM chain, n "
      "JOIN items pi ON pi.item_id = chain.parent JOIN revisions p ON p.item_id = pi.id AND p.revision = 'A' "
      "JOIN items ci ON ci.item_id = chain.child JOIN revisions c ON c.item_id = ci.id AND c.revision = 'A'");
  std::size_t recorded = zelgw::ProcessRepository(s.store).ListForUser("ana").size();
  ReadReply large = s.Send(SendAttributes(kBicycleA));
  EXPECT_EQ(std::vector<int>{1713}, Codes(large.errors));
  EXPECT_TRUE(large.messages.empty());
  EXPECT_EQ(recorded, zelgw::ProcessRepository(s.store).ListForUser("ana").size());
}

namespace {

// The client's PLM database read back the way the client's tree shows it.
class PlmFile {
 public:
  explicit PlmFile(const std::string& path) : connection_(path) {}

  std::string Text(const std::string& sql) {
    zelgw::Statement& query = connection_.Prepare(sql);
    std::string value = query.Step() ? query.Text(0) : "";
    query.Reset();
    return value;
  }
  void Exec(const std::string& sql) { connection_.Execute(sql.c_str()); }
  std::string Counts() {
    return Text(
        "SELECT (SELECT count(*) FROM components) || '/' || (SELECT count(*) FROM attributes) || '/' || "
        "(SELECT count(*) FROM instances)");
  }
  std::string Component(const std::string& id, const std::string& revision) {
    return "(SELECT e.component FROM attributes e JOIN attributes r ON r.component = e.component AND "
           "r.name = 'majorrevision' AND r.value = '" +
           revision + "' WHERE e.name = 'PLM_ExternalID' AND e.value = '" + id + "')";
  }
  std::string Attribute(const std::string& id, const std::string& revision, const std::string& name) {
    return Text("SELECT value FROM attributes WHERE name = '" + name +
                "' AND component = " + Component(id, revision));
  }
  // "instance=child-id child-revision" per instance below the object, ';'-separated, oldest first.
  std::string Children(const std::string& id, const std::string& revision) {
    return Text(
        "SELECT group_concat(e.value || '=' || ce.value || ' ' || cr.value, ';') FROM (SELECT * FROM "
        "instances WHERE father = " +
        Component(id, revision) +
        " ORDER BY instance) i "
        "JOIN attributes e ON e.component = i.instance AND e.name = 'PLM_ExternalID' "
        "JOIN attributes ce ON ce.component = i.child AND ce.name = 'PLM_ExternalID' "
        "JOIN attributes cr ON cr.component = i.child AND cr.name = 'majorrevision'");
  }

 private:
  zelgw::Connection connection_;
};

struct PlmSetup {
  PlmSetup() : path(zeltest::SeededPlmDatabase(dir.Path()).string()) { s.store.SetPlmDatabasePath(path); }
  TempDir dir;
  std::string path;
  StoreWithUsers s;
};

}  // namespace

TEST(GatewaySendTo3DXPlm, NewProductIsCreatedWithItsTreeAndNotDuplicatedOnResend) {
  PlmSetup setup;
  PlmFile plm(setup.path);
  ReadReply reply = setup.s.Send(SendAttributes(kBicycleA));
  ASSERT_TRUE(reply.errors.empty()) << setup.s.lastBody;
  ASSERT_EQ((std::vector<int>{1781, 1783}), Codes(reply.messages));
  EXPECT_EQ("3DEXPERIENCE database: 6 objects created, 0 updated; 6 instances created, 0 updated, 0 removed.",
            reply.messages[1].text);
  EXPECT_EQ("Frame.1=ZEL-000110 A;Wheel.1=ZEL-000120 A;Wheel.2=ZEL-000120 A;Handlebar.1=ZEL-000130 A",
            plm.Children("ZEL-000100", "A"));
  EXPECT_EQ("Rim.1=ZEL-000121 A;Spoke.1=ZEL-000122 A", plm.Children("ZEL-000120", "A"));
  EXPECT_EQ("A.1", plm.Attribute("ZEL-000100", "A", "revision"));
  EXPECT_EQ("Bicycle", plm.Attribute("ZEL-000100", "A", "name"));
  EXPECT_EQ("demo", plm.Attribute("ZEL-000100", "A", "owner"));
  EXPECT_EQ("VPMReference|RELEASED|1",
            plm.Text("SELECT type || '|' || maturity || '|' || saved FROM components WHERE id = " +
                     plm.Component("ZEL-000100", "A")));

  // Released in 3DEXPERIENCE now: a resend leaves it alone unless forced, and never duplicates it.
  std::string counts = plm.Counts();
  ReadReply again = setup.s.Send(SendAttributes(kBicycleA));
  ASSERT_EQ((std::vector<int>{1781, 1783, 1784}), Codes(again.messages));
  EXPECT_NE(std::string::npos, again.messages[2].text.find("ZEL-000100 A, ZEL-000110 A"));
  EXPECT_EQ(counts, plm.Counts());
  setup.s.Sql("UPDATE items SET name = 'Bicycle 2' WHERE item_id = 'ZEL-000100'");
  Attributes forced = SendAttributes(kBicycleA);
  Set(forced, "Force", "TRUE");
  Set(forced, "RevisionRule", "Latest Working");
  ReadReply updated = setup.s.Send(forced);
  ASSERT_EQ((std::vector<int>{1781, 1783}), Codes(updated.messages));
  // Wheel B is new; the two wheel instances now use it and it gets its own rim and spoke instances.
  EXPECT_EQ("3DEXPERIENCE database: 1 object created, 5 updated; 2 instances created, 2 updated, 0 removed.",
            updated.messages[1].text);
  EXPECT_EQ("Bicycle 2", plm.Attribute("ZEL-000100", "A", "name"));
  EXPECT_EQ(
      "1",
      plm.Text("SELECT count(*) FROM attributes WHERE name = 'PLM_ExternalID' AND value = 'ZEL-000100'"));
  EXPECT_EQ("Frame.1=ZEL-000110 A;Wheel.1=ZEL-000120 B;Wheel.2=ZEL-000120 B;Handlebar.1=ZEL-000130 A",
            plm.Children("ZEL-000100", "A"));
}

TEST(GatewaySendTo3DXPlm, DemoBicycleIsUpdatedInPlaceAndMissingChildrenRemovedOnRequest) {
  PlmSetup setup;
  PlmFile plm(setup.path);
  std::string counts = plm.Counts();
  setup.s.Sql("UPDATE items SET name = 'Touring Bicycle' WHERE item_id = 'prd-00012340'");
  setup.s.Sql("DELETE FROM structure_lines WHERE instance_name = 'prd-00012347.1'");

  // The item alone: its instances are not the send's business, even with removal on.
  Attributes alone = SendAttributes(kDemoBicycle);
  Set(alone, "ExpandLevel", "0");
  ReadReply first = setup.s.Send(alone);
  ASSERT_EQ((std::vector<int>{1781, 1783}), Codes(first.messages)) << setup.s.lastBody;
  EXPECT_EQ("3DEXPERIENCE database: 0 objects created, 1 updated; 0 instances created, 0 updated, 0 removed.",
            first.messages[1].text);
  EXPECT_EQ("Touring Bicycle", plm.Attribute("prd-00012340", "A", "name"));
  EXPECT_EQ("A.2", plm.Attribute("prd-00012340", "A", "revision"));
  EXPECT_EQ(counts, plm.Counts());

  Attributes keep = SendAttributes(kDemoBicycle);
  Set(keep, "RemoveExistingNotProvided", "FALSE");
  setup.s.Send(keep);
  EXPECT_EQ(counts, plm.Counts());

  ReadReply removing = setup.s.Send(SendAttributes(kDemoBicycle));
  ASSERT_EQ((std::vector<int>{1781, 1783, 1784}), Codes(removing.messages));
  EXPECT_EQ("3DEXPERIENCE database: 0 objects created, 3 updated; 0 instances created, 0 updated, 1 removed.",
            removing.messages[1].text);
  EXPECT_NE(std::string::npos,
            removing.messages[2].text.find("prd-00012343 A, prd-00012346 A, prd-00012342 A"));
  // The frame's instance is gone, the frame itself stays; the unsaved bell and the shapes are untouched.
  EXPECT_EQ("prd-00012341.1=prd-00012341 A;prd-00012342.1=prd-00012342 A;prd-00012399.1=prd-00012399 A",
            plm.Children("prd-00012340", "A"));
  EXPECT_EQ("3ds-00012347.1=3ds-00012347 A;drw-00012347.1=drw-00012347 A", plm.Children("prd-00012347", "A"));
  EXPECT_EQ("Frame 56 cm", plm.Attribute("prd-00012347", "A", "name"));

  // Lines the rule skipped are still the PDM's: their instances stay.
  Attributes released = SendAttributes(kDemoBicycle);
  Set(released, "RevisionRule", "Latest Released");
  ReadReply skipping = setup.s.Send(released);
  ASSERT_EQ((std::vector<int>{1781, 1782, 1783}), Codes(skipping.messages));
  EXPECT_NE(std::string::npos, skipping.messages[2].text.find("0 removed"));
}

TEST(GatewaySendTo3DXPlm, FilesThatAreNoPlmDatabaseAreRefusedAndLeftAlone) {
  PlmSetup setup;
  const std::string gatewayStore = setup.dir.File("gateway.db");
  { zelgw::Store other(gatewayStore); }
  const std::string text = setup.dir.File("notes.db");
  ASSERT_TRUE(zeltest::WriteFile(text, "not a database at all, just some text of a user"));
  for (const std::string& path : {gatewayStore, text, setup.dir.File("missing.db")}) {
    std::string before = zeltest::ReadFile(path);
    setup.s.store.SetPlmDatabasePath(path);
    ReadReply reply = setup.s.Send(SendAttributes(kBicycleA));
    EXPECT_EQ(std::vector<int>{1715}, Codes(reply.errors)) << path;
    EXPECT_TRUE(reply.messages.empty());
    EXPECT_EQ(before, zeltest::ReadFile(path)) << path;
  }
  EXPECT_FALSE(std::filesystem::exists(setup.dir.File("missing.db")));
  // Each failed attempt is in the user's process list with its reason.
  std::vector<zelgw::ProcessRecord> processes = zelgw::ProcessRepository(setup.s.store).ListForUser("ana");
  ASSERT_EQ(3u, processes.size());
  EXPECT_EQ("Failed", processes[0].status);
  EXPECT_NE(std::string::npos, processes[0].errorMessage.find("missing.db"));

  PlmFile plm(setup.path);
  plm.Exec("UPDATE plm_info SET value = '2' WHERE key = 'schema'");
  try {
    zelgw::PlmDatabase database(setup.path);
    ADD_FAILURE() << "a database of another schema was accepted";
  } catch (const zelgw::PlmDatabaseError& error) {
    EXPECT_EQ(zelgw::PlmDatabaseError::Kind::kNotPlmDatabase, error.kind);
  }
}

TEST(GatewaySendTo3DXPlm, TransferIsAllOrNothingAndWaitsOnlySoLongForTheSession) {
  PlmSetup setup;
  PlmFile plm(setup.path);
  std::string counts = plm.Counts();
  // The last instance written fails: everything written before it must go too.
  plm.Exec(
      "CREATE TRIGGER refuse_handlebar BEFORE INSERT ON instances WHEN (SELECT value FROM attributes WHERE "
      "component = NEW.instance AND name = 'PLM_ExternalID') = 'Handlebar.1' BEGIN SELECT RAISE(ABORT, "
      "'refused'); END");
  ReadReply reply = setup.s.Send(SendAttributes(kBicycleA));
  EXPECT_EQ(std::vector<int>{1717}, Codes(reply.errors));
  EXPECT_EQ(counts, plm.Counts());
  EXPECT_EQ("", plm.Attribute("ZEL-000100", "A", "name"));
  plm.Exec("DROP TRIGGER refuse_handlebar");

  // The session holds the write lock: the transfer gives up after the time-out, having written nothing.
  plm.Exec("BEGIN IMMEDIATE");
  zelgw::PlmTransfer transfer;
  transfer.objects.push_back({"ZEL-000900", "A", "Lamp", "", "demo", false, false, {}});
  try {
    zelgw::PlmDatabase(setup.path, 50).Write(transfer);
    ADD_FAILURE() << "written while the session held the lock";
  } catch (const zelgw::PlmDatabaseError& error) {
    EXPECT_EQ(zelgw::PlmDatabaseError::Kind::kBusy, error.kind);
  }
  plm.Exec("ROLLBACK");
  EXPECT_EQ(1u, zelgw::PlmDatabase(setup.path, 50).Write(transfer).objectsCreated);
  EXPECT_EQ("Lamp", plm.Attribute("ZEL-000900", "A", "name"));

  // Only the filter travels: the database is not touched.
  counts = plm.Counts();
  Attributes filterOnly = SendAttributes(kBicycleA);
  Set(filterOnly, "TransferStructureFilterOnly", "TRUE");
  Set(filterOnly, "StructureFilter", "Wheels");
  ReadReply filter = setup.s.Send(filterOnly);
  ASSERT_EQ(std::vector<int>{1785}, Codes(filter.messages));
  EXPECT_EQ(counts, plm.Counts());
}

TEST(GatewaySendTo3DXProgram, StartRefusesAPlmDatabaseOptionThatNamesNoPlmDatabase) {
  TempDir dir;
  const std::string text = dir.File("notes.txt");
  ASSERT_TRUE(zeltest::WriteFile(text, "a user's notes, not a database"));
  zeltest::ProgramResult refused =
      zeltest::RunProgram({zeltest::RuntimeProgram("ZELGateway").string(), "--port", "0", "--store",
                           dir.File("pdm.db"), "--plm-database", text},
                          "", std::chrono::seconds(60));
  EXPECT_EQ(1, refused.exitCode);
  EXPECT_NE(std::string::npos, refused.err.find("is not a PLM database")) << refused.err;
  EXPECT_EQ("a user's notes, not a database", zeltest::ReadFile(text));
}
