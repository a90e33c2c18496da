#include "SlowClients.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace zeltest {

SlowClients::SlowClients(int port, int count, const std::function<std::string(int)>& opening) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  for (int i = 0; i < count; ++i) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) continue;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      close(fd);
      continue;
    }
    std::string text = opening(i);
    for (std::size_t sent = 0; sent < text.size();) {
      ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
    fds_.push_back(fd);
  }
  dripper_ = std::thread([this] {
    while (!stop_) {
      for (int fd : fds_) send(fd, "a", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  });
}

SlowClients::~SlowClients() {
  stop_ = true;
  dripper_.join();
  for (int fd : fds_) close(fd);
}

std::size_t SlowClients::ClosedByServer() const {
  std::size_t closed = 0;
  for (int fd : fds_) {
    pollfd entry{fd, POLLIN, 0};
    char byte;
    if (poll(&entry, 1, 0) == 1 && recv(fd, &byte, 1, MSG_DONTWAIT | MSG_PEEK) <= 0) ++closed;
  }
  return closed;
}

}  // namespace zeltest
