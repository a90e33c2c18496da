#include "ListenerLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr const char* kTag = "Logger";

std::string Format(const char* format, va_list arguments) {
  va_list copy;
  va_copy(copy, arguments);
  char small[512];
  int length = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (length < 0) return {};
  if (static_cast<std::size_t>(length) < sizeof small)
    return std::string(small, static_cast<std::size_t>(length));
  std::vector<char> large(static_cast<std::size_t>(length) + 1);
  std::vsnprintf(large.data(), large.size(), format, arguments);
  return std::string(large.data(), static_cast<std::size_t>(length));
}

std::timespec Now() {
  std::timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return now;
}

// One write per line, so lines of different threads never interleave; a short write is retried.
void WriteAll(int fd, const std::string& line) {
  std::size_t done = 0;
  while (done < line.size()) {
    ssize_t n = ::write(fd, line.data() + done, line.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

ListenerLog::~ListenerLog() {
  Close();
}

const char* ListenerLog::LevelName(int level) {
  switch (level) {
    case kListenerLogDebug:
      return "DEBUG";
    case kListenerLogInfo:
      return "INFO";
    case kListenerLogError:
      return "ERROR";
    default:
      return "UNKNOWN";
  }
}

std::string ListenerLog::Timestamp(const std::timespec& now) {
  std::tm local{};
  localtime_r(&now.tv_sec, &local);
  char text[64];
  std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d:%02d,%03d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<int>(now.tv_nsec / 1000000));
  return text;
}

std::string ListenerLog::FileName(std::time_t now) {
  std::tm local{};
  localtime_r(&now, &local);
  char text[64];
  std::snprintf(text, sizeof text, "ZelListener.%d%02d%02d.log", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday);
  return text;
}

bool ListenerLog::Open(const std::string& directory, int level) {
  Close();
  level_ = level;
  if (directory.empty()) return true;
  try {
    filePath_ = directory;
    if (filePath_.back() != '/') filePath_ += '/';
    filePath_ += FileName(std::time(nullptr));
  } catch (const std::bad_alloc&) {
    filePath_.clear();
    Startup(kTag, "Failed to allocate memory during logger initialization\nLogging only to stdout");
    return false;
  }
  // The default directory is shared (TEMP): never follow a planted link, and keep the log to its owner.
  fd_ = ::open(filePath_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
  if (fd_ < 0) {
    int error = errno;
    Startup(kTag, "Failed to open log file with code [%d]: [%s]\nLogging only to stdout", error,
            std::strerror(error));
    return false;
  }
  return true;
}

void ListenerLog::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void ListenerLog::WriteConsole(const std::string& stamp, const char* tag, const std::string& text) {
  if (!console_) return;
  std::string line = stamp + " [" + tag + "] " + text + "\n";
  std::fwrite(line.data(), 1, line.size(), console_);
  std::fflush(console_);
}

void ListenerLog::Write(int level, const char* tag, const char* format, va_list arguments) {
  if (level < level_) return;
  std::string stamp = Timestamp(Now());
  std::string text = Format(format, arguments);
  if (fd_ >= 0) WriteAll(fd_, stamp + " " + LevelName(level) + " [" + tag + "] " + text + "\n");
  WriteConsole(stamp, tag, text);
}

void ListenerLog::Debug(const char* tag, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  Write(kListenerLogDebug, tag, format, arguments);
  va_end(arguments);
}

void ListenerLog::Info(const char* tag, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  Write(kListenerLogInfo, tag, format, arguments);
  va_end(arguments);
}

void ListenerLog::Error(const char* tag, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  Write(kListenerLogError, tag, format, arguments);
  va_end(arguments);
}

void ListenerLog::Startup(const char* tag, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string text = Format(format, arguments);
  va_end(arguments);
  WriteConsole(Timestamp(Now()), tag, text);
}
