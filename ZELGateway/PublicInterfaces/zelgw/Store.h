// The PDM store behind the gateway: one SQLite file in WAL mode, private to its owner, shared by the worker
// threads through a connection pool. The records are read and written through one repository per kind
// (zelgw/UserRepository.h, zelgw/SettingRepository.h, zelgw/PartNumberRepository.h, ...), each made on a
// Store when needed; handlers use those and never SQL.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "zelgw/ConnectionPool.h"
#include "zelgw/Sql.h"

namespace zelgw {

struct StoreOptions {
  // Whether a missing file becomes a new store; otherwise opening it fails.
  bool create = true;
};

class Store {
 public:
  // Opens or creates the store and brings its schema up to date. A new store gets the schema and the demo
  // data set without any user. A file that is not a gateway store (another application's database, or no
  // SQLite database at all) is refused with StoreError and left as it is. New files, -wal and -shm included,
  // are readable and writable by their owner only. ":memory:" gives a private store that lives as long as
  // this object.
  explicit Store(std::string path, StoreOptions options = {});
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  const std::string& Path() const { return path_; }
  // Whether this open created the schema.
  bool Created() const { return created_; }
  int SchemaVersion();

  // A connection borrowed from the pool for the life of the lease. Repositories borrow one per call, so do
  // not call them while holding a lease: a memory store has a single connection and would wait forever.
  using Lease = ConnectionPool::Lease;
  Lease Acquire() { return pool_->Acquire(); }

  // Replaces every row with the demo data set, demo users and their well-known passwords included, in one
  // transaction.
  void Seed();

  // The client's PLM database that transfers to 3DEXPERIENCE write into; empty when the gateway serves none.
  // Set before serving: the handlers read it without a lock.
  void SetPlmDatabasePath(std::string path) { plmDatabasePath_ = std::move(path); }
  const std::string& PlmDatabasePath() const { return plmDatabasePath_; }

 private:
  std::string path_;
  bool created_ = false;
  std::unique_ptr<ConnectionPool> pool_;
  std::string plmDatabasePath_;
};

}  // namespace zelgw
