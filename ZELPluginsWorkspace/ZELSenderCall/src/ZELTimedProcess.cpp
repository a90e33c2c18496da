#include "ZELTimedProcess.h"

#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <thread>

extern char** environ;

namespace {

// Short enough to notice an ended child promptly, long enough not to spin.
constexpr std::chrono::milliseconds kPollInterval{5};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

int ExitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  // A child ended by a signal failed; reporting 0 would pass that off as success.
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 0;
}

}  // namespace

ZELTimedProcess::~ZELTimedProcess() {
  Kill();
}

std::vector<std::string> ZELTimedProcess::Arguments(const std::string& commandLine) {
  std::vector<std::string> arguments;
  size_t i = 0;
  while (i < commandLine.size()) {
    while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
    const size_t start = i;
    while (i < commandLine.size() && !IsBlank(commandLine[i])) ++i;
    if (i > start) arguments.push_back(commandLine.substr(start, i - start));
  }
  return arguments;
}

bool ZELTimedProcess::Start(const std::string& commandLine) {
  if (pid_ > 0) return false;
  std::vector<std::string> arguments = Arguments(commandLine);
  if (arguments.empty()) return false;
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  // Under an inherited SIG_IGN the system reaps the child itself, and its exit code would be lost.
  signal(SIGCHLD, SIG_DFL);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  pid_ = pid;
  return true;
}

ZELTimedProcess::Outcome ZELTimedProcess::Wait(long long timeoutMs, int& exitCode) {
  exitCode = 0;
  if (pid_ <= 0) return Outcome::Ended;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0LL));
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      pid_ = -1;
      exitCode = ExitCodeOf(status);
      return Outcome::Ended;
    }
    if (done < 0 && errno != EINTR) {
      pid_ = -1;
      return Outcome::Ended;
    }
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) return Outcome::TimedOut;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, kPollInterval));
  }
}

void ZELTimedProcess::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
}
