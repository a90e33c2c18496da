// The thin SQLite layer under the store: prepared statements with bound parameters, one connection per thread
// at a time, and write transactions. Values only ever reach SQL as bound parameters.
#pragma once

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

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
  // Rows changed by the last INSERT, UPDATE or DELETE of the connection.
  std::int64_t Changes() const;

 private:
  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
};

class Connection {
 public:
  enum class Access {
    // Reads and writes an existing file (the store creates its files itself, with their permissions), or a
    // private memory database for ":memory:".
    ReadWrite,
    // Reads the file as it lies, without locks, journals or side files: for looking at a file before it is
    // known to be ours. Changes made meanwhile by others may go unseen.
    Inspect,
  };
  explicit Connection(const std::string& path, Access access = Access::ReadWrite);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // A prepared statement for this SQL, compiled once per connection and handed out reset and unbound. Use one
  // at a time per SQL text: the next Prepare of the same text resets it.
  Statement& Prepare(std::string_view sql);
  // Fixed SQL only (schema, transactions, pragmas); values go through Prepare and Bind.
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

// A read transaction (plain BEGIN), so several reads see one state of the store while others write; always
// rolled back, as it writes nothing.
class ReadSnapshot {
 public:
  explicit ReadSnapshot(Connection& connection);
  ~ReadSnapshot();
  ReadSnapshot(const ReadSnapshot&) = delete;
  ReadSnapshot& operator=(const ReadSnapshot&) = delete;

 private:
  Connection& connection_;
};

}  // namespace zelgw
