#ifndef TestHttpServer_h
#define TestHttpServer_h
// A loopback HTTP server for the transport tests and benchmarks: listens on 127.0.0.1 on a free port,
// records every request (request line, headers, body) and answers by the scenario it was given, which may
// also misbehave (stay silent, cut the body, reset the connection). Optionally speaks TLS with a certificate
// issued at run time by a private test CA. Connections are served one at a time.
#include <openssl/ssl.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace zeltest {

struct RecordedRequest {
  std::string requestLine;
  std::string method;
  std::string target;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  bool tls = false;

  // The values of a header, case-insensitive by name, in the order sent.
  std::vector<std::string> Values(const std::string& name) const;
  std::string Header(const std::string& name) const;  // the first value, or empty
};

// One accepted connection, plain or TLS; every wait also ends when the server stops.
class TestConnection {
 public:
  TestConnection(int fd, SSL* ssl, int stopFd) : fd_(fd), ssl_(ssl), stopFd_(stopFd) {}

  bool Write(std::string_view data);
  // Waits up to ms for more bytes; false on close, error, time-out or stop.
  bool ReadSome(std::string& into, int ms);
  // Returns when the client closes the connection or the server stops.
  void WaitForClose();
  // Sleeps, but not past the server's stop.
  void Pause(int ms);
  // Ends the connection with a reset instead of an orderly close.
  void Reset();
  bool WasReset() const { return reset_; }
  bool Stopped() const;

 private:
  bool WaitReadable(int ms);
  int fd_;
  SSL* ssl_;
  int stopFd_;
  bool reset_ = false;
};

using Scenario = std::function<void(TestConnection&, const RecordedRequest&)>;

std::string HttpReply(int status, const std::string& body, const std::string& type = "application/xml",
                      const std::string& extraHeaders = "");

// Answers every request with the same reply.
Scenario Answer(int status, const std::string& body, const std::string& type = "application/xml");

class TestHttpServer {
 public:
  // A request head beyond this, or a body announced beyond kMaxBody, is not recorded: the connection is
  // closed without an answer.
  static constexpr size_t kMaxHead = 64 * 1024;
  static constexpr size_t kMaxBody = 64 * 1024 * 1024;

  explicit TestHttpServer(Scenario scenario, SSL_CTX* tls = nullptr);
  ~TestHttpServer();
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  int Port() const { return port_; }
  std::string Url(const std::string& path = "") const;
  std::vector<RecordedRequest> Requests() const;
  int Connections() const { return connections_.load(); }

 private:
  void Serve();
  void Handle(int fd);
  void Close();

  Scenario scenario_;
  SSL_CTX* tls_;
  int listenFd_ = -1;
  int stopPipe_[2] = {-1, -1};
  int port_ = 0;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<RecordedRequest> requests_;
  std::atomic<int> connections_{0};
};

// A socket on 127.0.0.1 that listens but never accepts: the kernel completes connections and buffers what
// clients send until its buffers are full.
class IdleListener {
 public:
  IdleListener();
  ~IdleListener();
  IdleListener(const IdleListener&) = delete;
  IdleListener& operator=(const IdleListener&) = delete;
  int Port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

// A private CA and a server certificate for 127.0.0.1 and localhost that it issued; the CA is written to
// caFile for clients to trust.
class TestCertificates {
 public:
  explicit TestCertificates(const std::string& caFile);
  ~TestCertificates();
  TestCertificates(const TestCertificates&) = delete;
  TestCertificates& operator=(const TestCertificates&) = delete;
  SSL_CTX* ServerContext() const { return context_; }

 private:
  SSL_CTX* context_ = nullptr;
};

}  // namespace zeltest

#endif
