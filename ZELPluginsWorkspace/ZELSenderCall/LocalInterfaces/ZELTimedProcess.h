#ifndef ZELTimedProcess_h
#define ZELTimedProcess_h
// One child process started from a command line without a shell, waited for with a time limit and killed
// when the time runs out.
#include <sys/types.h>

#include <string>
#include <vector>

class ZELTimedProcess {
 public:
  enum class Outcome { Ended, TimedOut };

  ZELTimedProcess() = default;
  ~ZELTimedProcess();
  ZELTimedProcess(const ZELTimedProcess&) = delete;
  ZELTimedProcess& operator=(const ZELTimedProcess&) = delete;

  // The command line split at runs of blanks; there is no quoting, so no text is ever interpreted.
  static std::vector<std::string> Arguments(const std::string& commandLine);

  // Starts the first argument, searched in PATH, with the others; false when it cannot be started.
  bool Start(const std::string& commandLine);

  // Waits at most timeoutMs milliseconds (0: only looks). Once ended, exitCode is the child's exit code, or
  // 128 + the signal number when a signal ended it.
  Outcome Wait(long long timeoutMs, int& exitCode);

  // Kills the child (SIGKILL) and reaps it.
  void Kill();

 private:
  pid_t pid_ = -1;
};

#endif
