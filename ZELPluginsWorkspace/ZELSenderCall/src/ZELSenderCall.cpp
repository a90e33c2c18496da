// ZELSenderCall -e <command> -m <message> -t <seconds>
// Runs the command with the message appended after one blank, waits at most the given seconds and kills it
// when the time runs out. Exit codes: the command's own (128 + signal number when a signal ended it); 255
// (-1) for usage errors, a missing option or a command that cannot be started; 254 (-2) after a time-out.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ZELTimedProcess.h"

namespace {

constexpr int kFailure = -1;
constexpr int kTimedOut = -2;
constexpr size_t kMaxCommandLine = 1024;

constexpr const char* kCommandText = "-e <Command to execute>";
constexpr const char* kMessageText = "-m <Message to send>";
constexpr const char* kTimeoutText = "-t <Timeout in seconds>";

// The value after the first argument equal to name; none when that argument is missing or the last one.
const char* FindOption(int argc, char** argv, const char* name) {
  for (int i = 0; i < argc; ++i) {
    if (argv[i] != nullptr && std::strcmp(argv[i], name) == 0) return i + 1 < argc ? argv[i + 1] : nullptr;
  }
  return nullptr;
}

// atoi's reading (leading blanks, a sign, digits; no number gives 0) without its undefined overflow: a value
// beyond the int range is clamped, and a negative one waits no time at all.
long long Seconds(const char* text) {
  const long value = std::strtol(text, nullptr, 10);
  return std::clamp<long>(value, 0, INT_MAX);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("Usage:\n %s %s %s %s\n", argc > 0 && argv[0] ? argv[0] : "ZELSenderCall", kCommandText,
                kMessageText, kTimeoutText);
    return kFailure;
  }
  const char* command = FindOption(argc, argv, "-e");
  if (command == nullptr) {
    std::printf(" Missing option:  %s\n", kCommandText);
    return kFailure;
  }
  const char* message = FindOption(argc, argv, "-m");
  if (message == nullptr) {
    std::printf(" Missing option:  %s\n", kMessageText);
    return kFailure;
  }
  const char* timeout = FindOption(argc, argv, "-t");
  if (timeout == nullptr) {
    std::printf(" Missing option:  %s\n", kTimeoutText);
    return kFailure;
  }
  const long long seconds = Seconds(timeout);

  std::string commandLine = std::string(command) + " " + message;
  if (commandLine.size() > kMaxCommandLine) commandLine.resize(kMaxCommandLine);

  // The child shares standard output; what is buffered here must come first.
  std::fflush(stdout);
  ZELTimedProcess process;
  if (!process.Start(commandLine)) {
    std::printf("Error calling Process : %s\n", commandLine.c_str());
    return kFailure;
  }
  int exitCode = 0;
  if (process.Wait(seconds * 1000, exitCode) == ZELTimedProcess::Outcome::TimedOut) {
    std::printf("Stop processing because of timeout\n");
    std::fflush(stdout);
    process.Kill();
    return kTimedOut;
  }
  return exitCode;
}
