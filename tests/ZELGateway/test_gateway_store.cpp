// The PDM store: schema and demo data on creation, reopening and reseeding, values that look like SQL, schema
// versions it must not touch, part numbers handed out once under concurrency, password hashes.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "GatewayTestUtil.h"
#include "zelgw/Password.h"
#include "zelgw/Store.h"

using namespace gwtest;

namespace {

// Every row of every table, as text, in a fixed order; password hashes left out (their salts are random).
std::string DumpStore(zelgw::Store& store) {
  auto connection = store.Acquire();
  std::vector<std::string> tables;
  zelgw::Statement& list =
      connection->Prepare("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name");
  while (list.Step()) tables.push_back(list.Text(0));
  std::string dump;
  for (const std::string& table : tables) {
    std::string sql =
        table == "users" ? "SELECT name, group_name, role FROM users" : "SELECT * FROM " + table;
    zelgw::Statement& rows = connection->Prepare(sql);
    std::vector<std::string> lines;
    while (rows.Step()) {
      std::string line;
      for (int column = 0; column < rows.Columns(); ++column) line += rows.Text(column) + "|";
      lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    dump += table + ":\n";
    for (const std::string& line : lines) dump += line + "\n";
  }
  return dump;
}

std::int64_t Count(zelgw::Store& store, const std::string& sql, const std::string& parameter = "") {
  auto connection = store.Acquire();
  zelgw::Statement& query = connection->Prepare(sql);
  if (!parameter.empty()) query.Bind(1, parameter);
  query.Step();
  return query.Int(0);
}

}  // namespace

TEST(GatewayStore, NewStoreGetsTheSchemaAndTheDemoData) {
  TempDir dir;
  zelgw::Store store(dir.File("pdm.db"));
  EXPECT_TRUE(store.Created());
  EXPECT_EQ(store.SchemaVersion(), zelgw::Store::kSchemaVersion);
  {
    auto connection = store.Acquire();
    zelgw::Statement& mode = connection->Prepare("PRAGMA journal_mode");
    ASSERT_TRUE(mode.Step());
    EXPECT_EQ(mode.Text(0), "wal");
  }
  for (const char* table : {"users", "item_types", "query_attributes", "items", "revisions",
                            "revision_attributes", "structure_lines", "named_structures",
                            "named_structure_members", "processes", "settings", "part_number_counters"}) {
    EXPECT_GT(Count(store, std::string("SELECT count(*) FROM ") + table), 0) << table;
  }

  EXPECT_EQ(store.FindUser("demo"), (zelgw::UserRecord{"demo", "Engineering", "Designer"}));
  EXPECT_TRUE(store.CheckPassword("demo", "demo"));
  EXPECT_FALSE(store.CheckPassword("demo", "Demo"));
  EXPECT_FALSE(store.CheckPassword("nobody", "demo"));

  EXPECT_EQ(Count(store, "SELECT count(*) FROM item_types WHERE name IN ('Item', 'Part', 'Document')"), 3);
  EXPECT_EQ(Count(store,
                  "SELECT count(*) FROM query_attributes q JOIN item_types t ON t.id = q.item_type_id "
                  "WHERE t.name = ?1",
                  "Part"),
            5);
  EXPECT_EQ(Count(store,
                  "SELECT count(*) FROM revisions r JOIN items i ON i.id = r.item_id WHERE i.item_id = ?1 "
                  "AND r.revision IN ('A', 'B')",
                  "ZEL-000100"),
            2);
  EXPECT_EQ(Count(store,
                  "SELECT count(*) FROM named_structure_members m JOIN named_structures n "
                  "ON n.id = m.named_structure_id WHERE n.name = ?1",
                  "Wheels"),
            4);
  EXPECT_EQ(Count(store, "SELECT count(*) FROM processes WHERE user_name = ?1", "demo"), 2);
  EXPECT_EQ(store.Setting("GetSettingsInfo", "UseBookmark"), "false");
  EXPECT_EQ(store.Setting("GetSettingsInfo", "NoSuchKey"), std::nullopt);

  EXPECT_EQ(store.NextPartNumber("ZEL-"), "ZEL-001000");
  EXPECT_EQ(store.NextPartNumber("ZEL-"), "ZEL-001001");
  EXPECT_EQ(store.NextPartNumber("NONE-"), std::nullopt);
}

TEST(GatewayStore, ReopeningKeepsDataAndReseedingRestoresTheDemoSet) {
  TempDir dir;
  std::string file = dir.File("pdm.db");
  std::string seeded;
  {
    zelgw::Store store(file);
    seeded = DumpStore(store);
    store.PutSetting("GetSettingsInfo", "UseBookmark", "true");
    store.NextPartNumber("ZEL-");
  }
  zelgw::Store reopened(file);
  EXPECT_FALSE(reopened.Created());
  EXPECT_EQ(reopened.Setting("GetSettingsInfo", "UseBookmark"), "true");

  reopened.Seed();
  EXPECT_EQ(DumpStore(reopened), seeded);
  reopened.Seed();
  EXPECT_EQ(DumpStore(reopened), seeded);
  EXPECT_TRUE(reopened.CheckPassword("demo", "demo"));
}

TEST(GatewayStore, ValuesThatLookLikeSqlAreStoredAsValues) {
  zelgw::Store store(":memory:");
  const zelgw::UserRecord tricky{"Robert'); DROP TABLE users;--", "O'Brien \"group\"", "role' OR '1'='1"};
  const std::string password = "pa'ss\"word; DELETE FROM users";
  store.PutUser(tricky, password);

  EXPECT_EQ(store.FindUser(tricky.name), tricky);
  EXPECT_TRUE(store.CheckPassword(tricky.name, password));
  EXPECT_FALSE(store.CheckPassword("' OR '1'='1", "' OR '1'='1"));
  EXPECT_EQ(store.FindUser("' OR 1=1 --"), std::nullopt);
  EXPECT_EQ(Count(store, "SELECT count(*) FROM users"), 5);

  store.PutSetting("GetSettingsInfo", "x' OR '1'='1", "it's \"quoted\"");
  EXPECT_EQ(store.Setting("GetSettingsInfo", "x' OR '1'='1"), "it's \"quoted\"");
  EXPECT_EQ(store.Setting("GetSettingsInfo", "' OR 1=1 --"), std::nullopt);
  EXPECT_EQ(store.NextPartNumber("ZEL-' OR '1'='1"), std::nullopt);

  // Replacing a user keeps one row and takes the new password.
  store.PutUser(tricky, "new");
  EXPECT_EQ(Count(store, "SELECT count(*) FROM users"), 5);
  EXPECT_TRUE(store.CheckPassword(tricky.name, "new"));
  EXPECT_FALSE(store.CheckPassword(tricky.name, password));
}

TEST(GatewayStore, StoresOfOtherSchemasAreLeftAlone) {
  TempDir dir;
  std::string newer = dir.File("newer.db");
  { zelgw::Store store(newer); }
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(newer.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "UPDATE schema_version SET version = 99", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  EXPECT_THROW(zelgw::Store{newer}, zelgw::StoreError);

  // Some other application's database: no schema version, tables of its own.
  std::string foreign = dir.File("foreign.db");
  ASSERT_EQ(sqlite3_open(foreign.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE users (id INTEGER); INSERT INTO users VALUES (1)", nullptr,
                         nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  EXPECT_THROW(zelgw::Store{foreign}, zelgw::StoreError);
  ASSERT_EQ(sqlite3_open(foreign.c_str(), &db), SQLITE_OK);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, "SELECT count(*) FROM users", -1, &statement, nullptr);
  ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(statement, 0), 1);
  sqlite3_finalize(statement);
  sqlite3_close(db);
}

TEST(GatewayStore, PartNumbersAreHandedOutOnceAcrossThreadsAndOpenStores) {
  TempDir dir;
  std::string file = dir.File("pdm.db");
  zelgw::Store first(file);
  zelgw::Store second(file);  // as a second gateway process on the same file would
  constexpr int kThreads = 4, kEach = 25;
  std::vector<std::vector<std::string>> taken(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      zelgw::Store& store = t % 2 == 0 ? first : second;
      for (int i = 0; i < kEach; ++i) taken[t].push_back(store.NextPartNumber("DOC-").value_or("missing"));
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::set<std::string> distinct;
  for (const auto& numbers : taken) distinct.insert(numbers.begin(), numbers.end());
  EXPECT_EQ(distinct.size(), static_cast<std::size_t>(kThreads * kEach));
  EXPECT_EQ(*distinct.begin(), "DOC-000001");
  EXPECT_EQ(*distinct.rbegin(), "DOC-000100");
}

TEST(GatewayPassword, HashesAreSaltedAndVerified) {
  std::string one = zelgw::HashPassword("secret");
  std::string two = zelgw::HashPassword("secret");
  EXPECT_NE(one, two);
  EXPECT_EQ(one.rfind("pbkdf2-sha256$", 0), 0u);
  EXPECT_EQ(one.find("secret"), std::string::npos);
  EXPECT_TRUE(zelgw::VerifyPassword(one, "secret"));
  EXPECT_TRUE(zelgw::VerifyPassword(two, "secret"));
  EXPECT_FALSE(zelgw::VerifyPassword(one, "Secret"));
  EXPECT_FALSE(zelgw::VerifyPassword(one, ""));
  for (const char* damaged : {"", "secret", "pbkdf2-sha256$0$00$00", "pbkdf2-sha256$1000$zz$00",
                              "md5$1000$0011$0011", "pbkdf2-sha256$99999999999$0011$0011"}) {
    EXPECT_FALSE(zelgw::VerifyPassword(damaged, "secret")) << damaged;
  }
}
