#ifndef ChildProcess_h
#define ChildProcess_h
// A program that runs beside the test (a server, say) with its standard output and error on pipes: read its
// lines as they come, signal it, wait for it. Killed and reaped if the test leaves it running.
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeltest {

class ChildProcess {
 public:
  // argv[0] is the program's path; no shell is involved.
  explicit ChildProcess(const std::vector<std::string>& argv);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  // The next line of standard output, or nothing when the time-out passes or the output ends first.
  std::optional<std::string> ReadLine(std::chrono::milliseconds timeout = std::chrono::seconds(60));
  // Standard error until the program closes it or the time-out passes.
  std::string ReadAllErrors(std::chrono::milliseconds timeout = std::chrono::seconds(60));
  void Signal(int signal) const;
  // The exit status once the program ends within the time-out; 128 + the signal when a signal ended it.
  std::optional<int> Wait(std::chrono::milliseconds timeout = std::chrono::seconds(60));
  // A field of /proc/<pid>/status in kilobytes ("VmRSS", "VmHWM"); -1 when it cannot be read.
  long StatusKilobytes(std::string_view field) const;

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  std::string outText_;
};

}  // namespace zeltest

#endif
