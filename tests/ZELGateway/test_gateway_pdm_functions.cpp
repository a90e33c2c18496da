// The PDM functions beside the transfer: part numbers issued once under concurrency and across restarts,
// named structures of the client's demo product as its navigator names them (checked against the demo PLM
// database itself), structures too deep, too large or cyclic refused whole, and a user's processes.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <pugixml.hpp>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "GatewayTestUtil.h"
#include "zelgw/Gateway.h"
#include "zelgw/ProcessRepository.h"
#include "zelgw/SettingRepository.h"
#include "zelgw/Store.h"
#include "zelgw/StructureRepository.h"

using namespace gwtest;

namespace {

std::string Codes(const std::vector<CodedText>& errors) {
  std::string all;
  for (const CodedText& error : errors) all += std::to_string(error.code) + ": " + error.text + "\n";
  return all;
}

std::vector<int> CodesOf(const ReadReply& reply) {
  std::vector<int> codes;
  for (const CodedText& error : reply.errors) codes.push_back(error.code);
  return codes;
}

// A named structure as the client reads it: every "O" under the response's "ZELNamedStructure", one line
// each, "pn(in)" indented by two blanks per level.
std::string StructureText(const std::string& body) {
  pugi::xml_document document;
  if (!document.load_string(body.c_str())) return "unparsed";
  std::string text;
  std::vector<std::pair<pugi::xml_node, int>> stack;
  for (pugi::xml_node structure : document.child("ZEL").child("Response").children("ZELNamedStructure")) {
    stack.emplace_back(structure, -1);
  }
  while (!stack.empty()) {
    auto [node, depth] = stack.back();
    stack.pop_back();
    if (depth >= 0) {
      text += std::string(2 * depth, ' ') + node.attribute("pn").value() + "(" +
              node.attribute("in").value() + ")\n";
    }
    std::vector<pugi::xml_node> children;
    for (pugi::xml_node child : node.children("O")) children.push_back(child);
    for (auto child = children.rbegin(); child != children.rend(); ++child)
      stack.emplace_back(*child, depth + 1);
  }
  return text;
}

class GatewayPdmFunctions : public ::testing::Test {
 protected:
  zelgw::GatewayResult Call(const std::string& function, const Attributes& attributes) {
    return gateway_.HandleRequestBody(RequestBody(function, "9_" + std::to_string(++requests_), attributes));
  }

  void Sql(const std::string& sql) { store_.Acquire()->Execute(sql.c_str()); }

  // A part with one revision "A" in the store; returns the revision's row id.
  std::int64_t AddPart(const std::string& partNumber) {
    auto connection = store_.Acquire();
    connection
        ->Prepare(
            "INSERT INTO items (item_id, item_type_id, name, created) "
            "SELECT ?1, id, ?1, '2025-01-01T00:00:00Z' FROM item_types WHERE name = 'Part'")
        .BindAll(partNumber)
        .Run();
    connection
        ->Prepare(
            "INSERT INTO revisions (item_id, revision, obid, status, created, modified) "
            "VALUES (?1, 'A', ?2, 'In Work', '2025-01-01T00:00:00Z', '2025-01-01T00:00:00Z')")
        .BindAll(connection->LastInsertId(), "obid-" + partNumber)
        .Run();
    return connection->LastInsertId();
  }

  // A line of parent's structure that is a member of the named structure.
  void AddMember(std::int64_t structure, std::int64_t parent, std::int64_t child, const std::string& instance,
                 int position = 1) {
    auto connection = store_.Acquire();
    connection
        ->Prepare(
            "INSERT INTO structure_lines (parent_revision_id, child_revision_id, position, instance_name) "
            "VALUES (?1, ?2, ?3, ?4)")
        .BindAll(parent, child, position, instance)
        .Run();
    connection
        ->Prepare(
            "INSERT INTO named_structure_members (named_structure_id, structure_line_id) VALUES (?1, ?2)")
        .BindAll(structure, connection->LastInsertId())
        .Run();
  }

  std::int64_t AddStructure(const std::string& name, std::int64_t rootRevision) {
    auto connection = store_.Acquire();
    connection->Prepare("INSERT INTO named_structures (name, root_revision_id) VALUES (?1, ?2)")
        .BindAll(name, rootRevision)
        .Run();
    return connection->LastInsertId();
  }

  zelgw::Store store_{":memory:"};
  zelgw::Gateway gateway_{store_};
  int requests_ = 0;
};

// The demo PLM database's product tree below a root, the way the client's navigator walks it: part number
// of each reference and instance name of each instance, both their "PLM_ExternalID", representations left
// out. Unsaved instances are marked with a "*".
std::string PlmProductTree(const std::string& file, const std::string& rootPartNumber) {
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  auto rows = [db](const std::string& sql, const std::vector<std::string>& parameters) {
    std::vector<std::vector<std::string>> out;
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    for (std::size_t i = 0; i < parameters.size(); ++i) {
      sqlite3_bind_text(statement, static_cast<int>(i + 1), parameters[i].c_str(), -1, SQLITE_TRANSIENT);
    }
    while (sqlite3_step(statement) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int c = 0; c < sqlite3_column_count(statement); ++c) {
        const unsigned char* text = sqlite3_column_text(statement, c);
        row.push_back(text ? reinterpret_cast<const char*>(text) : "");
      }
      out.push_back(row);
    }
    sqlite3_finalize(statement);
    return out;
  };
  const std::string externalId =
      "(SELECT value FROM attributes a WHERE a.component = %s AND a.name = 'PLM_ExternalID')";
  auto idOf = [&](const std::string& column) {
    std::string sql = externalId;
    return sql.replace(sql.find("%s"), 2, column);
  };
  std::vector<std::vector<std::string>> root =
      rows("SELECT id FROM components c WHERE c.type = 'VPMReference' AND " + idOf("c.id") + " = ?1",
           {rootPartNumber});
  EXPECT_EQ(root.size(), 1u);
  std::string text;
  std::vector<std::tuple<std::string, std::string, std::string, int>> stack;  // id, pn, in, depth
  if (root.size() == 1) stack.emplace_back(root[0][0], rootPartNumber, rootPartNumber, 0);
  while (!stack.empty()) {
    auto [id, pn, in, depth] = stack.back();
    stack.pop_back();
    text += std::string(2 * depth, ' ') + pn + "(" + in + ")\n";
    auto children = rows("SELECT i.child, " + idOf("i.child") + ", " + idOf("i.instance") +
                             ", ic.saved FROM instances i JOIN components ic ON ic.id = i.instance "
                             "WHERE i.father = ?1 AND ic.type <> 'VPMRepInstance' ORDER BY i.instance DESC",
                         {id});
    for (const auto& child : children) {
      stack.emplace_back(child[0], child[1], child[2] + (child[3] == "1" ? "" : "*"), depth + 1);
    }
  }
  sqlite3_close(db);
  return text;
}

}  // namespace

TEST_F(GatewayPdmFunctions, PartNumbersComeFromTheConfiguredCounterAndUnfitRequestsTakeNone) {
  auto issue = [&](const Attributes& attributes) {
    zelgw::GatewayResult result = Call("GetPartnumber", attributes);
    EXPECT_EQ(result.httpStatus, 200);
    return ParseReply(result.body);
  };
  ReadReply first = issue({{"PartNumber", "prd-00012340"}});
  EXPECT_TRUE(first.errors.empty()) << Codes(first.errors);
  EXPECT_EQ(first.attributes, (Attributes{{"PartNumber", "ZEL-001000"}}));

  struct Case {
    Attributes attributes;
    int code;
    std::string text;
  };
  const std::vector<Case> refused = {
      {{}, 1101, "names no current part number"},
      {{{"PartNumber", "   "}}, 1101, "names no current part number"},
      {{{"PartNumber", std::string(257, 'p')}}, 1102, "longer than 256 bytes"},
      {{{"PartNumber", "prd-1\n<b>"}}, 1103, "\"prd-1?<b>\" holds line breaks"},
  };
  for (const Case& c : refused) {
    ReadReply reply = issue(c.attributes);
    SCOPED_TRACE(Codes(reply.errors));
    ASSERT_EQ(CodesOf(reply), std::vector<int>{c.code});
    EXPECT_NE(reply.errors[0].text.find(c.text), std::string::npos);
    EXPECT_TRUE(reply.attributes.empty());
  }
  // Exactly at the bound is fine; the refusals took no number.
  EXPECT_EQ(issue({{"PartNumber", std::string(256, 'p')}}).attributes,
            (Attributes{{"PartNumber", "ZEL-001001"}}));

  zelgw::SettingRepository settings(store_);
  settings.Put("GetPartnumber", "Prefix", "DOC-");
  EXPECT_EQ(issue({{"PartNumber", "x"}}).attributes, (Attributes{{"PartNumber", "DOC-000001"}}));
  settings.Put("GetPartnumber", "Prefix", "NEW-");
  ReadReply noCounter = issue({{"PartNumber", "x"}});
  EXPECT_EQ(CodesOf(noCounter), std::vector<int>{1104});
  EXPECT_NE(noCounter.errors[0].text.find("\"NEW-\""), std::string::npos);
  Sql("DELETE FROM settings WHERE function = 'GetPartnumber'");
  EXPECT_EQ(CodesOf(issue({{"PartNumber", "x"}})), std::vector<int>{1104});

  // A counter at the end of its width stops there instead of growing longer numbers or overflowing.
  settings.Put("GetPartnumber", "Prefix", "S-");
  Sql("INSERT INTO part_number_counters (prefix, next_value, width) VALUES ('S-', 98, 2)");
  EXPECT_EQ(issue({{"PartNumber", "x"}}).attributes, (Attributes{{"PartNumber", "S-98"}}));
  EXPECT_EQ(issue({{"PartNumber", "x"}}).attributes, (Attributes{{"PartNumber", "S-99"}}));
  for (int i = 0; i < 2; ++i) EXPECT_EQ(CodesOf(issue({{"PartNumber", "x"}})), std::vector<int>{1105});
  Sql("INSERT INTO part_number_counters (prefix, next_value, width) VALUES ('L-', 999999999999999999, 18)");
  settings.Put("GetPartnumber", "Prefix", "L-");
  EXPECT_EQ(issue({{"PartNumber", "x"}}).attributes, (Attributes{{"PartNumber", "L-999999999999999999"}}));
  EXPECT_EQ(CodesOf(issue({{"PartNumber", "x"}})), std::vector<int>{1105});
}

TEST(GatewayPartNumbers, ConcurrentClientsNeverShareANumberAndNumbersSurviveARestart) {
  TempDir dir;
  std::string file = dir.File("pdm.db");
  constexpr int kClients = 8, kEach = 100;
  std::vector<std::vector<std::string>> taken(kClients);
  {
    zelgw::Store store(file);
    zelgw::Gateway gateway(store);
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
      clients.emplace_back([&, c] {
        for (int i = 0; i < kEach; ++i) {
          std::string id = std::to_string(c) + "_" + std::to_string(i);
          ReadReply reply = ParseReply(
              gateway.HandleRequestBody(RequestBody("GetPartnumber", id, {{"PartNumber", "p"}})).body);
          taken[c].push_back(reply.attributes.size() == 1 ? reply.attributes[0].second : Codes(reply.errors));
        }
      });
    }
    for (std::thread& client : clients) client.join();
  }
  std::set<std::string> distinct;
  for (const auto& numbers : taken) distinct.insert(numbers.begin(), numbers.end());
  ASSERT_EQ(distinct.size(), static_cast<std::size_t>(kClients * kEach)) << *distinct.begin();
  EXPECT_EQ(*distinct.begin(), "ZEL-001000");
  EXPECT_EQ(*distinct.rbegin(), "ZEL-001799");

  // The gateway restarted on the same file goes on where it stopped.
  zelgw::Store reopened(file);
  EXPECT_FALSE(reopened.Created());
  zelgw::Gateway gateway(reopened);
  ReadReply next =
      ParseReply(gateway.HandleRequestBody(RequestBody("GetPartnumber", "1_0", {{"PartNumber", "p"}})).body);
  EXPECT_EQ(next.attributes, (Attributes{{"PartNumber", "ZEL-001800"}}));
}

TEST_F(GatewayPdmFunctions, StructureNamesAreListedPerRootPartOnceEachAndAsItems) {
  auto names = [&](const std::string& partNumber) {
    ReadReply reply = ParseReply(Call("GetStructureNames", {{"ContextPartNumber", partNumber}}).body);
    EXPECT_TRUE(reply.errors.empty()) << Codes(reply.errors);
    EXPECT_EQ(reply.attributes, (Attributes{{"VboNames", ""}}));
    std::vector<std::string> values;
    for (const zelgw::ListItem& item : reply.items.at(0)) values.push_back(item.value);
    return values;
  };
  EXPECT_EQ(names("prd-00012340"), (std::vector<std::string>{"Complete", "Wheels without front hub"}));
  // Over all revisions of the root.
  EXPECT_EQ(names("ZEL-000100"), (std::vector<std::string>{"Frame only", "Wheels", "Without handlebar"}));
  // A part without structures, or unknown: an empty list, which the client tells the user about itself.
  EXPECT_TRUE(names("prd-00012343").empty());
  EXPECT_TRUE(names("' OR '1'='1").empty());

  // A name holding the list separator stays one item; a name on two revisions is offered once.
  std::int64_t b = AddPart("P-1");
  AddStructure("left@EOL@right", b);
  Sql("INSERT INTO revisions (item_id, revision, obid, status, created, modified) SELECT item_id, 'B', "
      "'o-b', "
      "'In Work', '2025-02-01T00:00:00Z', '2025-02-01T00:00:00Z' FROM revisions WHERE id = " +
      std::to_string(b));
  AddStructure("left@EOL@right", b + 1);
  EXPECT_EQ(names("P-1"), std::vector<std::string>{"left@EOL@right"});

  struct Case {
    Attributes attributes;
    int code;
  };
  for (const Case& c : std::vector<Case>{{{}, 1201},
                                         {{{"ContextPartNumber", ""}}, 1201},
                                         {{{"ContextPartNumber", std::string(300, 'x')}}, 1202},
                                         {{{"ContextPartNumber", "a\tb"}}, 1203}}) {
    ReadReply reply = ParseReply(Call("GetStructureNames", c.attributes).body);
    EXPECT_EQ(CodesOf(reply), std::vector<int>{c.code}) << Codes(reply.errors);
    EXPECT_TRUE(reply.attributes.empty());
  }
}

TEST_F(GatewayPdmFunctions, NamedStructuresOfTheDemoProductNameItsNodesAsTheClientsNavigatorDoes) {
  TempDir dir;
  const std::string plm = PlmProductTree(zeltest::SeededPlmDatabase(dir.Path()).string(), "prd-00012340");
  // The demo PLM tree as the client's navigator has it; the bell was added in the session and is not saved.
  ASSERT_EQ(plm,
            "prd-00012340(prd-00012340)\n"
            "  prd-00012341(prd-00012341.1)\n"
            "    prd-00012343(prd-00012343.1)\n"
            "    prd-00012345(prd-00012345.1)\n"
            "    prd-00012346(prd-00012346.1)\n"
            "  prd-00012342(prd-00012342.1)\n"
            "    prd-00012343(prd-00012343.2)\n"
            "    prd-00012345(prd-00012345.2)\n"
            "    prd-00012346(prd-00012346.2)\n"
            "  prd-00012347(prd-00012347.1)\n"
            "  prd-00012399(prd-00012399.1*)\n");

  auto structure = [&](const std::string& name) {
    zelgw::GatewayResult result =
        Call("GetStructureForName", {{"ContextPartNumber", "prd-00012340"}, {"VboName", name}});
    EXPECT_EQ(result.errorCode, 0) << result.body;
    return StructureText(result.body);
  };
  // Everything the PDM has: the PLM tree without what was never saved.
  std::string saved = plm.substr(0, plm.find("  prd-00012399"));
  EXPECT_EQ(structure("Complete"), saved);
  // One level down, the front hub is left out; so is the frame at the top.
  EXPECT_EQ(structure("Wheels without front hub"),
            "prd-00012340(prd-00012340)\n"
            "  prd-00012341(prd-00012341.1)\n"
            "    prd-00012343(prd-00012343.1)\n"
            "    prd-00012345(prd-00012345.1)\n"
            "  prd-00012342(prd-00012342.1)\n"
            "    prd-00012343(prd-00012343.2)\n"
            "    prd-00012345(prd-00012345.2)\n"
            "    prd-00012346(prd-00012346.2)\n");

  // The gateway's own bicycle: a structure belongs to the revision it was made on, and a line shared by two
  // occurrences is in both.
  EXPECT_EQ(
      StructureText(
          Call("GetStructureForName", {{"ContextPartNumber", "ZEL-000100"}, {"VboName", "Wheels"}}).body),
      "ZEL-000100(ZEL-000100)\n"
      "  ZEL-000120(Wheel.1)\n"
      "    ZEL-000121(Rim.1)\n"
      "    ZEL-000122(Spoke.1)\n"
      "  ZEL-000120(Wheel.2)\n"
      "    ZEL-000121(Rim.1)\n"
      "    ZEL-000122(Spoke.1)\n");
  EXPECT_EQ(StructureText(Call("GetStructureForName",
                               {{"ContextPartNumber", "ZEL-000100"}, {"VboName", "Without handlebar"}})
                              .body),
            "ZEL-000100(ZEL-000100)\n"
            "  ZEL-000110(Frame.1)\n"
            "  ZEL-000120(Wheel.1)\n"
            "    ZEL-000121(Rim.1)\n"
            "    ZEL-000122(Spoke.1)\n"
            "  ZEL-000120(Wheel.2)\n"
            "    ZEL-000121(Rim.1)\n"
            "    ZEL-000122(Spoke.1)\n");
}

TEST_F(GatewayPdmFunctions, TheNewestRevisionHoldingANameAnswersAndUnfitRequestsAreRefused) {
  // Revision B of the gateway's bicycle gets a "Wheels" of its own; clients name the part only, so B's wins.
  Sql("INSERT INTO named_structures (name, root_revision_id) SELECT 'Wheels', r.id FROM revisions r "
      "JOIN items i ON i.id = r.item_id WHERE i.item_id = 'ZEL-000100' AND r.revision = 'B'");
  Sql("INSERT INTO named_structure_members SELECT n.id, l.id FROM named_structures n JOIN structure_lines l "
      "ON l.parent_revision_id = n.root_revision_id WHERE n.name = 'Wheels' AND l.instance_name = 'Frame.1'");
  EXPECT_EQ(
      StructureText(
          Call("GetStructureForName", {{"ContextPartNumber", "ZEL-000100"}, {"VboName", "Wheels"}}).body),
      "ZEL-000100(ZEL-000100)\n  ZEL-000110(Frame.1)\n");

  struct Case {
    Attributes attributes;
    std::vector<int> codes;
    std::string text;  // a piece of the first error
  };
  const std::vector<Case> cases = {
      {{{"ContextPartNumber", "prd-00012340"}, {"VboName", "wheels without front hub"}},
       {1205},
       "\"wheels without front hub\" of \"prd-00012340\" does not exist"},
      {{{"ContextPartNumber", "prd-00012341"}, {"VboName", "Complete"}}, {1205}, "does not exist"},
      {{{"ContextPartNumber", "prd-00012340"}}, {1204}, "names no structure name"},
      {{}, {1201, 1204}, "names no part number of the root"},
      {{{"ContextPartNumber", "prd\x7F"}, {"VboName", std::string(1 << 16, 'n')}}, {1203, 1202}, "\"prd?\""},
  };
  for (const Case& c : cases) {
    ReadReply reply = ParseReply(Call("GetStructureForName", c.attributes).body);
    SCOPED_TRACE(Codes(reply.errors));
    ASSERT_EQ(CodesOf(reply), c.codes);
    EXPECT_NE(reply.errors[0].text.find(c.text), std::string::npos);
    EXPECT_LT(reply.errors.back().text.size(), 200u);
  }
}

TEST_F(GatewayPdmFunctions, StructuresBeyondTheBoundsOrWithoutEndAreRefusedWholeNotCut) {
  auto fetch = [&](const std::string& root) {
    return Call("GetStructureForName", {{"ContextPartNumber", root}, {"VboName", "s"}});
  };
  // A chain exactly as deep as clients are sent, and one level deeper.
  std::int64_t deepRoot = AddPart("D-0");
  std::int64_t deep = AddStructure("s", deepRoot);
  std::int64_t parent = deepRoot;
  for (std::size_t level = 1; level <= zelgw::kMaxStructureDepth; ++level) {
    std::int64_t child = AddPart("D-" + std::to_string(level));
    AddMember(deep, parent, child, "d." + std::to_string(level));
    parent = child;
  }
  zelgw::GatewayResult fits = fetch("D-0");
  ASSERT_EQ(fits.errorCode, 0);
  EXPECT_TRUE(StructureText(fits.body).ends_with("\n" + std::string(2 * zelgw::kMaxStructureDepth, ' ') +
                                                 "D-100(d.100)\n"));
  AddMember(deep, parent, AddPart("D-101"), "d.101");
  zelgw::GatewayResult tooDeep = fetch("D-0");
  EXPECT_EQ(tooDeep.errorCode, 1206);
  EXPECT_EQ(tooDeep.body.find("ZELNamedStructure"), std::string::npos);

  // As many entries as clients are sent, and one more: the same child under many instance names.
  std::int64_t wideRoot = AddPart("W-0");
  std::int64_t wide = AddStructure("s", wideRoot);
  std::int64_t leaf = AddPart("W-1");
  Sql("BEGIN");
  for (std::size_t i = 1; i < zelgw::kMaxStructureNodes; ++i)
    AddMember(wide, wideRoot, leaf, "w." + std::to_string(i), static_cast<int>(i));
  Sql("COMMIT");
  zelgw::NamedStructureLookup full = zelgw::StructureRepository(store_).Find("W-0", "s");
  ASSERT_EQ(full.outcome, zelgw::NamedStructureLookup::Outcome::kFound);
  EXPECT_EQ(full.nodes.size(), zelgw::kMaxStructureNodes);
  EXPECT_EQ(full.nodes.back(), (zelgw::StructureNode{"W-1", "w.9999", 1}));
  EXPECT_EQ(fetch("W-0").errorCode, 0);
  AddMember(wide, wideRoot, leaf, "w.last", 100000);
  zelgw::GatewayResult tooWide = fetch("W-0");
  EXPECT_EQ(tooWide.errorCode, 1206);
  EXPECT_NE(ParseReply(tooWide.body).errors.at(0).text.find("more than 10000 entries or 100 levels"),
            std::string::npos);

  // A part that contains itself through another: refused, naming where the loop closes.
  std::int64_t x = AddPart("X"), y = AddPart("Y");
  std::int64_t loop = AddStructure("s", x);
  AddMember(loop, x, y, "y.1");
  AddMember(loop, y, x, "x.1");
  zelgw::GatewayResult cyclic = fetch("X");
  EXPECT_EQ(cyclic.errorCode, 1207);
  EXPECT_NE(ParseReply(cyclic.body).errors.at(0).text.find("\"X\" contains itself"), std::string::npos);
  // The same part twice in different branches is no loop.
  std::int64_t z = AddPart("Z");
  std::int64_t twice = AddStructure("s", z);
  AddMember(twice, z, y, "y.1", 1);
  AddMember(twice, z, AddPart("V"), "v.1", 2);
  Sql("INSERT INTO structure_lines (parent_revision_id, child_revision_id, position, instance_name) "
      "SELECT r.id, " +
      std::to_string(y) +
      ", 1, 'y.2' FROM revisions r JOIN items i ON i.id = r.item_id "
      "WHERE i.item_id = 'V'");
  Sql("INSERT INTO named_structure_members SELECT " + std::to_string(twice) +
      ", id FROM structure_lines WHERE instance_name = 'y.2'");
  EXPECT_EQ(StructureText(fetch("Z").body), "Z(Z)\n  Y(y.1)\n  V(v.1)\n    Y(y.2)\n");
}

TEST_F(GatewayPdmFunctions, StoredTextsGoOutXmlSafeAndComeBackAsStored) {
  std::string odd = "<O pn=\"x\"/> & 'quoted' \xE6\x97\xA5";
  std::int64_t root = AddPart("M-1");
  std::int64_t structure = AddStructure(odd, root);
  AddMember(structure, root, AddPart("M-2"), odd);
  ReadReply names = ParseReply(Call("GetStructureNames", {{"ContextPartNumber", "M-1"}}).body);
  ASSERT_EQ(names.items.size(), 1u);
  EXPECT_EQ(names.items[0], (std::vector<zelgw::ListItem>{{odd, false}}));
  EXPECT_EQ(StructureText(Call("GetStructureForName", {{"ContextPartNumber", "M-1"}, {"VboName", odd}}).body),
            "M-1(M-1)\n  M-2(" + odd + ")\n");
}

TEST_F(GatewayPdmFunctions, AUsersProcessesAreListedNewestFirstWithEveryFieldTheDialogShows) {
  // The client reads every "PD" under any element of the response, as "/*/Response/*/PD" finds them.
  auto processes = [&](const std::string& user) {
    zelgw::GatewayResult result = Call("GetProcessInfoForUser", {{"USER", user}});
    EXPECT_EQ(result.errorCode, 0) << result.body;
    pugi::xml_document document;
    EXPECT_TRUE(document.load_string(result.body.c_str()));
    std::vector<std::map<std::string, std::string>> out;
    for (const pugi::xpath_node& node : document.select_nodes("/*/Response/*/PD")) {
      std::map<std::string, std::string> fields;
      for (pugi::xml_attribute attribute : node.node().attributes())
        fields[attribute.name()] = attribute.value();
      out.push_back(fields);
    }
    return out;
  };
  using Fields = std::map<std::string, std::string>;
  EXPECT_EQ(processes("demo"),
            (std::vector<Fields>{{{"Activity", "Send to PDM"},
                                  {"Status", "Failed"},
                                  {"Description", "Wheel B"},
                                  {"Start", "2024-03-02T14:30:00Z"},
                                  {"End", "2024-03-02T14:30:40Z"},
                                  {"User", "demo"},
                                  {"ErrorMsg", "ZEL-000120/B is checked out by designer."}},
                                 {{"Activity", "Transfer to 3DEXPERIENCE"},
                                  {"Status", "Finished"},
                                  {"Description", "Bicycle A with 4 components"},
                                  {"Start", "2024-03-01T09:00:00Z"},
                                  {"End", "2024-03-01T09:02:10Z"},
                                  {"User", "demo"},
                                  {"ErrorMsg", ""}}}));
  // A running process has no end yet.
  std::vector<Fields> designer = processes("designer");
  ASSERT_EQ(designer.size(), 1u);
  EXPECT_EQ(designer[0].at("Status"), "Running");
  EXPECT_EQ(designer[0].at("End"), "");
  EXPECT_TRUE(processes("nobody").empty());
  EXPECT_TRUE(processes("demo' OR '1'='1").empty());

  // Sends of the transfer show up at once, the later one first.
  for (const char* name : {"prd-00012340", "prd-00012341"}) {
    ASSERT_EQ(Call("SendEnoviaObjectToTC", {{"user", "jsmith"},
                                            {"type", "VPMReference"},
                                            {"name", name},
                                            {"revision", "A.1"},
                                            {"transfer_type", "VPMReference"},
                                            {"expand_level", "0"}})
                  .errorCode,
              0);
  }
  std::vector<Fields> sent = processes("jsmith");
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].at("Description"), "Product structure prd-00012341 A.1 (VPMReference), no children");
  EXPECT_EQ(sent[1].at("Description"), "Product structure prd-00012340 A.1 (VPMReference), no children");
  EXPECT_EQ(sent[0].at("Start"), sent[0].at("End"));
  EXPECT_EQ(sent[0].at("User"), "jsmith");
  EXPECT_EQ(sent[0].size(), 7u);

  // Stored texts of any kind go out as they are, and the list is bounded.
  zelgw::ProcessRepository repository(store_);
  std::string message = "line one\nline two <&> \"quoted\"";
  repository.Add(
      {0, "busy", "Send to PDM", "o", "Failed", "d", "2030-01-01T00:00:00Z", std::nullopt, message});
  EXPECT_EQ(processes("busy").at(0).at("ErrorMsg"), message);
  for (int i = 0; i < 510; ++i) {
    repository.Add(
        {0, "busy", "Send to PDM", "o", "Finished", "d", "2025-01-01T00:00:00Z", std::nullopt, ""});
  }
  EXPECT_EQ(processes("busy").size(), zelgw::kMaxListedProcesses);

  struct Case {
    Attributes attributes;
    int code;
  };
  for (const Case& c : std::vector<Case>{{{}, 1301},
                                         {{{"USER", " "}}, 1301},
                                         {{{"USER", std::string(257, 'u')}}, 1302},
                                         {{{"USER", "demo\r"}}, 1303}}) {
    zelgw::GatewayResult result = Call("GetProcessInfoForUser", c.attributes);
    ReadReply reply = ParseReply(result.body);
    EXPECT_EQ(CodesOf(reply), std::vector<int>{c.code}) << Codes(reply.errors);
    EXPECT_EQ(result.body.find("<PD"), std::string::npos);
  }
}
