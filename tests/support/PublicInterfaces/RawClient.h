#ifndef RawClient_h
#define RawClient_h
// A plain TCP client for what a well-behaved WebSocket library will not send: silence, garbage, half-open
// connections, frames of any shape. Every read and write is bounded by a time-out.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

class RawClient {
 public:
  explicit RawClient(int port, int timeoutSeconds = 30)
      : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    timeval wait{timeoutSeconds, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    connected_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  }
  ~RawClient() { Close(); }
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  bool Connected() const { return connected_; }
  bool Send(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }
  void ShutdownWrite() { ::shutdown(fd_, SHUT_WR); }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  // Reads until the text has arrived (true), or the peer closed or the time-out passed (false).
  bool ReadUntil(const std::string& text) {
    while (received_.find(text) == std::string::npos)
      if (!ReadSome()) return false;
    return true;
  }
  // Reads until the peer closes; false when the time-out passed first.
  bool ReadUntilClosed() {
    char buffer[4096];
    while (true) {
      ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
      if (n == 0) return true;
      if (n < 0) return errno == ECONNRESET;
      received_.append(buffer, static_cast<std::size_t>(n));
    }
  }
  const std::string& Received() const { return received_; }

  // A valid upgrade request, with extra header lines if given.
  static std::string UpgradeRequest(const std::string& extra = {}) {
    return "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
           "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n" +
           extra + "\r\n";
  }
  // A client frame: masked unless told otherwise; length is the one announced (default: the payload's).
  static std::string Frame(std::uint8_t opcode, const std::string& payload, bool fin = true,
                           bool masked = true, std::uint64_t length = UINT64_MAX) {
    if (length == UINT64_MAX) length = payload.size();
    std::string frame;
    frame.push_back(static_cast<char>((fin ? 0x80 : 0) | opcode));
    std::uint8_t mask = masked ? 0x80 : 0;
    if (length < 126) {
      frame.push_back(static_cast<char>(mask | length));
    } else if (length <= 0xFFFF) {
      frame.push_back(static_cast<char>(mask | 126));
      for (int shift = 8; shift >= 0; shift -= 8)
        frame.push_back(static_cast<char>((length >> shift) & 0xFF));
    } else {
      frame.push_back(static_cast<char>(mask | 127));
      for (int shift = 56; shift >= 0; shift -= 8)
        frame.push_back(static_cast<char>((length >> shift) & 0xFF));
    }
    const std::uint8_t key[4] = {0x37, 0xFA, 0x21, 0x3D};
    if (masked) frame.append(reinterpret_cast<const char*>(key), 4);
    for (std::size_t i = 0; i < payload.size(); ++i)
      frame.push_back(masked ? static_cast<char>(payload[i] ^ key[i % 4]) : payload[i]);
    return frame;
  }

 private:
  bool ReadSome() {
    char buffer[4096];
    ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    received_.append(buffer, static_cast<std::size_t>(n));
    return true;
  }

  int fd_;
  bool connected_ = false;
  std::string received_;
};

#endif
