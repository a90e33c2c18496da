#ifndef TestHttpServer_h
#define TestHttpServer_h
// A loopback HTTP server for the transport tests: listens on 127.0.0.1 on a free port, records every
// request (request line, headers, body) and answers by the scenario it was given, which may also misbehave
// (stay silent, cut the body, reset the connection). Optionally speaks TLS with a certificate issued at
// run time by a private test CA.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <stdexcept>
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
  std::vector<std::string> Values(const std::string& name) const {
    std::vector<std::string> values;
    for (const auto& [key, value] : headers)
      if (strcasecmp(key.c_str(), name.c_str()) == 0) values.push_back(value);
    return values;
  }
  std::string Header(const std::string& name) const {
    std::vector<std::string> values = Values(name);
    return values.empty() ? std::string() : values.front();
  }
};

// One accepted connection, plain or TLS; every wait also ends when the server stops.
class TestConnection {
 public:
  TestConnection(int fd, SSL* ssl, int stopFd) : fd_(fd), ssl_(ssl), stopFd_(stopFd) {}

  bool Write(std::string_view data) {
    while (!data.empty()) {
      int written =
          ssl_ ? SSL_write(ssl_, data.data(), static_cast<int>(std::min<size_t>(data.size(), 1 << 20)))
               : static_cast<int>(send(fd_, data.data(), data.size(), MSG_NOSIGNAL));
      if (written <= 0) {
        // Sends give up after a short wait (SO_SNDTIMEO) so that a client that stops reading cannot
        // keep the server from stopping.
        const bool retry = ssl_ ? SSL_get_error(ssl_, written) == SSL_ERROR_WANT_WRITE
                                : (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK);
        if (retry && !Stopped()) continue;
        return false;
      }
      data.remove_prefix(static_cast<size_t>(written));
    }
    return true;
  }
  // Waits up to ms for more bytes; false on close, error, time-out or stop.
  bool ReadSome(std::string& into, int ms) {
    if (!(ssl_ && SSL_pending(ssl_) > 0) && !WaitReadable(ms)) return false;
    char chunk[16384];
    int n = ssl_ ? SSL_read(ssl_, chunk, sizeof chunk) : static_cast<int>(recv(fd_, chunk, sizeof chunk, 0));
    if (n <= 0) return false;
    into.append(chunk, static_cast<size_t>(n));
    return true;
  }
  // Returns when the client closes the connection or the server stops.
  void WaitForClose() {
    std::string ignored;
    while (ReadSome(ignored, 60000)) ignored.clear();
  }
  // Sleeps, but not past the server's stop.
  void Pause(int ms) {
    pollfd stop{stopFd_, POLLIN, 0};
    poll(&stop, 1, ms);
  }
  // Ends the connection with a reset instead of an orderly close.
  void Reset() {
    linger hard{1, 0};
    setsockopt(fd_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    reset_ = true;
  }
  bool WasReset() const { return reset_; }
  bool Stopped() const {
    pollfd stop{stopFd_, POLLIN, 0};
    return poll(&stop, 1, 0) > 0;
  }

 private:
  bool WaitReadable(int ms) {
    pollfd fds[2] = {{fd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
    int n = poll(fds, 2, ms);
    return n > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) && !(fds[1].revents & POLLIN);
  }
  int fd_;
  SSL* ssl_;
  int stopFd_;
  bool reset_ = false;
};

using Scenario = std::function<void(TestConnection&, const RecordedRequest&)>;

inline std::string HttpReply(int status, const std::string& body, const std::string& type = "application/xml",
                             const std::string& extraHeaders = "") {
  return "HTTP/1.1 " + std::to_string(status) + " Status\r\nContent-Type: " + type +
         "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n" + extraHeaders +
         "\r\n" + body;
}

// Answers every request with the same reply.
inline Scenario Answer(int status, const std::string& body, const std::string& type = "application/xml") {
  return [=](TestConnection& connection, const RecordedRequest&) {
    connection.Write(HttpReply(status, body, type));
  };
}

class TestHttpServer {
 public:
  explicit TestHttpServer(Scenario scenario, SSL_CTX* tls = nullptr)
      : scenario_(std::move(scenario)), tls_(tls) {
    if (pipe(stopPipe_) != 0) throw std::runtime_error("pipe");
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listenFd_, 16) != 0 ||
        getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      throw std::runtime_error("cannot listen on 127.0.0.1");
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~TestHttpServer() {
    if (write(stopPipe_[1], "x", 1) < 0) {
    }
    thread_.join();
    close(listenFd_);
    close(stopPipe_[0]);
    close(stopPipe_[1]);
  }
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  int Port() const { return port_; }
  std::string Url(const std::string& path = "") const {
    return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + path;
  }
  std::vector<RecordedRequest> Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }
  int Connections() const { return connections_.load(); }

 private:
  void Serve() {
    for (;;) {
      pollfd fds[2] = {{listenFd_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
      if (poll(fds, 2, -1) < 0 && errno == EINTR) continue;
      if (fds[1].revents & POLLIN) return;
      if (!(fds[0].revents & POLLIN)) continue;
      int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      ++connections_;
      int on = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
      timeval sendLimit{0, 200000};
      setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);
      Handle(fd);
    }
  }

  void Handle(int fd) {
    SSL* ssl = nullptr;
    if (tls_) {
      ssl = SSL_new(tls_);
      SSL_set_fd(ssl, fd);
      timeval limit{10, 0};
      setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
      if (SSL_accept(ssl) != 1) {
        ERR_clear_error();
        SSL_free(ssl);
        close(fd);
        return;
      }
    }
    TestConnection connection(fd, ssl, stopPipe_[0]);
    RecordedRequest request;
    request.tls = ssl != nullptr;
    if (ReadRequest(connection, request)) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
      }
      scenario_(connection, request);
    }
    if (ssl) {
      if (!connection.WasReset()) SSL_shutdown(ssl);
      SSL_free(ssl);
    }
    close(fd);
  }

  static bool ReadRequest(TestConnection& connection, RecordedRequest& request) {
    std::string data;
    size_t end;
    while ((end = data.find("\r\n\r\n")) == std::string::npos)
      if (!connection.ReadSome(data, 30000)) return false;
    std::string head = data.substr(0, end);
    std::string rest = data.substr(end + 4);
    size_t lineEnd = head.find("\r\n");
    request.requestLine = head.substr(0, lineEnd);
    size_t space = request.requestLine.find(' ');
    request.method = request.requestLine.substr(0, space);
    size_t space2 = request.requestLine.find(' ', space + 1);
    request.target = request.requestLine.substr(space + 1, space2 - space - 1);
    while (lineEnd != std::string::npos) {
      size_t start = lineEnd + 2;
      lineEnd = head.find("\r\n", start);
      std::string line =
          head.substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
      size_t colon = line.find(':');
      if (colon == std::string::npos) continue;
      size_t value = line.find_first_not_of(' ', colon + 1);
      request.headers.emplace_back(line.substr(0, colon),
                                   value == std::string::npos ? "" : line.substr(value));
    }
    const std::string length = request.Header("Content-Length");
    const size_t expected = length.empty() ? 0 : std::stoul(length);
    while (rest.size() < expected)
      if (!connection.ReadSome(rest, 30000)) return false;
    request.body = rest.substr(0, expected);
    return true;
  }

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

// A port on 127.0.0.1 that nothing listens on (bound, then released).
inline int ClosedPort() {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

// A private CA and a server certificate for 127.0.0.1 and localhost that it issued; the CA is written to
// caFile for clients to trust.
class TestCertificates {
 public:
  explicit TestCertificates(const std::string& caFile) {
    EVP_PKEY* caKey = EVP_EC_gen("P-256");
    X509* ca = NewCertificate(caKey, "ZEL Test CA", nullptr, nullptr, 1);
    AddExtension(ca, ca, NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(ca, ca, NID_key_usage, "critical,keyCertSign,cRLSign");
    AddExtension(ca, ca, NID_subject_key_identifier, "hash");
    X509_sign(ca, caKey, EVP_sha256());

    EVP_PKEY* serverKey = EVP_EC_gen("P-256");
    X509* server = NewCertificate(serverKey, "127.0.0.1", ca, caKey, 2);
    AddExtension(server, ca, NID_basic_constraints, "CA:FALSE");
    AddExtension(server, ca, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
    AddExtension(server, ca, NID_ext_key_usage, "serverAuth");
    AddExtension(server, ca, NID_authority_key_identifier, "keyid");
    X509_sign(server, caKey, EVP_sha256());

    FILE* out = std::fopen(caFile.c_str(), "w");
    if (!out || PEM_write_X509(out, ca) != 1) throw std::runtime_error("cannot write " + caFile);
    std::fclose(out);

    context_ = SSL_CTX_new(TLS_server_method());
    if (SSL_CTX_use_certificate(context_, server) != 1 || SSL_CTX_use_PrivateKey(context_, serverKey) != 1)
      throw std::runtime_error("cannot set up the TLS server");
    X509_free(server);
    X509_free(ca);
    EVP_PKEY_free(serverKey);
    EVP_PKEY_free(caKey);
  }
  ~TestCertificates() { SSL_CTX_free(context_); }
  TestCertificates(const TestCertificates&) = delete;
  TestCertificates& operator=(const TestCertificates&) = delete;
  SSL_CTX* ServerContext() const { return context_; }

 private:
  static X509* NewCertificate(EVP_PKEY* key, const char* commonName, X509* issuer, EVP_PKEY*, long serial) {
    X509* certificate = X509_new();
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), serial);
    X509_gmtime_adj(X509_getm_notBefore(certificate), -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate), 86400);
    X509_set_pubkey(certificate, key);
    X509_NAME* name = X509_get_subject_name(certificate);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName),
                               -1, -1, 0);
    X509_set_issuer_name(certificate, issuer ? X509_get_subject_name(issuer) : name);
    return certificate;
  }
  static void AddExtension(X509* certificate, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (!extension) throw std::runtime_error(std::string("bad extension ") + value);
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
  }
  SSL_CTX* context_ = nullptr;
};

}  // namespace zeltest

#endif
