#include "zelgw/StoreSchema.h"

#include <string>

namespace zelgw {
namespace {

// Version 1. Texts are UTF-8; times are ISO 8601 in UTC ("2024-03-01T09:00:00Z").
constexpr const char* kSchemaV1 = R"sql(
CREATE TABLE schema_version (version INTEGER NOT NULL);

CREATE TABLE users (
  name TEXT PRIMARY KEY,
  password_hash TEXT NOT NULL,
  group_name TEXT NOT NULL DEFAULT '',
  role TEXT NOT NULL DEFAULT ''
);

CREATE TABLE item_types (
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL UNIQUE,
  label TEXT NOT NULL,
  position INTEGER NOT NULL
);

-- The attributes a query of the type offers, in the order the query dialog shows them.
CREATE TABLE query_attributes (
  item_type_id INTEGER NOT NULL REFERENCES item_types (id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  label TEXT NOT NULL,
  position INTEGER NOT NULL,
  PRIMARY KEY (item_type_id, name)
);

-- item_id is the part number the client knows an object by.
CREATE TABLE items (
  id INTEGER PRIMARY KEY,
  item_id TEXT NOT NULL UNIQUE,
  item_type_id INTEGER NOT NULL REFERENCES item_types (id),
  name TEXT NOT NULL,
  description TEXT NOT NULL DEFAULT '',
  owner TEXT NOT NULL DEFAULT '',
  owning_site TEXT NOT NULL DEFAULT '',
  created TEXT NOT NULL
);

-- obid is the opaque identifier the client passes back when it picks a revision.
CREATE TABLE revisions (
  id INTEGER PRIMARY KEY,
  item_id INTEGER NOT NULL REFERENCES items (id) ON DELETE CASCADE,
  revision TEXT NOT NULL,
  obid TEXT NOT NULL UNIQUE,
  status TEXT NOT NULL,
  created TEXT NOT NULL,
  modified TEXT NOT NULL,
  released TEXT,
  UNIQUE (item_id, revision)
);

-- Attributes shown and queried per revision, grouped as the attribute viewer shows them.
CREATE TABLE revision_attributes (
  revision_id INTEGER NOT NULL REFERENCES revisions (id) ON DELETE CASCADE,
  group_name TEXT NOT NULL,
  name TEXT NOT NULL,
  label TEXT NOT NULL,
  value TEXT NOT NULL,
  position INTEGER NOT NULL,
  PRIMARY KEY (revision_id, name)
);

CREATE TABLE structure_lines (
  id INTEGER PRIMARY KEY,
  parent_revision_id INTEGER NOT NULL REFERENCES revisions (id) ON DELETE CASCADE,
  child_revision_id INTEGER NOT NULL REFERENCES revisions (id) ON DELETE CASCADE,
  quantity REAL NOT NULL DEFAULT 1 CHECK (quantity > 0),
  position INTEGER NOT NULL,
  instance_name TEXT NOT NULL,
  CHECK (parent_revision_id <> child_revision_id)
);
CREATE INDEX structure_lines_by_parent ON structure_lines (parent_revision_id, position);

-- A named structure keeps a subset of the lines below its root revision.
CREATE TABLE named_structures (
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL,
  root_revision_id INTEGER NOT NULL REFERENCES revisions (id) ON DELETE CASCADE,
  UNIQUE (root_revision_id, name)
);

CREATE TABLE named_structure_members (
  named_structure_id INTEGER NOT NULL REFERENCES named_structures (id) ON DELETE CASCADE,
  structure_line_id INTEGER NOT NULL REFERENCES structure_lines (id) ON DELETE CASCADE,
  PRIMARY KEY (named_structure_id, structure_line_id)
);

-- Transfers and other background jobs, listed per user by the process status command.
CREATE TABLE processes (
  id INTEGER PRIMARY KEY,
  user_name TEXT NOT NULL,
  activity TEXT NOT NULL,
  object TEXT NOT NULL,
  state TEXT NOT NULL,
  description TEXT NOT NULL DEFAULT '',
  started TEXT NOT NULL,
  finished TEXT,
  message TEXT NOT NULL DEFAULT ''
);
CREATE INDEX processes_by_user ON processes (user_name, started);

-- Per-function switches and values the gateway answers with.
CREATE TABLE settings (
  function TEXT NOT NULL,
  key TEXT NOT NULL,
  value TEXT NOT NULL,
  PRIMARY KEY (function, key)
);

CREATE TABLE part_number_counters (
  prefix TEXT PRIMARY KEY,
  next_value INTEGER NOT NULL CHECK (next_value >= 0),
  width INTEGER NOT NULL DEFAULT 6 CHECK (width BETWEEN 1 AND 18)
);
)sql";

struct Migration {
  int version;
  const char* sql;
};

// Upgrades in order; a new schema version appends its step here and raises kStoreSchemaVersion.
constexpr Migration kMigrations[] = {
    {1, kSchemaV1},
};
static_assert(sizeof kMigrations / sizeof kMigrations[0] == kStoreSchemaVersion);

std::int64_t ReadNumber(Connection& connection, const char* sql) {
  Statement& read = connection.Prepare(sql);
  return read.Step() ? read.Int(0) : 0;
}

}  // namespace

StoreContent InspectStore(Connection& connection) {
  std::int64_t id = ReadNumber(connection, "PRAGMA application_id");
  if (id == kStoreApplicationId) return StoreContent::Gateway;
  if (id != 0) return StoreContent::Foreign;
  Statement& objects = connection.Prepare(
      "SELECT count(*), coalesce(sum(type = 'table' AND name IN ('schema_version', 'users')), 0) "
      "FROM sqlite_master WHERE name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
  objects.Step();
  std::int64_t all = objects.Int(0), ours = objects.Int(1);
  objects.Reset();
  if (all == 0) return StoreContent::Empty;
  // A store made before stores were marked has the version table and the users beside it.
  return ours == 2 ? StoreContent::Gateway : StoreContent::Foreign;
}

int StoredSchemaVersion(Connection& connection) {
  if (ReadNumber(connection,
                 "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'schema_version'") ==
      0) {
    return 0;
  }
  return static_cast<int>(ReadNumber(connection, "SELECT coalesce(max(version), 0) FROM schema_version"));
}

bool MigrateSchema(Connection& connection) {
  int stored = StoredSchemaVersion(connection);
  if (stored > kStoreSchemaVersion) {
    // Writing into a schema this gateway does not know could damage data it does not understand.
    throw StoreError("the store has schema version " + std::to_string(stored) + ", newer than version " +
                     std::to_string(kStoreSchemaVersion) + " of this gateway");
  }
  if (ReadNumber(connection, "PRAGMA application_id") != kStoreApplicationId) {
    connection.Execute(("PRAGMA application_id = " + std::to_string(kStoreApplicationId)).c_str());
  }
  if (stored == kStoreSchemaVersion) return false;
  for (const Migration& migration : kMigrations) {
    if (migration.version > stored) connection.Execute(migration.sql);
  }
  connection.Execute("DELETE FROM schema_version");
  connection.Prepare("INSERT INTO schema_version (version) VALUES (?1)").BindAll(kStoreSchemaVersion).Run();
  return stored == 0;
}

}  // namespace zelgw
