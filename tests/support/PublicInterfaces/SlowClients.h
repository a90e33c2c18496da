#ifndef SlowClients_h
#define SlowClients_h
// Connections to a loopback server that never finish their request: each sends its opening text, then one
// more byte every 100 ms until the object goes away. What a slow or hostile client does to hold a server.
#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace zeltest {

class SlowClients {
 public:
  // opening(i) is what connection i sends first; connections that cannot be made are left out.
  SlowClients(int port, int count, const std::function<std::string(int)>& opening);
  ~SlowClients();
  SlowClients(const SlowClients&) = delete;
  SlowClients& operator=(const SlowClients&) = delete;

  std::size_t Connected() const { return fds_.size(); }
  // How many of them the server has closed.
  std::size_t ClosedByServer() const;

 private:
  std::vector<int> fds_;
  std::atomic<bool> stop_{false};
  std::thread dripper_;
};

}  // namespace zeltest

#endif
