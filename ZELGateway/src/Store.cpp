#include "zelgw/Store.h"

#include <cstdio>

#include "zelgw/Password.h"

namespace zelgw {
namespace {

constexpr int kBusyTimeoutMs = 5000;
// Enough for the worker threads of one server with room to spare; more would only contend for the writer
// lock.
constexpr std::size_t kMaxFileConnections = 16;

std::string ErrorText(sqlite3* db, std::string_view what) {
  return std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
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

Connection::Connection(const std::string& path) {
  // One thread at a time uses a connection (the pool sees to it), so SQLite's own mutexes are not needed.
  int rc = sqlite3_open_v2(path.c_str(), &db_,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    std::string error = ErrorText(db_, "cannot open the store " + path);
    sqlite3_close(db_);
    throw StoreError(error);
  }
  try {
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db_, 1);
    Execute("PRAGMA foreign_keys = ON");
    Execute("PRAGMA journal_mode = WAL");
    Execute("PRAGMA synchronous = NORMAL");
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

Store::Lease::Lease(Store& store, std::unique_ptr<Connection> connection)
    : store_(&store), connection_(std::move(connection)) {}

Store::Lease::~Lease() {
  if (connection_) store_->Release(std::move(connection_));
}

Store::Store(std::string path) : path_(path.empty() ? ":memory:" : std::move(path)) {
  // A memory database exists per connection, so a memory store keeps exactly one.
  maxConnections_ = path_ == ":memory:" ? 1 : kMaxFileConnections;
  Lease connection = Acquire();
  Transaction transaction(*connection);
  created_ = MigrateSchema(*connection);
  if (created_) SeedDemoData(*connection);
  transaction.Commit();
}

Store::~Store() = default;

Store::Lease Store::Acquire() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    if (!idle_.empty()) {
      std::unique_ptr<Connection> connection = std::move(idle_.back());
      idle_.pop_back();
      return Lease(*this, std::move(connection));
    }
    if (open_ < maxConnections_) {
      ++open_;
      lock.unlock();
      try {
        return Lease(*this, std::make_unique<Connection>(path_));
      } catch (...) {
        lock.lock();
        --open_;
        released_.notify_one();
        throw;
      }
    }
    released_.wait(lock);
  }
}

void Store::Release(std::unique_ptr<Connection> connection) {
  // A statement left stepping would pin its read snapshot for whoever borrows the connection next.
  connection->ResetStatements();
  std::lock_guard<std::mutex> lock(mutex_);
  idle_.push_back(std::move(connection));
  released_.notify_one();
}

int Store::SchemaVersion() {
  Lease connection = Acquire();
  Statement& read = connection->Prepare("SELECT max(version) FROM schema_version");
  return read.Step() ? static_cast<int>(read.Int(0)) : 0;
}

void Store::Seed() {
  Lease connection = Acquire();
  Transaction transaction(*connection);
  SeedDemoData(*connection);
  transaction.Commit();
}

void Store::PutUser(const UserRecord& user, std::string_view password) {
  std::string hash = HashPassword(password);
  Lease connection = Acquire();
  connection
      ->Prepare(
          "INSERT INTO users (name, password_hash, group_name, role) VALUES (?1, ?2, ?3, ?4) "
          "ON CONFLICT (name) DO UPDATE SET password_hash = ?2, group_name = ?3, role = ?4")
      .BindAll(user.name, hash, user.group, user.role)
      .Run();
}

std::optional<UserRecord> Store::FindUser(std::string_view name) {
  Lease connection = Acquire();
  Statement& find = connection->Prepare("SELECT name, group_name, role FROM users WHERE name = ?1");
  if (!find.BindAll(name).Step()) return std::nullopt;
  return UserRecord{find.Text(0), find.Text(1), find.Text(2)};
}

bool Store::CheckPassword(std::string_view name, std::string_view password) {
  std::string hash;
  {
    Lease connection = Acquire();
    Statement& find = connection->Prepare("SELECT password_hash FROM users WHERE name = ?1");
    if (!find.BindAll(name).Step()) return false;
    hash = find.Text(0);
  }
  // Hashing happens after the connection is back in the pool: it is the slow part.
  return VerifyPassword(hash, password);
}

std::optional<std::string> Store::Setting(std::string_view function, std::string_view key) {
  Lease connection = Acquire();
  Statement& find = connection->Prepare("SELECT value FROM settings WHERE function = ?1 AND key = ?2");
  if (!find.BindAll(function, key).Step()) return std::nullopt;
  return find.Text(0);
}

void Store::PutSetting(std::string_view function, std::string_view key, std::string_view value) {
  Lease connection = Acquire();
  connection
      ->Prepare(
          "INSERT INTO settings (function, key, value) VALUES (?1, ?2, ?3) "
          "ON CONFLICT (function, key) DO UPDATE SET value = ?3")
      .BindAll(function, key, value)
      .Run();
}

std::optional<std::string> Store::NextPartNumber(std::string_view prefix) {
  Lease connection = Acquire();
  Transaction transaction(*connection);
  Statement& take = connection->Prepare(
      "UPDATE part_number_counters SET next_value = next_value + 1 WHERE prefix = ?1 "
      "RETURNING next_value - 1, width");
  if (!take.BindAll(prefix).Step()) return std::nullopt;
  std::int64_t value = take.Int(0);
  int width = static_cast<int>(take.Int(1));
  transaction.Commit();
  char digits[32];
  std::snprintf(digits, sizeof digits, "%0*lld", width, static_cast<long long>(value));
  return std::string(prefix) + digits;
}

}  // namespace zelgw
