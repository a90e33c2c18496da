#include "CATBackboneSocket.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "CATICommunicator.h"

namespace {

struct SocketName {
  std::string path;
  std::string stamp;  // 20 digits: compares as a number
  unsigned long long pid = 0;
};

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "<stamp>.<pid>.sock" after the application's "<application>."
bool ParseTail(std::string_view tail, SocketName& name) {
  constexpr std::string_view kSuffix = ".sock";
  if (tail.size() <= 21 + kSuffix.size() || tail.substr(tail.size() - kSuffix.size()) != kSuffix)
    return false;
  tail.remove_suffix(kSuffix.size());
  std::string_view stamp = tail.substr(0, 20);
  if (!AllDigits(stamp) || tail[20] != '.') return false;
  std::string_view pid = tail.substr(21);
  if (!AllDigits(pid) || pid.size() > 10) return false;
  name.stamp.assign(stamp);
  name.pid = std::stoull(std::string(pid));
  return true;
}

}  // namespace

std::string CATBBNewSocketName(const std::string& application) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  unsigned long long ns = static_cast<unsigned long long>(now.tv_sec) * 1000000000ull +
                          static_cast<unsigned long long>(now.tv_nsec);
  char tail[64];
  std::snprintf(tail, sizeof tail, ".%020llu.%lld.sock", ns, static_cast<long long>(getpid()));
  return application + tail;
}

std::vector<std::string> CATBBApplicationSockets(const std::string& dir, const std::string& application) {
  std::vector<SocketName> names;
  if (DIR* handle = opendir(dir.c_str())) {
    const std::string prefix = application + ".";
    while (dirent* entry = readdir(handle)) {
      std::string_view file = entry->d_name;
      if (file.size() <= prefix.size() || file.substr(0, prefix.size()) != prefix) continue;
      SocketName name;
      if (!ParseTail(file.substr(prefix.size()), name)) continue;
      name.path = dir + "/" + std::string(file);
      names.push_back(std::move(name));
    }
    closedir(handle);
  }
  std::sort(names.begin(), names.end(), [](const SocketName& a, const SocketName& b) {
    return a.stamp != b.stamp ? a.stamp > b.stamp : a.pid > b.pid;
  });
  std::vector<std::string> paths;
  for (SocketName& name : names) paths.push_back(std::move(name.path));
  return paths;
}

bool CATBBIsOwnSocket(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return false;  // vanished meanwhile: nothing to say
  if (!S_ISSOCK(info.st_mode)) {
    std::cerr << "CATBackbone: skipped " << path << ": not a socket" << std::endl;
    return false;
  }
  if (info.st_uid != geteuid()) {
    std::cerr << "CATBackbone: skipped " << path << ": belongs to user " << info.st_uid << std::endl;
    return false;
  }
  return true;
}

bool CATBBFitsSocketPath(const std::string& path) {
  if (path.size() < sizeof(sockaddr_un{}.sun_path)) return true;
  std::cerr << "CATBackbone: the socket path " << path << " is too long (" << path.size()
            << " characters, at most " << sizeof(sockaddr_un{}.sun_path) - 1
            << "); use a shorter bus directory (CATBackboneDirectory)" << std::endl;
  return false;
}

int CATBBConnectPath(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    errno = ENAMETOOLONG;
    return -1;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
  int error = errno;
  close(fd);
  errno = error;
  return -1;
}

int CATBBConnectApplication(const std::string& dir, const std::string& application, std::string* connected,
                            int* errorId) {
  *errorId = CATBBErrorTargetNotPresent;
  for (const std::string& path : CATBBApplicationSockets(dir, application)) {
    if (!CATBBIsOwnSocket(path)) continue;
    int fd = CATBBConnectPath(path);
    if (fd >= 0) {
      *connected = path;
      return fd;
    }
    if (errno == ECONNREFUSED || errno == ENOENT) {
      // Nobody listens there any more: the process that declared it is gone.
      unlink(path.c_str());
      continue;
    }
    // A live instance that cannot take the connection now (its backlog is full): trying an older one
    // would hand the request to the wrong session.
    std::cerr << "CATBackbone: cannot connect to " << path << ": " << std::strerror(errno) << std::endl;
    *errorId = CATBBErrorContactPort;
    return -1;
  }
  return -1;
}

bool CATBBWriteAll(int fd, std::string_view data, int timeoutMs, std::string* reason) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!data.empty()) {
    ssize_t n = send(fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (n > 0) {
      data.remove_prefix(static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      *reason = std::strerror(errno);
      return false;
    }
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      *reason = "timed out";
      return false;
    }
    pollfd p{fd, POLLOUT, 0};
    int ready = poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno != EINTR) {
      *reason = std::strerror(errno);
      return false;
    }
  }
  return true;
}
