#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

extern char** environ;

namespace zeltest {
namespace {

using Clock = std::chrono::steady_clock;

// Appends what fd has before the deadline; false at its end or when the deadline passes.
bool ReadSome(int fd, std::string& text, Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  if (fd < 0 || left.count() <= 0) return false;
  pollfd entry{fd, POLLIN, 0};
  if (poll(&entry, 1, static_cast<int>(left.count())) <= 0) return false;
  char buffer[4096];
  ssize_t n = read(fd, buffer, sizeof buffer);
  if (n <= 0) return false;
  text.append(buffer, static_cast<std::size_t>(n));
  return true;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv) {
  if (argv.empty()) return;
  int out[2], err[2];
  if (pipe2(out, O_CLOEXEC) != 0) return;
  if (pipe2(err, O_CLOEXEC) != 0) {
    close(out[0]);
    close(out[1]);
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  std::vector<std::string> arguments = argv;
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  if (posix_spawn(&pid_, arguments[0].c_str(), &actions, nullptr, pointers.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  out_ = out[0];
  err_ = err[0];
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (out_ >= 0) close(out_);
  if (err_ >= 0) close(err_);
}

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    if (std::size_t end = outText_.find('\n'); end != std::string::npos) {
      std::string line = outText_.substr(0, end);
      outText_.erase(0, end + 1);
      return line;
    }
    if (!ReadSome(out_, outText_, deadline)) return std::nullopt;
  }
}

std::string ChildProcess::ReadAllErrors(std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  std::string text;
  while (ReadSome(err_, text, deadline)) {
  }
  return text;
}

void ChildProcess::Signal(int signal) const {
  if (pid_ > 0) kill(pid_, signal);
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds timeout) {
  if (pid_ <= 0) return std::nullopt;
  const Clock::time_point deadline = Clock::now() + timeout;
  do {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (Clock::now() < deadline);
  return std::nullopt;
}

long ChildProcess::StatusKilobytes(std::string_view field) const {
  if (pid_ <= 0) return -1;
  std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with(field) && line.size() > field.size() && line[field.size()] == ':')
      return std::atol(line.c_str() + field.size() + 1);
  }
  return -1;
}

}  // namespace zeltest
