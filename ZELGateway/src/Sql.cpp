#include "zelgw/Sql.h"

#include <filesystem>

namespace zelgw {
namespace {

constexpr int kBusyTimeoutMs = 5000;

std::string ErrorText(sqlite3* db, std::string_view what) {
  return std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
}

// The file as an URI with immutable=1, which keeps SQLite from locking, journaling or creating -wal and -shm
// files. Every byte outside the unreserved set is escaped, so no name can smuggle in query parameters.
std::string ImmutableUri(const std::string& path) {
  std::string absolute = std::filesystem::absolute(path).string();
  static const char kDigits[] = "0123456789ABCDEF";
  std::string uri = "file://localhost";
  for (unsigned char c : absolute) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '/' || c == '-' ||
        c == '.' || c == '_' || c == '~') {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kDigits[c >> 4];
      uri += kDigits[c & 0xF];
    }
  }
  return uri + "?immutable=1";
}

}  // namespace

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
  if (sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &statement_,
                         nullptr) != SQLITE_OK) {
    throw StoreError(ErrorText(db, "cannot prepare \"" + std::string(sql) + "\""));
  }
}

Statement::~Statement() {
  sqlite3_finalize(statement_);
}

Statement& Statement::Bind(int index, std::string_view value) {
  // A null pointer would bind SQL NULL, not an empty text.
  const char* data = value.data() ? value.data() : "";
  if (sqlite3_bind_text64(statement_, index, data, value.size(), SQLITE_TRANSIENT, SQLITE_UTF8) !=
      SQLITE_OK) {
    throw StoreError(ErrorText(db_, "cannot bind parameter " + std::to_string(index)));
  }
  return *this;
}

Statement& Statement::Bind(int index, std::int64_t value) {
  if (sqlite3_bind_int64(statement_, index, value) != SQLITE_OK) {
    throw StoreError(ErrorText(db_, "cannot bind parameter " + std::to_string(index)));
  }
  return *this;
}

Statement& Statement::Bind(int index, double value) {
  if (sqlite3_bind_double(statement_, index, value) != SQLITE_OK) {
    throw StoreError(ErrorText(db_, "cannot bind parameter " + std::to_string(index)));
  }
  return *this;
}

Statement& Statement::Bind(int index, std::nullptr_t) {
  if (sqlite3_bind_null(statement_, index) != SQLITE_OK) {
    throw StoreError(ErrorText(db_, "cannot bind parameter " + std::to_string(index)));
  }
  return *this;
}

bool Statement::Step() {
  int rc = sqlite3_step(statement_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  std::string error = ErrorText(db_, std::string("cannot run \"") + sqlite3_sql(statement_) + "\"");
  sqlite3_reset(statement_);
  throw StoreError(error);
}

void Statement::Run() {
  while (Step()) {
  }
  sqlite3_reset(statement_);
}

void Statement::Reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

std::string Statement::Text(int column) const {
  const unsigned char* text = sqlite3_column_text(statement_, column);
  if (!text) return {};
  return std::string(reinterpret_cast<const char*>(text),
                     static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
}

std::int64_t Statement::Int(int column) const {
  return sqlite3_column_int64(statement_, column);
}

double Statement::Real(int column) const {
  return sqlite3_column_double(statement_, column);
}

bool Statement::IsNull(int column) const {
  return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

int Statement::Columns() const {
  return sqlite3_column_count(statement_);
}

std::int64_t Statement::Changes() const {
  return sqlite3_changes64(db_);
}

Connection::Connection(const std::string& path, Access access) {
  // One thread at a time uses a connection (the pool sees to it), so SQLite's own mutexes are not needed. A
  // file is never created here: the store creates it first, with the permissions it wants.
  int flags = SQLITE_OPEN_NOMUTEX;
  std::string name = path;
  if (access == Access::Inspect) {
    flags |= SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
    name = ImmutableUri(path);
  } else {
    flags |= SQLITE_OPEN_READWRITE;
    if (path == ":memory:") flags |= SQLITE_OPEN_CREATE;
  }
  int rc = sqlite3_open_v2(name.c_str(), &db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    std::string error = ErrorText(db_, "cannot open the store " + path);
    sqlite3_close(db_);
    throw StoreError(error);
  }
  try {
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db_, 1);
    // No SQL of ours writes the schema tables or pages directly; refusing it limits what a fault could
    // damage.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    Execute("PRAGMA foreign_keys = ON");
  } catch (...) {
    sqlite3_close(db_);
    throw;
  }
}

Connection::~Connection() {
  statements_.clear();
  sqlite3_close(db_);
}

Statement& Connection::Prepare(std::string_view sql) {
  auto found = statements_.find(std::string(sql));
  if (found == statements_.end()) {
    found = statements_.emplace(std::string(sql), std::make_unique<Statement>(db_, sql)).first;
  } else {
    found->second->Reset();
  }
  return *found->second;
}

void Connection::Execute(const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    std::string error = std::string("cannot run \"") + sql + "\": " + (message ? message : "unknown error");
    sqlite3_free(message);
    throw StoreError(error);
  }
}

std::int64_t Connection::LastInsertId() const {
  return sqlite3_last_insert_rowid(db_);
}

void Connection::ResetStatements() {
  for (auto& entry : statements_) entry.second->Reset();
}

Transaction::Transaction(Connection& connection) : connection_(connection) {
  connection_.Execute("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
  if (!open_) return;
  try {
    connection_.ResetStatements();
    connection_.Execute("ROLLBACK");
  } catch (const StoreError&) {
    // SQLite has already rolled back when the failure was one that ends the transaction.
  }
}

void Transaction::Commit() {
  connection_.ResetStatements();
  connection_.Execute("COMMIT");
  open_ = false;
}

ReadSnapshot::ReadSnapshot(Connection& connection) : connection_(connection) {
  connection_.Execute("BEGIN");
}

ReadSnapshot::~ReadSnapshot() {
  try {
    connection_.ResetStatements();
    connection_.Execute("ROLLBACK");
  } catch (const StoreError&) {
    // Nothing was written; the pool resets the connection in any case.
  }
}

}  // namespace zelgw
