#include "zelgw/PlmDatabase.h"

#include <sqlite3.h>

#include <cstdint>
#include <set>
#include <string_view>
#include <utility>

namespace zelgw {
namespace {

using Kind = PlmDatabaseError::Kind;

constexpr std::string_view kSchemaVersion = "1";
constexpr std::string_view kReferenceType = "VPMReference";
constexpr std::string_view kInstanceType = "VPMInstance";

Kind KindOf(int rc) {
  int primary = rc & 0xFF;
  if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) return Kind::kBusy;
  if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT) return Kind::kNotPlmDatabase;
  return Kind::kFailed;
}

[[noreturn]] void Fail(sqlite3* db, int rc, std::string_view what) {
  throw PlmDatabaseError(KindOf(rc),
                         std::string(what) + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
}

class Query {
 public:
  Query(sqlite3* db, std::string_view sql) : db_(db) {
    int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr);
    if (rc != SQLITE_OK) {
      sqlite3_finalize(statement_);
      Fail(db, rc, "cannot prepare a statement");
    }
  }
  ~Query() { sqlite3_finalize(statement_); }
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  Query& Bind(int index, std::string_view value) {
    Check(sqlite3_bind_text64(statement_, index, value.data() ? value.data() : "", value.size(),
                              SQLITE_TRANSIENT, SQLITE_UTF8));
    return *this;
  }
  Query& Bind(int index, std::int64_t value) {
    Check(sqlite3_bind_int64(statement_, index, value));
    return *this;
  }
  Query& BindNull(int index) {
    Check(sqlite3_bind_null(statement_, index));
    return *this;
  }
  bool Step() {
    int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Fail(db_, rc, "cannot run a statement");
  }
  // For statements without rows: runs them and makes them ready for the next binding.
  void Run() {
    while (Step()) {
    }
    Reset();
  }
  void Reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
  }
  std::string Text(int column) const {
    const unsigned char* text = sqlite3_column_text(statement_, column);
    if (!text) return {};
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
  }
  std::int64_t Int(int column) const { return sqlite3_column_int64(statement_, column); }
  bool IsNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }

 private:
  void Check(int rc) {
    if (rc != SQLITE_OK) Fail(db_, rc, "cannot bind a value");
  }

  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
};

void Execute(sqlite3* db, const char* sql) {
  int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) Fail(db, rc, std::string("cannot run ") + sql);
}

// The statements of one transfer, prepared once.
class Writer {
 public:
  explicit Writer(sqlite3* db)
      : db_(db),
        findObject_(db,
                    "SELECT c.id, c.maturity FROM components c "
                    "JOIN attributes e ON e.component = c.id AND e.name = 'PLM_ExternalID' "
                    "JOIN attributes r ON r.component = c.id AND r.name = 'majorrevision' "
                    "WHERE e.value = ?1 AND r.value = ?2 ORDER BY c.saved DESC, c.id LIMIT 1"),
        addComponent_(db, "INSERT INTO components (type, saved, maturity) VALUES (?1, 1, ?2)"),
        // An attribute of another type keeps its typed value: only texts are the PDM's to set.
        setAttribute_(
            db,
            "INSERT INTO attributes (component, position, name, type, value) "
            "VALUES (?1, (SELECT coalesce(max(position), 0) + 1 FROM attributes WHERE component = ?1), "
            "?2, 'String', ?3) "
            "ON CONFLICT (component, name) DO UPDATE SET value = excluded.value WHERE type = 'String'"),
        findInstance_(db,
                      "SELECT i.instance, i.child FROM instances i "
                      "JOIN attributes e ON e.component = i.instance AND e.name = 'PLM_ExternalID' "
                      "WHERE i.father = ?1 AND e.value = ?2 ORDER BY i.instance LIMIT 1"),
        linkInstance_(db, "INSERT INTO instances (instance, father, child) VALUES (?1, ?2, ?3)"),
        moveInstance_(db, "UPDATE instances SET child = ?2 WHERE instance = ?1"),
        listInstances_(db,
                       "SELECT i.instance, coalesce(e.value, '') FROM instances i "
                       "JOIN components c ON c.id = i.instance "
                       "LEFT JOIN attributes e ON e.component = i.instance AND e.name = 'PLM_ExternalID' "
                       "WHERE i.father = ?1 AND c.type = ?2 AND c.saved = 1 ORDER BY i.instance"),
        removeComponent_(db, "DELETE FROM components WHERE id = ?1") {}

  PlmWriteResult Write(const PlmTransfer& transfer) {
    PlmWriteResult result;
    std::vector<std::int64_t> ids;
    std::vector<bool> writable;
    for (const PlmObject& object : transfer.objects) {
      findObject_.Bind(1, object.externalId).Bind(2, object.revision);
      if (findObject_.Step()) {
        std::int64_t id = findObject_.Int(0);
        std::string maturity = findObject_.Text(1);
        findObject_.Reset();
        ids.push_back(id);
        bool locked = maturity == "FROZEN" || maturity == "RELEASED";
        writable.push_back(transfer.force || !locked);
        if (!writable.back()) {
          result.protectedObjects.push_back(object.externalId + " " + object.revision);
          continue;
        }
        SetAttribute(id, "name", object.name);
        SetAttribute(id, "description", object.description);
        SetAttribute(id, "owner", object.owner);
        ++result.objectsUpdated;
      } else {
        findObject_.Reset();
        std::int64_t id = AddComponent(kReferenceType, object.released ? "RELEASED" : "IN_WORK");
        SetAttribute(id, "PLM_ExternalID", object.externalId);
        SetAttribute(id, "majorrevision", object.revision);
        SetAttribute(id, "revision", object.revision + ".1");
        SetAttribute(id, "name", object.name);
        SetAttribute(id, "description", object.description);
        SetAttribute(id, "owner", object.owner);
        ids.push_back(id);
        writable.push_back(true);
        ++result.objectsCreated;
      }
    }

    std::vector<std::vector<const PlmLine*>> linesOf(transfer.objects.size());
    for (const PlmLine& line : transfer.lines) {
      if (line.parent >= ids.size() || line.child >= ids.size())
        throw PlmDatabaseError(Kind::kFailed, "a structure line names an object outside the transfer");
      linesOf[line.parent].push_back(&line);
    }
    for (std::size_t parent = 0; parent < transfer.objects.size(); ++parent) {
      // A frozen parent keeps its structure as well as its attributes.
      if (!transfer.objects[parent].expanded || !writable[parent]) continue;
      std::set<std::string, std::less<>> provided(transfer.objects[parent].keptInstances.begin(),
                                                  transfer.objects[parent].keptInstances.end());
      for (const PlmLine* line : linesOf[parent]) {
        provided.insert(line->instanceName);
        WriteInstance(ids[parent], ids[line->child], line->instanceName, result);
      }
      if (transfer.removeExistingNotProvided) RemoveOthers(ids[parent], provided, result);
    }
    return result;
  }

 private:
  std::int64_t AddComponent(std::string_view type, const char* maturity) {
    addComponent_.Bind(1, type);
    if (maturity) {
      addComponent_.Bind(2, std::string_view(maturity));
    } else {
      addComponent_.BindNull(2);
    }
    addComponent_.Run();
    return sqlite3_last_insert_rowid(db_);
  }

  void SetAttribute(std::int64_t component, std::string_view name, std::string_view value) {
    setAttribute_.Bind(1, component).Bind(2, name).Bind(3, value).Run();
  }

  void WriteInstance(std::int64_t father, std::int64_t child, const std::string& name,
                     PlmWriteResult& result) {
    findInstance_.Bind(1, father).Bind(2, name);
    if (findInstance_.Step()) {
      std::int64_t instance = findInstance_.Int(0), current = findInstance_.Int(1);
      findInstance_.Reset();
      if (current != child) {
        moveInstance_.Bind(1, instance).Bind(2, child).Run();
        ++result.instancesUpdated;
      }
      return;
    }
    findInstance_.Reset();
    std::int64_t instance = AddComponent(kInstanceType, nullptr);
    SetAttribute(instance, "PLM_ExternalID", name);
    linkInstance_.Bind(1, instance).Bind(2, father).Bind(3, child).Run();
    ++result.instancesCreated;
  }

  // Only saved product instances: representations are not the PDM's, and an unsaved instance is the
  // session's work in progress.
  void RemoveOthers(std::int64_t father, const std::set<std::string, std::less<>>& provided,
                    PlmWriteResult& result) {
    std::vector<std::int64_t> doomed;
    listInstances_.Bind(1, father).Bind(2, kInstanceType);
    while (listInstances_.Step()) {
      if (!provided.contains(listInstances_.Text(1))) doomed.push_back(listInstances_.Int(0));
    }
    listInstances_.Reset();
    for (std::int64_t instance : doomed) {
      removeComponent_.Bind(1, instance).Run();
      ++result.instancesRemoved;
    }
  }

  sqlite3* db_;
  Query findObject_;
  Query addComponent_;
  Query setAttribute_;
  Query findInstance_;
  Query linkInstance_;
  Query moveInstance_;
  Query listInstances_;
  Query removeComponent_;
};

}  // namespace

PlmDatabase::PlmDatabase(const std::string& path, int busyTimeoutMs) {
  // Never created here: a missing file is a wrong name, not a new database.
  int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  try {
    if (rc != SQLITE_OK) {
      throw PlmDatabaseError(Kind::kNotPlmDatabase, "cannot open the PLM database " + path + ": " +
                                                        (db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc)));
    }
    sqlite3_busy_timeout(db_, busyTimeoutMs);
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    Execute(db_, "PRAGMA foreign_keys = ON");
    std::string version;
    try {
      Query schema(db_, "SELECT value FROM plm_info WHERE key = 'schema'");
      if (schema.Step()) version = schema.Text(0);
      // Every column written later, so a look-alike is refused before anything is changed.
      Query(db_, "SELECT id, type, saved, maturity FROM components LIMIT 0").Step();
      Query(db_, "SELECT component, position, name, type, value FROM attributes LIMIT 0").Step();
      Query(db_, "SELECT instance, father, child FROM instances LIMIT 0").Step();
    } catch (const PlmDatabaseError& error) {
      if (error.kind == Kind::kBusy) throw;
      throw PlmDatabaseError(Kind::kNotPlmDatabase, path + " is not a PLM database (" + error.what() + ")");
    }
    if (version != kSchemaVersion) {
      throw PlmDatabaseError(Kind::kNotPlmDatabase, path + " is not a PLM database of schema " +
                                                        std::string(kSchemaVersion) + " (schema \"" +
                                                        version + "\")");
    }
  } catch (...) {
    sqlite3_close(db_);
    db_ = nullptr;
    throw;
  }
}

PlmDatabase::~PlmDatabase() {
  sqlite3_close(db_);
}

PlmWriteResult PlmDatabase::Write(const PlmTransfer& transfer) {
  // IMMEDIATE: wait for the session's writes up front rather than fail half-way on a lock upgrade.
  Execute(db_, "BEGIN IMMEDIATE");
  try {
    PlmWriteResult result;
    {
      Writer writer(db_);
      result = writer.Write(transfer);
    }
    Execute(db_, "COMMIT");
    return result;
  } catch (...) {
    // A failed COMMIT leaves the transaction open; a failed statement may have ended it already.
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

}  // namespace zelgw
