#include "ZELTestSupport.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <utility>

extern char** environ;

namespace fs = std::filesystem;

namespace zeltest {

namespace {

// A runaway program must not exhaust the test's memory; the rest of its output is drained and dropped.
constexpr size_t kMaxOutput = 64u << 20;

std::system_error LastError(const std::string& what) {
  return {errno, std::generic_category(), what};
}

class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  int Get() const { return fd_; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

struct Pipe {
  Fd read, write;
};

Pipe MakePipe() {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw LastError("pipe2");
  Pipe pipe;
  pipe.read = Fd(fds[0]);
  pipe.write = Fd(fds[1]);
  return pipe;
}

// The child's environment, built before fork: after fork only async-signal-safe calls are allowed.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& changes) {
  std::map<std::string, std::string> variables;
  std::vector<std::string> order;
  for (char** entry = environ; entry && *entry; ++entry) {
    std::string text(*entry);
    std::string name = text.substr(0, text.find('='));
    if (variables.emplace(name, text).second) order.push_back(name);
  }
  for (const std::string& change : changes) {
    size_t equals = change.find('=');
    std::string name = change.substr(0, equals);
    if (equals == std::string::npos) {
      variables.erase(name);
    } else if (variables.insert_or_assign(name, change).second) {
      order.push_back(name);
    }
  }
  std::vector<std::string> result;
  for (const std::string& name : order) {
    auto found = variables.find(name);
    if (found != variables.end()) result.push_back(found->second);
  }
  return result;
}

// Reads what is there; false once the other end is closed or fails.
bool Drain(int fd, std::string& into) {
  char buffer[65536];
  ssize_t n = ::read(fd, buffer, sizeof buffer);
  if (n < 0) return errno == EINTR || errno == EAGAIN;
  if (n == 0) return false;
  size_t room = into.size() < kMaxOutput ? kMaxOutput - into.size() : 0;
  into.append(buffer, std::min(room, static_cast<size_t>(n)));
  return true;
}

}  // namespace

TempDir::TempDir(std::string_view prefix) : TempDir(prefix, fs::temp_directory_path()) {}

TempDir::TempDir(std::string_view prefix, const fs::path& parent) {
  std::string pattern = (parent / (std::string(prefix) + ".XXXXXX")).string();
  if (!mkdtemp(pattern.data())) throw LastError("mkdtemp " + pattern);
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
  if (const char* old = getenv(name)) previous_ = old;
  if (value ? setenv(name, value, 1) : unsetenv(name)) throw LastError(std::string("setenv ") + name);
}

ScopedEnv::~ScopedEnv() {
  if (previous_)
    setenv(name_.c_str(), previous_->c_str(), 1);
  else
    unsetenv(name_.c_str());
}

ProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& stdinText,
                         std::chrono::milliseconds timeout, const std::vector<std::string>& env) {
  if (argv.empty()) throw std::invalid_argument("RunProgram: no program");
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<std::string> environment = ChildEnvironment(env);
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);

  Pipe in = MakePipe(), out = MakePipe(), err = MakePipe(), status = MakePipe();
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  pid_t pid = fork();
  if (pid < 0) throw LastError("fork");
  if (pid == 0) {
    // Its own process group, so that a timeout also ends whatever the program started.
    setpgid(0, 0);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    if (dup2(in.read.Get(), 0) < 0 || dup2(out.write.Get(), 1) < 0 || dup2(err.write.Get(), 2) < 0)
      _exit(127);
    execvpe(args[0], args.data(), envp.data());
    int error = errno;
    ssize_t ignored = ::write(status.write.Get(), &error, sizeof error);
    (void)ignored;
    _exit(127);
  }
  setpgid(pid, pid);  // also from here: the child may not have run yet when it must be killed
  in.read.Close();
  out.write.Close();
  err.write.Close();
  status.write.Close();

  ProgramResult result;
  int execError = 0;
  if (::read(status.read.Get(), &execError, sizeof execError) == sizeof execError) {
    waitpid(pid, nullptr, 0);
    result.exitCode = 127;
    result.err = "cannot run " + argv[0] + ": " + std::strerror(execError);
    return result;
  }

  // A program that exits without reading its input must fail the write, not kill the test with SIGPIPE.
  sigset_t pipeSignal, previousMask;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &previousMask);
  fcntl(in.write.Get(), F_SETFL, O_NONBLOCK);
  size_t written = 0;
  if (stdinText.empty()) in.write.Close();
  bool outOpen = true, errOpen = true, exited = false;
  int wstatus = 0;
  for (;;) {
    if (!exited && waitpid(pid, &wstatus, WNOHANG) == pid) exited = true;
    if (exited && !outOpen && !errOpen) break;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      result.timedOut = !exited;
      break;
    }
    pollfd fds[3] = {{out.read.Get(), POLLIN, 0}, {err.read.Get(), POLLIN, 0}, {in.write.Get(), POLLOUT, 0}};
    if (!outOpen) fds[0].fd = -1;
    if (!errOpen) fds[1].fd = -1;
    const int ready = poll(fds, 3, static_cast<int>(std::min<long long>(left.count(), 50)));
    if (ready < 0 && errno != EINTR) break;
    // What an ended program wrote is already in the pipes; only something it left running, holding them
    // open, could add more, and that is not waited for.
    if (ready == 0 && exited) break;
    if (ready <= 0) continue;
    if (fds[0].revents) outOpen = Drain(out.read.Get(), result.out);
    if (fds[1].revents) errOpen = Drain(err.read.Get(), result.err);
    if (fds[2].revents & POLLOUT) {
      ssize_t n = ::write(in.write.Get(), stdinText.data() + written, stdinText.size() - written);
      if (n > 0) written += static_cast<size_t>(n);
      if ((n < 0 && errno != EAGAIN && errno != EINTR) || written == stdinText.size()) in.write.Close();
    } else if (fds[2].revents) {
      in.write.Close();
    }
  }
  in.write.Close();
  timespec zero{};
  while (sigtimedwait(&pipeSignal, nullptr, &zero) > 0) {
  }
  pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);

  if (!exited) {
    kill(-pid, SIGKILL);
    kill(pid, SIGKILL);
    while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    return result;
  }
  if (WIFEXITED(wstatus)) result.exitCode = WEXITSTATUS(wstatus);
  return result;
}

fs::path RuntimeRoot() {
  return fs::path(ZEL_BINARY_DIR) / "linux_a64";
}

fs::path RuntimeProgram(std::string_view name) {
  return RuntimeRoot() / "code" / "bin" / name;
}

fs::path SeededPlmDatabase(const fs::path& dir) {
  fs::path source = RuntimeRoot() / "resources" / "plm" / "PLMDemo.db";
  fs::path target = dir / "PLMDemo.db";
  fs::copy_file(source, target, fs::copy_options::overwrite_existing);
  // The runtime copy may be read-only; the private one is written by the tests.
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
  return target;
}

int FreePort() {
  Fd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (socket.Get() < 0) throw LastError("socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(socket.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(socket.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
    throw LastError("FreePort");
  return ntohs(address.sin_port);
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool WriteFile(const fs::path& path, std::string_view content) {
  std::error_code ignored;
  if (path.has_parent_path()) fs::create_directories(path.parent_path(), ignored);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(content.data(), static_cast<std::streamsize>(content.size()));
  file.close();
  return static_cast<bool>(file);
}

}  // namespace zeltest
