// Connections to one database shared by the worker threads: each is lent to one thread at a time, and at most
// a fixed number are ever open.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "zelgw/Sql.h"

namespace zelgw {

class ConnectionPool {
 public:
  // open makes a new connection when none is idle and fewer than maxConnections are open.
  ConnectionPool(std::function<std::unique_ptr<Connection>()> open, std::size_t maxConnections);
  ConnectionPool(const ConnectionPool&) = delete;
  ConnectionPool& operator=(const ConnectionPool&) = delete;

  // A connection borrowed for the life of the lease. Do not borrow a second one on the same thread while
  // holding a lease: a pool of one connection would wait forever.
  class Lease {
   public:
    Lease(ConnectionPool& pool, std::unique_ptr<Connection> connection);
    ~Lease();
    Lease(Lease&&) = default;
    Connection& operator*() const { return *connection_; }
    Connection* operator->() const { return connection_.get(); }

   private:
    ConnectionPool* pool_;
    std::unique_ptr<Connection> connection_;
  };
  Lease Acquire();

 private:
  void Release(std::unique_ptr<Connection> connection);

  std::function<std::unique_ptr<Connection>()> open_;
  std::size_t maxConnections_;
  std::mutex mutex_;
  std::condition_variable released_;
  std::vector<std::unique_ptr<Connection>> idle_;
  std::size_t opened_ = 0;
};

}  // namespace zelgw
