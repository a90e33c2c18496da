// The gateway's HTTP side: POST on any target under the base path that ends in "ZELRequest" goes to the
// gateway; everything else is refused without reaching it. A few event threads serve every connection, so a
// client that is slow or silent costs a connection slot and a little memory, never a thread.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "zelgw/Gateway.h"
#include "zelgw/RequestLog.h"

namespace zelgw {

struct ServerOptions {
  std::string bindAddress = "127.0.0.1";
  int port = 0;  // 0 picks a free port
  std::string basePath = "/";
  std::string certFile;  // both set: the server speaks TLS (1.2 and 1.3 only)
  std::string keyFile;
  std::size_t threads = 8;  // event threads; each one serves many connections
  unsigned maxConnections = 2000;
  unsigned maxConnectionsPerAddress = 100;  // 0: no limit per client address
  // A connection that sends nothing for this long is closed.
  unsigned idleTimeoutSeconds = 15;
  // Each request, from its first byte (or the TLS handshake) to the last byte of its reply, must be done in
  // this time; dripping bytes does not extend it. Time spent running the function is not counted.
  unsigned requestDeadlineSeconds = 30;
  // The request line and headers must fit in this many bytes and header lines; larger heads are refused
  // before the rest of them is read.
  std::size_t maxHeadBytes = 64 * 1024;
  std::size_t maxHeaderLines = 100;
  // Request bodies held by all connections together; beyond it a request is refused with 503 while its body
  // arrives. At least the gateway's largest body.
  std::size_t maxBufferedBodyBytes = 256u * 1024 * 1024;
};

class GatewayServer {
 public:
  // Throws std::invalid_argument for an unusable base path, thread count, limit or half a TLS configuration.
  GatewayServer(const Gateway& gateway, ServerOptions options, RequestLog* log = nullptr);
  ~GatewayServer();
  GatewayServer(const GatewayServer&) = delete;
  GatewayServer& operator=(const GatewayServer&) = delete;

  // Binds and starts serving; returns once connections are accepted. Throws std::runtime_error when the
  // address cannot be bound or the TLS files cannot be loaded.
  void Start();
  // Stops accepting, lets the functions in progress finish, drops every connection and joins the threads.
  // Takes as long as the slowest function in progress, whatever the clients do. Safe to call twice.
  void Stop();
  bool Running() const;

  int Port() const;
  bool Secure() const;
  // Where clients post: "http(s)://HOST:PORT<base>ZELRequest".
  std::string Url() const;

  // "/" + path + "/" without doubled slashes; throws std::invalid_argument for blanks, '?' or '#'.
  static std::string NormalizeBasePath(std::string_view path);
  bool IsGatewayTarget(std::string_view path) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zelgw
