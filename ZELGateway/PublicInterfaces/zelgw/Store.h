// The PDM store behind the gateway: one SQLite file in WAL mode, shared by the worker threads through a pool
// of connections (a connection serves one thread at a time). Values only ever reach SQL as bound parameters.
#pragma once

#include <sqlite3.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zelgw {

class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Statement {
 public:
  Statement(sqlite3* db, std::string_view sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, std::string_view value);
  Statement& Bind(int index, const char* value) { return Bind(index, std::string_view(value)); }
  Statement& Bind(int index, const std::string& value) { return Bind(index, std::string_view(value)); }
  Statement& Bind(int index, std::int64_t value);
  Statement& Bind(int index, int value) { return Bind(index, static_cast<std::int64_t>(value)); }
  Statement& Bind(int index, double value);
  Statement& Bind(int index, std::nullptr_t);
  // Binds the values to ?1, ?2, ... in order.
  template <typename... Values>
  Statement& BindAll(const Values&... values) {
    int index = 0;
    (Bind(++index, values), ...);
    return *this;
  }

  // Advances to the next row; false when there is none left.
  bool Step();
  // Steps to the end, for statements that return no rows.
  void Run();
  // Ready for another execution, with every parameter unbound.
  void Reset();

  std::string Text(int column) const;
  std::int64_t Int(int column) const;
  double Real(int column) const;
  bool IsNull(int column) const;
  int Columns() const;

 private:
  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
};

class Connection {
 public:
  explicit Connection(const std::string& path);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // A prepared statement for this SQL, compiled once per connection and handed out reset and unbound. Use one
  // at a time per SQL text: the next Prepare of the same text resets it.
  Statement& Prepare(std::string_view sql);
  // Fixed SQL only (schema, transactions); values go through Prepare and Bind.
  void Execute(const char* sql);
  std::int64_t LastInsertId() const;
  // Ends every statement still stepping, so no read snapshot outlives its use.
  void ResetStatements();

 private:
  sqlite3* db_ = nullptr;
  std::unordered_map<std::string, std::unique_ptr<Statement>> statements_;
};

// BEGIN IMMEDIATE: a writer waits on the busy timeout up front instead of failing later when a read
// transaction would have to be upgraded. Rolls back unless committed.
class Transaction {
 public:
  explicit Transaction(Connection& connection);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit();

 private:
  Connection& connection_;
  bool open_ = true;
};

struct UserRecord {
  std::string name;
  std::string group;
  std::string role;

  bool operator==(const UserRecord&) const = default;
};

class Store {
 public:
  static constexpr int kSchemaVersion = 1;

  // Opens or creates the store and brings its schema up to date; a store created here gets the demo data.
  // ":memory:" gives a private store that lives as long as this object.
  explicit Store(std::string path);
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  const std::string& Path() const { return path_; }
  // Whether this open created the schema (and seeded it).
  bool Created() const { return created_; }
  int SchemaVersion();

  // A connection borrowed from the pool for the life of the lease. The accessors below borrow one too, so do
  // not call them while holding a lease: a memory store has a single connection and would wait forever.
  class Lease {
   public:
    Lease(Store& store, std::unique_ptr<Connection> connection);
    ~Lease();
    Lease(Lease&&) = default;
    Connection& operator*() const { return *connection_; }
    Connection* operator->() const { return connection_.get(); }

   private:
    Store* store_;
    std::unique_ptr<Connection> connection_;
  };
  Lease Acquire();

  // Replaces every row with the demo data set, in one transaction.
  void Seed();

  // Inserts or replaces a user; the password is kept as a salted PBKDF2 hash.
  void PutUser(const UserRecord& user, std::string_view password);
  std::optional<UserRecord> FindUser(std::string_view name);
  bool CheckPassword(std::string_view name, std::string_view password);

  std::optional<std::string> Setting(std::string_view function, std::string_view key);
  void PutSetting(std::string_view function, std::string_view key, std::string_view value);

  // The next number of a counter, as the prefix followed by the value zero-padded to the counter's width;
  // nothing when the prefix has no counter. Each number is handed out once, also across threads and
  // processes.
  std::optional<std::string> NextPartNumber(std::string_view prefix);

 private:
  void Release(std::unique_ptr<Connection> connection);

  std::string path_;
  bool created_ = false;
  std::size_t maxConnections_;
  std::mutex mutex_;
  std::condition_variable released_;
  std::vector<std::unique_ptr<Connection>> idle_;
  std::size_t open_ = 0;
};

// Opaque and stable identifier of a revision, as PDM systems hand out for their objects.
std::string MakeObjectId(std::string_view itemId, std::string_view revision);

// Schema creation and upgrades, applied inside the caller's transaction; true when the store was empty.
bool MigrateSchema(Connection& connection);
// Fills an emptied store with the demo data set, inside the caller's transaction.
void SeedDemoData(Connection& connection);

}  // namespace zelgw
