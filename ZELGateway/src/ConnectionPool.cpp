#include "zelgw/ConnectionPool.h"

#include <utility>

namespace zelgw {

ConnectionPool::Lease::Lease(ConnectionPool& pool, std::unique_ptr<Connection> connection)
    : pool_(&pool), connection_(std::move(connection)) {}

ConnectionPool::Lease::~Lease() {
  if (connection_) pool_->Release(std::move(connection_));
}

ConnectionPool::ConnectionPool(std::function<std::unique_ptr<Connection>()> open, std::size_t maxConnections)
    : open_(std::move(open)), maxConnections_(maxConnections) {}

ConnectionPool::Lease ConnectionPool::Acquire() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    if (!idle_.empty()) {
      std::unique_ptr<Connection> connection = std::move(idle_.back());
      idle_.pop_back();
      return Lease(*this, std::move(connection));
    }
    if (opened_ < maxConnections_) {
      ++opened_;
      lock.unlock();
      try {
        return Lease(*this, open_());
      } catch (...) {
        lock.lock();
        --opened_;
        released_.notify_one();
        throw;
      }
    }
    released_.wait(lock);
  }
}

void ConnectionPool::Release(std::unique_ptr<Connection> connection) {
  // A statement left stepping would pin its read snapshot for whoever borrows the connection next.
  connection->ResetStatements();
  std::lock_guard<std::mutex> lock(mutex_);
  idle_.push_back(std::move(connection));
  released_.notify_one();
}

}  // namespace zelgw
