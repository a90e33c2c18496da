#include "TestHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace zeltest {

std::vector<std::string> RecordedRequest::Values(const std::string& name) const {
  std::vector<std::string> values;
  for (const auto& [key, value] : headers)
    if (strcasecmp(key.c_str(), name.c_str()) == 0) values.push_back(value);
  return values;
}

std::string RecordedRequest::Header(const std::string& name) const {
  std::vector<std::string> values = Values(name);
  return values.empty() ? std::string() : values.front();
}

bool TestConnection::Write(std::string_view data) {
  while (!data.empty()) {
    int written = ssl_
                      ? SSL_write(ssl_, data.data(), static_cast<int>(std::min<size_t>(data.size(), 1 << 20)))
                      : static_cast<int>(send(fd_, data.data(), data.size(), MSG_NOSIGNAL));
    if (written <= 0) {
      // Sends give up after a short wait (SO_SNDTIMEO) so that a client that stops reading cannot keep the
      // server from stopping.
      const bool retry = ssl_ ? SSL_get_error(ssl_, written) == SSL_ERROR_WANT_WRITE
                              : (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK);
      if (retry && !Stopped()) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

bool TestConnection::ReadSome(std::string& into, int ms) {
  if (!(ssl_ && SSL_pending(ssl_) > 0) && !WaitReadable(ms)) return false;
  char chunk[16384];
  int n = ssl_ ? SSL_read(ssl_, chunk, sizeof chunk) : static_cast<int>(recv(fd_, chunk, sizeof chunk, 0));
  if (n <= 0) return false;
  into.append(chunk, static_cast<size_t>(n));
  return true;
}

void TestConnection::WaitForClose() {
  std::string ignored;
  while (ReadSome(ignored, 60000)) ignored.clear();
}

void TestConnection::Pause(int ms) {
  pollfd stop{stopFd_, POLLIN, 0};
  poll(&stop, 1, ms);
}

void TestConnection::Reset() {
  linger hard{1, 0};
  setsockopt(fd_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  reset_ = true;
}

bool TestConnection::Stopped() const {
  pollfd stop{stopFd_, POLLIN, 0};
  return poll(&stop, 1, 0) > 0;
}

bool TestConnection::WaitReadable(int ms) {
  pollfd fds[2] = {{fd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
  int n = poll(fds, 2, ms);
  return n > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) && !(fds[1].revents & POLLIN);
}

std::string HttpReply(int status, const std::string& body, const std::string& type,
                      const std::string& extraHeaders) {
  return "HTTP/1.1 " + std::to_string(status) + " Status\r\nContent-Type: " + type +
         "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n" + extraHeaders +
         "\r\n" + body;
}

Scenario Answer(int status, const std::string& body, const std::string& type) {
  return [reply = HttpReply(status, body, type)](TestConnection& connection, const RecordedRequest&) {
    connection.Write(reply);
  };
}

namespace {

// The request head and body; false for a connection that ends early or sends what no client would.
bool ReadRequest(TestConnection& connection, RecordedRequest& request) {
  std::string data;
  size_t end;
  while ((end = data.find("\r\n\r\n")) == std::string::npos) {
    if (data.size() > TestHttpServer::kMaxHead || !connection.ReadSome(data, 30000)) return false;
  }
  if (end > TestHttpServer::kMaxHead) return false;
  std::string head = data.substr(0, end);
  std::string rest = data.substr(end + 4);
  size_t lineEnd = head.find("\r\n");
  request.requestLine = head.substr(0, lineEnd);
  size_t space = request.requestLine.find(' ');
  if (space == std::string::npos) return false;
  request.method = request.requestLine.substr(0, space);
  size_t space2 = request.requestLine.find(' ', space + 1);
  request.target = request.requestLine.substr(
      space + 1, space2 == std::string::npos ? std::string::npos : space2 - space - 1);
  while (lineEnd != std::string::npos) {
    size_t start = lineEnd + 2;
    lineEnd = head.find("\r\n", start);
    std::string line = head.substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
    size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    size_t value = line.find_first_not_of(' ', colon + 1);
    request.headers.emplace_back(line.substr(0, colon), value == std::string::npos ? "" : line.substr(value));
  }
  size_t expected = 0;
  const std::string length = request.Header("Content-Length");
  if (!length.empty()) {
    auto [next, error] = std::from_chars(length.data(), length.data() + length.size(), expected);
    if (error != std::errc() || next != length.data() + length.size() || expected > TestHttpServer::kMaxBody)
      return false;
  }
  while (rest.size() < expected)
    if (!connection.ReadSome(rest, 30000)) return false;
  request.body = rest.substr(0, expected);
  return true;
}

}  // namespace

TestHttpServer::TestHttpServer(Scenario scenario, SSL_CTX* tls) : scenario_(std::move(scenario)), tls_(tls) {
  if (pipe2(stopPipe_, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int on = 1;
  setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listenFd_, 16) != 0 ||
      getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    Close();
    throw std::runtime_error("cannot listen on 127.0.0.1");
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

TestHttpServer::~TestHttpServer() {
  if (write(stopPipe_[1], "x", 1) < 0) {
  }
  thread_.join();
  Close();
}

void TestHttpServer::Close() {
  for (int fd : {listenFd_, stopPipe_[0], stopPipe_[1]})
    if (fd >= 0) close(fd);
}

std::string TestHttpServer::Url(const std::string& path) const {
  return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<RecordedRequest> TestHttpServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void TestHttpServer::Serve() {
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

void TestHttpServer::Handle(int fd) {
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

IdleListener::IdleListener() {
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(fd_, 1) != 0 || getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (fd_ >= 0) close(fd_);
    throw std::runtime_error("cannot listen on 127.0.0.1");
  }
  port_ = ntohs(address.sin_port);
}

IdleListener::~IdleListener() {
  close(fd_);
}

namespace {

struct Freer {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
  void operator()(X509* certificate) const { X509_free(certificate); }
};
using Key = std::unique_ptr<EVP_PKEY, Freer>;
using Certificate = std::unique_ptr<X509, Freer>;

Certificate NewCertificate(EVP_PKEY* key, const char* commonName, X509* issuer, long serial) {
  Certificate certificate(X509_new());
  if (!certificate) throw std::runtime_error("X509_new");
  X509_set_version(certificate.get(), 2);
  ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), serial);
  X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -3600);
  X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 86400);
  X509_set_pubkey(certificate.get(), key);
  X509_NAME* name = X509_get_subject_name(certificate.get());
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName), -1,
                             -1, 0);
  X509_set_issuer_name(certificate.get(), issuer ? X509_get_subject_name(issuer) : name);
  return certificate;
}

void AddExtension(X509* certificate, X509* issuer, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  if (!extension) throw std::runtime_error(std::string("bad extension ") + value);
  X509_add_ext(certificate, extension, -1);
  X509_EXTENSION_free(extension);
}

}  // namespace

TestCertificates::TestCertificates(const std::string& caFile) {
  Key caKey(EVP_EC_gen("P-256"));
  Key serverKey(EVP_EC_gen("P-256"));
  if (!caKey || !serverKey) throw std::runtime_error("cannot generate test keys");
  Certificate ca = NewCertificate(caKey.get(), "ZEL Test CA", nullptr, 1);
  AddExtension(ca.get(), ca.get(), NID_basic_constraints, "critical,CA:TRUE");
  AddExtension(ca.get(), ca.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
  AddExtension(ca.get(), ca.get(), NID_subject_key_identifier, "hash");
  X509_sign(ca.get(), caKey.get(), EVP_sha256());

  Certificate server = NewCertificate(serverKey.get(), "127.0.0.1", ca.get(), 2);
  AddExtension(server.get(), ca.get(), NID_basic_constraints, "CA:FALSE");
  AddExtension(server.get(), ca.get(), NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
  AddExtension(server.get(), ca.get(), NID_ext_key_usage, "serverAuth");
  AddExtension(server.get(), ca.get(), NID_authority_key_identifier, "keyid");
  X509_sign(server.get(), caKey.get(), EVP_sha256());

  FILE* out = std::fopen(caFile.c_str(), "w");
  const bool written = out && PEM_write_X509(out, ca.get()) == 1;
  if (out) std::fclose(out);
  if (!written) throw std::runtime_error("cannot write " + caFile);

  context_ = SSL_CTX_new(TLS_server_method());
  if (!context_ || SSL_CTX_use_certificate(context_, server.get()) != 1 ||
      SSL_CTX_use_PrivateKey(context_, serverKey.get()) != 1) {
    SSL_CTX_free(context_);
    throw std::runtime_error("cannot set up the TLS server");
  }
}

TestCertificates::~TestCertificates() {
  SSL_CTX_free(context_);
}

}  // namespace zeltest
