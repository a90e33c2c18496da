#ifndef LauncherRun_h
#define LauncherRun_h
// Runs the platform launcher directly, without a shell, and waits for it to end.
#include <string>
#include <vector>

struct LauncherOutcome {
  bool started = false;
  int error = 0;     // the error number when the launcher could not be started
  int exitCode = 0;  // when it exited
  int signal = 0;    // when a signal ended it
};

class LauncherRun {
 public:
  // argv[0] is the launcher's path. The launcher gets standard input from /dev/null, the listener's
  // output, a clear signal mask and default signal handling.
  static LauncherOutcome Run(const std::vector<std::string>& argv);
};

#endif
