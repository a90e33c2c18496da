#include "RawHttp.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <poll.h>
#include <signal.h>
#include <strings.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "ZELTestSupport.h"

namespace rawhttp {

int Connect(int port, int receiveTimeoutSeconds) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
  timeval timeout{receiveTimeoutSeconds, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool SendAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = send(fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (n <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

Received ReadToEnd(int fd) {
  Received received;
  char buffer[16384];
  for (;;) {
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n > 0) {
      received.text.append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    received.closed = n == 0;
    received.reset = n < 0 && (errno == ECONNRESET || errno == EPIPE);
    return received;
  }
}

Received Exchange(int port, std::string_view request) {
  Received received;
  int fd = Connect(port);
  if (fd < 0) return received;
  SendAll(fd, request);
  received = ReadToEnd(fd);
  close(fd);
  return received;
}

std::string Post(std::string_view body, std::string_view extraHeaders, std::string_view target) {
  std::string request = "POST " + std::string(target) + " HTTP/1.1\r\nHost: gateway\r\n";
  request += extraHeaders;
  request += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  request += body;
  return request;
}

std::vector<Reply> SplitReplies(std::string_view text) {
  std::vector<Reply> replies;
  while (text.starts_with("HTTP/1.")) {
    std::size_t headEnd = text.find("\r\n\r\n");
    if (headEnd == std::string_view::npos || text.size() < 12) break;
    Reply reply;
    std::from_chars(text.data() + 9, text.data() + 12, reply.status);
    reply.head = std::string(text.substr(0, headEnd));
    std::size_t at = 0;
    std::size_t length = std::string_view::npos;
    while ((at = reply.head.find("\r\n", at)) != std::string::npos) {
      at += 2;
      if (strncasecmp(reply.head.c_str() + at, "Content-Length:", 15) == 0) {
        const char* digits = reply.head.c_str() + at + 15;
        while (*digits == ' ') ++digits;
        std::size_t value = 0;
        std::from_chars(digits, reply.head.c_str() + reply.head.size(), value);
        length = value;
      }
    }
    if (length == std::string_view::npos || text.size() < headEnd + 4 + length) break;
    reply.body = std::string(text.substr(headEnd + 4, length));
    replies.push_back(std::move(reply));
    text.remove_prefix(headEnd + 4 + length);
  }
  return replies;
}

std::size_t StreamEndlessHead(int port, std::size_t total, std::string* reply) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  int small = 16 * 1024;
  setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return 0;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  std::string piece = "POST /ZELRequest HTTP/1.1\r\nHost: gateway\r\nX-Endless: ";
  const std::string filler(16 * 1024, 'a');
  std::size_t sent = 0, pending = 0;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  bool open = true;
  while (open && sent < total && std::chrono::steady_clock::now() < deadline) {
    pollfd entry{fd, POLLIN | POLLOUT, 0};
    if (poll(&entry, 1, 1000) <= 0) continue;
    if (entry.revents & (POLLIN | POLLERR | POLLHUP)) break;
    ssize_t n = send(fd, piece.data() + pending, piece.size() - pending, MSG_NOSIGNAL);
    if (n < 0) {
      open = errno == EAGAIN || errno == EINTR;
      continue;
    }
    sent += static_cast<std::size_t>(n);
    pending += static_cast<std::size_t>(n);
    if (pending == piece.size()) {
      piece = filler;
      pending = 0;
    }
  }
  if (reply) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    timeval timeout{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    *reply = ReadToEnd(fd).text;
  }
  close(fd);
  return sent;
}

bool WriteSelfSignedCertificate(const std::string& certFile, const std::string& keyFile) {
  EVP_PKEY* key = EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256");
  if (!key) return false;
  X509* cert = X509_new();
  X509_set_version(cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
  X509_gmtime_adj(X509_getm_notBefore(cert), -60);
  X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
  X509_set_pubkey(cert, key);
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"),
                             -1, -1, 0);
  X509_set_issuer_name(cert, name);
  bool written = X509_sign(cert, key, EVP_sha256()) > 0;
  if (FILE* out = written ? std::fopen(certFile.c_str(), "w") : nullptr) {
    written = PEM_write_X509(out, cert) == 1;
    std::fclose(out);
  } else {
    written = false;
  }
  if (FILE* out = written ? std::fopen(keyFile.c_str(), "w") : nullptr) {
    written = PEM_write_PrivateKey(out, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
    std::fclose(out);
  } else {
    written = false;
  }
  X509_free(cert);
  EVP_PKEY_free(key);
  return written;
}

bool EnsureDescriptors(unsigned long wanted) {
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) != 0) return false;
  if (files.rlim_cur >= wanted) return true;
  if (files.rlim_max < wanted) return false;
  files.rlim_cur = wanted;
  return setrlimit(RLIMIT_NOFILE, &files) == 0;
}

GatewayProcess::GatewayProcess(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), {zeltest::RuntimeProgram("ZELGateway").string(), "--port", "0"});
  process_ = std::make_unique<zeltest::ChildProcess>(arguments);
  const std::string marker = "ZELGateway listening on http";
  while (std::optional<std::string> line = process_->ReadLine()) {
    output_ += *line + "\n";
    if (line->rfind(marker, 0) != 0) continue;
    std::size_t colon = line->find(':', line->find("//") + 2);
    if (colon != std::string::npos) port_ = std::atoi(line->c_str() + colon + 1);
    return;
  }
}

}  // namespace rawhttp
