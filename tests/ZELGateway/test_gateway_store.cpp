// The PDM store: schema and demo data on creation, private files, reopening and reseeding, values that look
// like SQL, files that are not gateway stores, part numbers handed out once under concurrency.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "GatewayTestUtil.h"
#include "zelgw/PartNumberRepository.h"
#include "zelgw/Password.h"
#include "zelgw/RequestLog.h"
#include "zelgw/SettingRepository.h"
#include "zelgw/Store.h"
#include "zelgw/StoreSchema.h"
#include "zelgw/UserRepository.h"

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

// Fixed SQL run on a file with SQLite alone, as another application would.
void RunSql(const std::string& file, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  char* message = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &message), SQLITE_OK) << (message ? message : "");
  sqlite3_free(message);
  sqlite3_close(db);
}

std::int64_t ApplicationId(const std::string& file) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA application_id", -1, &statement, nullptr);
  std::int64_t id = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return id;
}

unsigned Mode(const std::string& file) {
  struct stat status {};
  return stat(file.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : previous_(umask(mask)) {}
  ~ScopedUmask() { umask(previous_); }

 private:
  mode_t previous_;
};

}  // namespace

TEST(GatewayStore, NewStoreGetsTheSchemaAndTheDemoDataButNoUser) {
  TempDir dir;
  std::string file = dir.File("pdm.db");
  zelgw::Store store(file);
  EXPECT_TRUE(store.Created());
  EXPECT_EQ(store.SchemaVersion(), zelgw::kStoreSchemaVersion);
  {
    auto connection = store.Acquire();
    zelgw::Statement& mode = connection->Prepare("PRAGMA journal_mode");
    ASSERT_TRUE(mode.Step());
    EXPECT_EQ(mode.Text(0), "wal");
  }
  EXPECT_EQ(ApplicationId(file), zelgw::kStoreApplicationId);
  for (const char* table :
       {"item_types", "query_attributes", "items", "revisions", "revision_attributes", "structure_lines",
        "named_structures", "named_structure_members", "processes", "settings", "part_number_counters"}) {
    EXPECT_GT(Count(store, std::string("SELECT count(*) FROM ") + table), 0) << table;
  }
  zelgw::UserRepository users(store);
  EXPECT_TRUE(users.List().empty());
  EXPECT_EQ(users.Authenticate("demo", "demo"), std::nullopt);
  EXPECT_TRUE(users.AccountsWithDemoPasswords().empty());

  EXPECT_EQ(Count(store,
                  "SELECT count(*) FROM query_attributes q JOIN item_types t ON t.id = q.item_type_id "
                  "WHERE t.name = ?1",
                  "Part"),
            5);
  EXPECT_EQ(Count(store,
                  "SELECT count(*) FROM named_structure_members m JOIN named_structures n "
                  "ON n.id = m.named_structure_id WHERE n.name = ?1",
                  "Wheels"),
            4);
  zelgw::SettingRepository settings(store);
  EXPECT_EQ(settings.Get("GetSettingsInfo", "UseBookmark"), "false");
  EXPECT_EQ(settings.Get("GetSettingsInfo", "NoSuchKey"), std::nullopt);
  zelgw::PartNumberRepository numbers(store);
  EXPECT_EQ(numbers.Next("ZEL-"), "ZEL-001000");
  EXPECT_EQ(numbers.Next("ZEL-"), "ZEL-001001");
  EXPECT_EQ(numbers.Next("NONE-"), std::nullopt);
}

TEST(GatewayStore, NewFilesAreReadableAndWritableByTheirOwnerOnly) {
  for (mode_t mask : {mode_t{022}, mode_t{0}}) {
    ScopedUmask scoped(mask);
    TempDir dir;
    std::string file = dir.File("pdm.db");
    zelgw::Store store(file);
    zelgw::SettingRepository(store).Put("GetSettingsInfo", "UseBookmark", "true");
    for (const std::string& name : {file, file + "-wal", file + "-shm"}) {
      EXPECT_EQ(Mode(name), 0600u) << name << " under umask " << mask;
    }
    { zelgw::RequestLog log(dir.File("requests.log")); }
    EXPECT_EQ(Mode(dir.File("requests.log")), 0600u) << "umask " << mask;
  }
  // An existing log keeps its mode and its lines.
  TempDir dir;
  std::string logFile = dir.File("requests.log");
  ASSERT_TRUE(zeltest::WriteFile(logFile, "earlier line\n"));
  chmod(logFile.c_str(), 0640);
  {
    zelgw::RequestLog log(logFile);
    log.Warn("second\nline");
  }
  EXPECT_EQ(Mode(logFile), 0640u);
  std::string text = ReadFile(logFile);
  EXPECT_EQ(text.rfind("earlier line\n", 0), 0u);
  EXPECT_NE(text.find(" WARNING second?line\n"), std::string::npos) << text;
}

TEST(GatewayStore, ReopeningKeepsDataAndReseedingRestoresTheDemoSetWithItsUsers) {
  TempDir dir;
  std::string file = dir.File("pdm.db");
  std::string seeded;
  {
    zelgw::Store store(file);
    store.Seed();
    seeded = DumpStore(store);
    zelgw::SettingRepository(store).Put("GetSettingsInfo", "UseBookmark", "true");
    zelgw::PartNumberRepository(store).Next("ZEL-");
    zelgw::UserRepository(store).Remove("viewer");
  }
  zelgw::Store reopened(file);
  EXPECT_FALSE(reopened.Created());
  EXPECT_EQ(zelgw::SettingRepository(reopened).Get("GetSettingsInfo", "UseBookmark"), "true");
  zelgw::UserRepository users(reopened);
  EXPECT_EQ(users.Find("viewer"), std::nullopt);

  reopened.Seed();
  EXPECT_EQ(DumpStore(reopened), seeded);
  EXPECT_EQ(users.Find("demo"), (zelgw::UserRecord{"demo", "Engineering", "Designer"}));
  EXPECT_EQ(users.List().size(), 4u);
  EXPECT_EQ(users.AccountsWithDemoPasswords(),
            (std::vector<std::string>{"admin", "demo", "designer", "viewer"}));

  // A demo password set again by hand is still a demo password; a changed one is not.
  ASSERT_TRUE(users.SetPassword("demo", "a better one"));
  ASSERT_TRUE(users.SetPassword("admin", "admin"));
  ASSERT_TRUE(users.Remove("viewer"));
  EXPECT_EQ(users.AccountsWithDemoPasswords(), (std::vector<std::string>{"admin", "designer"}));
}

TEST(GatewayStore, ValuesThatLookLikeSqlAreStoredAsValues) {
  zelgw::Store store(":memory:");
  zelgw::UserRepository users(store);
  const zelgw::UserRecord tricky{"Robert'); DROP TABLE users;--", "O'Brien \"group\"", "role' OR '1'='1"};
  const std::string password = "pa'ss\"word; DELETE FROM users";
  ASSERT_TRUE(users.Add(tricky, password));

  EXPECT_EQ(users.Find(tricky.name), tricky);
  EXPECT_EQ(users.Authenticate(tricky.name, password), tricky);
  EXPECT_EQ(users.Authenticate("' OR '1'='1", "' OR '1'='1"), std::nullopt);
  EXPECT_EQ(users.Find("' OR 1=1 --"), std::nullopt);
  EXPECT_FALSE(users.Remove("' OR 1=1 --"));
  EXPECT_EQ(Count(store, "SELECT count(*) FROM users"), 1);

  zelgw::SettingRepository settings(store);
  settings.Put("GetSettingsInfo", "x' OR '1'='1", "it's \"quoted\"");
  EXPECT_EQ(settings.Get("GetSettingsInfo", "x' OR '1'='1"), "it's \"quoted\"");
  EXPECT_EQ(settings.Get("GetSettingsInfo", "' OR 1=1 --"), std::nullopt);
  EXPECT_EQ(zelgw::PartNumberRepository(store).Next("ZEL-' OR '1'='1"), std::nullopt);
}

TEST(GatewayStore, UsersAreAddedOnceChangedAndRemovedWithFitNamesAndPasswords) {
  zelgw::Store store(":memory:");
  zelgw::UserRepository users(store);
  ASSERT_TRUE(users.Add({"zoe", "Engineering", "Designer"}, "first"));
  ASSERT_TRUE(users.Add({"Åsa Öberg", "", ""}, "second"));
  EXPECT_FALSE(users.Add({"zoe", "Other", "Viewer"}, "again"));
  EXPECT_EQ(users.Find("zoe"), (zelgw::UserRecord{"zoe", "Engineering", "Designer"}));
  EXPECT_EQ(users.Authenticate("zoe", "first"), (zelgw::UserRecord{"zoe", "Engineering", "Designer"}));
  EXPECT_EQ(users.List(),
            (std::vector<zelgw::UserRecord>{{"zoe", "Engineering", "Designer"}, {"Åsa Öberg", "", ""}}));

  EXPECT_TRUE(users.SetPassword("zoe", "changed"));
  EXPECT_FALSE(users.SetPassword("nobody", "changed"));
  EXPECT_FALSE(users.Authenticate("zoe", "first"));
  EXPECT_TRUE(users.Authenticate("zoe", "changed"));
  EXPECT_TRUE(users.Remove("zoe"));
  EXPECT_FALSE(users.Remove("zoe"));
  EXPECT_FALSE(users.Authenticate("zoe", "changed"));

  for (const std::string& name :
       {std::string(), std::string("tab\there"), std::string("line\nbreak"), std::string(" padded"),
        std::string("bad \xC3 UTF-8"), std::string("\xC0\xAF"), std::string("c1 \xC2\x85 control"),
        std::string(129, 'n')}) {
    EXPECT_THROW(users.Add({name, "", ""}, "pw"), std::invalid_argument) << name;
  }
  EXPECT_THROW(users.Add({"ok", "group\x1B[2J", ""}, "pw"), std::invalid_argument);
  EXPECT_THROW(users.Add({"ok", "", ""}, ""), std::invalid_argument);
  EXPECT_THROW(users.Add({"ok", "", ""}, std::string(zelgw::kMaxPasswordBytes + 1, 'p')),
               std::invalid_argument);
  EXPECT_THROW(users.SetPassword("Åsa Öberg", ""), std::invalid_argument);
  EXPECT_TRUE(users.Add({std::string(zelgw::kMaxUserTextBytes, 'n'), "", ""},
                        std::string(zelgw::kMaxPasswordBytes, 'p')));
  EXPECT_EQ(Count(store, "SELECT count(*) FROM users"), 2);
  EXPECT_FALSE(users.Authenticate("Åsa Öberg", std::string(zelgw::kMaxPasswordBytes + 1, 'p')));
}

TEST(GatewayStore, OlderHashesStillVerifyAndAreUpgradedAtTheNextLogin) {
  zelgw::Store store(":memory:");
  const std::string old = zelgw::HashPassword("s3cret", 20000);
  ASSERT_NE(old.find("$20000$"), std::string::npos);
  {
    auto connection = store.Acquire();
    connection->Prepare("INSERT INTO users (name, password_hash, group_name, role) VALUES (?1, ?2, '', '')")
        .BindAll("legacy", old)
        .Run();
  }
  auto storedHash = [&store] {
    auto connection = store.Acquire();
    zelgw::Statement& read = connection->Prepare("SELECT password_hash FROM users WHERE name = 'legacy'");
    return read.Step() ? read.Text(0) : std::string();
  };
  zelgw::UserRepository users(store);
  EXPECT_EQ(users.Authenticate("legacy", "wrong"), std::nullopt);
  EXPECT_EQ(storedHash(), old);

  EXPECT_EQ(users.Authenticate("legacy", "s3cret"), (zelgw::UserRecord{"legacy", "", ""}));
  std::string upgraded = storedHash();
  EXPECT_NE(upgraded, old);
  EXPECT_NE(upgraded.find("$" + std::to_string(zelgw::kPasswordIterations) + "$"), std::string::npos)
      << upgraded;
  EXPECT_FALSE(zelgw::PasswordNeedsRehash(upgraded));
  EXPECT_TRUE(zelgw::VerifyPassword(upgraded, "s3cret"));

  // A hash of today's cost stays as it is.
  EXPECT_TRUE(users.Authenticate("legacy", "s3cret"));
  EXPECT_EQ(storedHash(), upgraded);
}

TEST(GatewayStore, FilesOfOtherApplicationsAreRefusedAndLeftByteForByte) {
  TempDir dir;
  struct Case {
    const char* name;
    const char* sql;  // nothing: the content below is no database at all
    const char* text;
  };
  const Case cases[] = {
      {"other.db", "CREATE TABLE users (id INTEGER); INSERT INTO users VALUES (1)", nullptr},
      {"other-wal.db",
       "PRAGMA journal_mode = WAL; CREATE TABLE notes (text TEXT); INSERT INTO notes VALUES ('x')", nullptr},
      // Our table names, but marked as someone else's.
      {"marked.db",
       "PRAGMA application_id = 42; CREATE TABLE schema_version (version INTEGER); CREATE TABLE users (x)",
       nullptr},
      {"only-a-view.db", "CREATE VIEW v AS SELECT 1", nullptr},
      {"odd name?immutable=0#%41.db", "CREATE TABLE t (x)", nullptr},
      {"notes.txt", nullptr, "these are not the droids you are looking for\n"},
      {"short.db", nullptr, "SQLite"},
  };
  for (const Case& c : cases) {
    std::string file = dir.File(c.name);
    if (c.sql) {
      RunSql(file, c.sql);
    } else {
      ASSERT_TRUE(zeltest::WriteFile(file, c.text));
    }
    std::string before = ReadFile(file);
    ASSERT_FALSE(before.empty());
    try {
      zelgw::Store store(file);
      ADD_FAILURE() << c.name << " was opened as a store";
    } catch (const zelgw::StoreError& error) {
      EXPECT_NE(std::string(error.what()).find(file + " is not a gateway store"), std::string::npos)
          << error.what();
    }
    EXPECT_EQ(ReadFile(file), before) << c.name;
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
      EXPECT_FALSE(std::filesystem::exists(file + suffix)) << c.name << suffix;
    }
  }

  // A store of a newer gateway is ours, but not ours to write.
  std::string newer = dir.File("newer.db");
  { zelgw::Store store(newer); }
  RunSql(newer, "UPDATE schema_version SET version = 99");
  EXPECT_THROW(zelgw::Store{newer}, zelgw::StoreError);

  std::string missing = dir.File("missing.db");
  EXPECT_THROW((zelgw::Store{missing, {.create = false}}), zelgw::StoreError);
  EXPECT_FALSE(std::filesystem::exists(missing));
  EXPECT_THROW(zelgw::Store{dir.Path().string()}, zelgw::StoreError);
}

TEST(GatewayStore, EmptyFilesAndUnmarkedStoresOfTheCurrentFormatAreAdopted) {
  TempDir dir;
  std::string empty = dir.File("empty.db");
  ASSERT_TRUE(zeltest::WriteFile(empty, ""));
  {
    zelgw::Store store(empty);
    EXPECT_TRUE(store.Created());
  }
  EXPECT_EQ(ApplicationId(empty), zelgw::kStoreApplicationId);

  std::string unmarked = dir.File("unmarked.db");
  {
    zelgw::Store store(unmarked);
    zelgw::SettingRepository(store).Put("GetSettingsInfo", "UseBookmark", "true");
  }
  RunSql(unmarked, "PRAGMA application_id = 0");
  ASSERT_EQ(ApplicationId(unmarked), 0);
  zelgw::Store store(unmarked);
  EXPECT_FALSE(store.Created());
  EXPECT_EQ(ApplicationId(unmarked), zelgw::kStoreApplicationId);
  EXPECT_EQ(zelgw::SettingRepository(store).Get("GetSettingsInfo", "UseBookmark"), "true");

  // The first look at an existing file goes by URI, where these characters would mean something else.
  std::string odd = dir.File("a b?mode=memory&immutable=0#%41.db");
  { zelgw::Store created(odd); }
  zelgw::Store reopened(odd);
  EXPECT_FALSE(reopened.Created());
  EXPECT_EQ(ApplicationId(odd), zelgw::kStoreApplicationId);
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
      zelgw::PartNumberRepository numbers(t % 2 == 0 ? first : second);
      for (int i = 0; i < kEach; ++i) taken[t].push_back(numbers.Next("DOC-").value_or("missing"));
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::set<std::string> distinct;
  for (const auto& numbers : taken) distinct.insert(numbers.begin(), numbers.end());
  EXPECT_EQ(distinct.size(), static_cast<std::size_t>(kThreads * kEach));
  EXPECT_EQ(*distinct.begin(), "DOC-000001");
  EXPECT_EQ(*distinct.rbegin(), "DOC-000100");
}

TEST(GatewayPassword, HashesAreSaltedCarryTheirCostAndAreVerified) {
  std::string one = zelgw::HashPassword("secret");
  EXPECT_EQ(one.rfind("pbkdf2-sha256$600000$", 0), 0u) << one;
  EXPECT_EQ(one.find("secret"), std::string::npos);
  EXPECT_TRUE(zelgw::VerifyPassword(one, "secret"));
  EXPECT_FALSE(zelgw::VerifyPassword(one, "Secret"));
  EXPECT_FALSE(zelgw::PasswordNeedsRehash(one));
  EXPECT_NE(zelgw::HashPassword("secret", 1000), zelgw::HashPassword("secret", 1000));
  EXPECT_FALSE(zelgw::VerifyPassword(zelgw::HashPassword("secret", 1000), ""));

  std::string cheap = zelgw::HashPassword("secret", 1000);
  EXPECT_TRUE(zelgw::VerifyPassword(cheap, "secret"));
  EXPECT_TRUE(zelgw::PasswordNeedsRehash(cheap));

  for (const char* damaged : {"", "secret", "pbkdf2-sha256$0$00$00", "pbkdf2-sha256$1000$zz$00",
                              "md5$1000$0011$0011", "pbkdf2-sha256$99999999999$0011$0011",
                              "pbkdf2-sha256$6000001$0011$0011", "pbkdf2-sha256$1000$$0011"}) {
    EXPECT_FALSE(zelgw::VerifyPassword(damaged, "secret")) << damaged;
    EXPECT_FALSE(zelgw::PasswordNeedsRehash(damaged)) << damaged;
  }
  EXPECT_THROW(zelgw::HashPassword(std::string(zelgw::kMaxPasswordBytes + 1, 'x')), std::invalid_argument);
  EXPECT_THROW(zelgw::HashPassword("x", 0), std::invalid_argument);
}
