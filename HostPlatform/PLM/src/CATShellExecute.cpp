// The desktop's document opening: the configured opener started without a shell, its output journaled.
#include "CATShellExecute.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "CATLib.h"

extern char** environ;

namespace {

constexpr size_t kMaxOutput = 64 * 1024;

struct Opener {
  CATShellOpenRecord record;
  pid_t pid = -1;
  int output = -1;  // read end of the opener's standard output and error
};

std::vector<Opener>& Openers() {
  static auto* openers = new std::vector<Opener>;
  return *openers;
}

// Takes what the opener wrote; true once its output is closed.
bool Drain(Opener& opener) {
  char buffer[4096];
  for (;;) {
    ssize_t got = read(opener.output, buffer, sizeof buffer);
    if (got > 0) {
      size_t room = kMaxOutput - opener.record.output.size();
      opener.record.output.append(buffer, static_cast<size_t>(got) < room ? static_cast<size_t>(got) : room);
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    return got == 0 || (got < 0 && errno != EAGAIN);
  }
}

// Reaps the opener, waiting until end at most; one still running then is killed.
void Finish(Opener& opener, std::chrono::steady_clock::time_point end) {
  if (opener.output >= 0) close(opener.output);
  opener.output = -1;
  int status = 0;
  pid_t done = 0;
  while ((done = waitpid(opener.pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < end)
    poll(nullptr, 0, 10);
  if (done == 0) {
    ::kill(opener.pid, SIGKILL);
    done = waitpid(opener.pid, &status, 0);
  }
  if (done == opener.pid && WIFEXITED(status)) opener.record.exitCode = WEXITSTATUS(status);
  opener.record.ended = true;
  opener.pid = -1;
}

// Takes the output and the exit of the openers that ended, so a long session keeps no zombies.
void ReapEnded() {
  for (Opener& opener : Openers()) {
    if (opener.pid <= 0) continue;
    if (opener.output >= 0 && Drain(opener)) {
      close(opener.output);
      opener.output = -1;
    }
    int status = 0;
    if (waitpid(opener.pid, &status, WNOHANG) != opener.pid) continue;
    if (opener.output >= 0) {
      Drain(opener);
      close(opener.output);
      opener.output = -1;
    }
    if (WIFEXITED(status)) opener.record.exitCode = WEXITSTATUS(status);
    opener.record.ended = true;
    opener.pid = -1;
  }
}

// "scheme:" as addresses begin (RFC 3986), two letters at least so that no path is taken for one.
bool IsAddress(const char* text) {
  if (!std::isalpha(static_cast<unsigned char>(text[0]))) return false;
  size_t at = 1;
  while (std::isalnum(static_cast<unsigned char>(text[at])) || text[at] == '+' || text[at] == '-' ||
         text[at] == '.')
    ++at;
  return text[at] == ':' && at >= 2;
}

// Starts program with the one argument and journals it; 0, or the errno of the failed start.
int Start(const std::string& program, const std::string& argument) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return errno;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
  std::string programArg = program, fileArg = argument;
  char* argv[] = {programArg.data(), fileArg.data(), nullptr};
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  if (rc != 0) {
    close(pipeFds[0]);
    return rc;
  }
  fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);
  Opener opener;
  opener.record.program = program;
  opener.record.document = argument;
  opener.pid = pid;
  opener.output = pipeFds[0];
  Openers().push_back(opener);
  return 0;
}

}  // namespace

long ShellExecuteA(void*, const char* iVerb, const char* iFile, const char* iParameters, const char*, int) {
  ReapEnded();
  if (!iFile || !*iFile || (iVerb && std::strcmp(iVerb, "open") != 0)) {
    errno = EINVAL;
    return 2;
  }
  const bool address = IsAddress(iFile);
  const bool program = !address && iParameters && *iParameters;
  if (!address && !program) {
    struct stat info {};
    if (stat(iFile, &info) != 0) return 2;
  }
  const char* configured = CATGetEnv("CATDocumentOpener");
  const std::string opener = program ? iFile : configured && *configured ? configured : "xdg-open";
  const std::string document = program ? iParameters : iFile;
  const int rc = Start(opener, document);
  if (rc != 0) {
    errno = rc;
    if (!program) return 31;
    return rc == ENOENT || rc == ENOTDIR ? 2 : rc == EACCES ? 5 : 31;
  }
  return 42;
}

std::vector<CATShellOpenRecord> CATShellCollectOpens(int iTimeoutMs) {
  const auto end =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(iTimeoutMs < 0 ? 0 : iTimeoutMs);
  for (Opener& opener : Openers()) {
    while (opener.output >= 0 && !Drain(opener)) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now())
              .count();
      if (left <= 0) break;
      pollfd readable{opener.output, POLLIN, 0};
      poll(&readable, 1, static_cast<int>(left));
    }
    if (opener.pid > 0) Finish(opener, end);
  }
  std::vector<CATShellOpenRecord> out;
  for (const Opener& opener : Openers()) out.push_back(opener.record);
  return out;
}
