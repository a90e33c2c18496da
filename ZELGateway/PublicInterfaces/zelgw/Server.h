// The gateway's HTTP side: POST on any target under the base path that ends in "ZELRequest" goes to the
// gateway; everything else is refused without reaching it. Worker threads come from cpp-httplib's pool.
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
  std::string certFile;  // both set: the server speaks TLS
  std::string keyFile;
  std::size_t threads = 8;
};

class GatewayServer {
 public:
  // Throws std::invalid_argument for an unusable base path, thread count or half a TLS configuration.
  GatewayServer(const Gateway& gateway, ServerOptions options, RequestLog* log = nullptr);
  ~GatewayServer();
  GatewayServer(const GatewayServer&) = delete;
  GatewayServer& operator=(const GatewayServer&) = delete;

  // Binds and starts serving; returns once connections are accepted. Throws std::runtime_error when the
  // address cannot be bound or the TLS files cannot be loaded.
  void Start();
  // Stops accepting, lets the requests in progress finish and joins the worker threads. Safe to call twice.
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
