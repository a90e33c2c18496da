#include "ServiceManagerLink.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>

bool ServiceManagerLink::Requested() {
  const char* path = std::getenv("NOTIFY_SOCKET");
  return path && *path;
}

ServiceManagerLink::~ServiceManagerLink() {
  if (fd_ >= 0) ::close(fd_);
}

int ServiceManagerLink::Connect() {
  const char* path = std::getenv("NOTIFY_SOCKET");
  if (!path || !*path) return ENOENT;
  std::size_t length = std::strlen(path);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  // A path (absolute) or an abstract name ("@name"); nothing else, and nothing the address cannot hold.
  if ((path[0] != '/' && path[0] != '@') || length >= sizeof address.sun_path) return EINVAL;
  std::memcpy(address.sun_path, path, length);
  if (path[0] == '@') address.sun_path[0] = '\0';
  fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return errno;
  socklen_t size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + length);
  if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), size) != 0) {
    int error = errno;
    ::close(fd_);
    fd_ = -1;
    return error;
  }
  return 0;
}

int ServiceManagerLink::Notify(const std::string& report) const {
  if (fd_ < 0) return ENOTCONN;
  if (::send(fd_, report.data(), report.size(), MSG_NOSIGNAL) < 0) return errno;
  return 0;
}
