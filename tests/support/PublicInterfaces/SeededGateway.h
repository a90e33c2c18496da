#ifndef SeededGateway_h
#define SeededGateway_h
// The reference gateway of the runtime tree on a free loopback port, with a fresh seeded demo store and its
// log in a private directory; stopped at scope end.
#include <filesystem>
#include <string>

#include "ChildProcess.h"
#include "ZELTestSupport.h"

namespace zeltest {

class SeededGateway {
 public:
  explicit SeededGateway(std::string_view prefix = "zel-gateway");
  SeededGateway(const SeededGateway&) = delete;
  SeededGateway& operator=(const SeededGateway&) = delete;

  // 0 when the gateway did not start.
  int Port() const { return port_; }
  // "http://127.0.0.1:<port>/", the base its requests go to (ZEL_SERVER_URL); empty when it did not start.
  std::string Url() const;
  const std::filesystem::path& Dir() const { return dir_.Path(); }

 private:
  TempDir dir_;
  ChildProcess process_;
  int port_ = 0;
};

}  // namespace zeltest

#endif
