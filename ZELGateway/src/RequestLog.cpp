#include "zelgw/RequestLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <stdexcept>

namespace zelgw {
namespace {

// Printable ASCII only; blanks too when the field ends the line.
std::string Field(std::string_view text, std::size_t maxLength, bool blanks = false) {
  if (text.empty()) return "-";
  std::string out;
  for (char c : text.substr(0, maxLength)) {
    unsigned char u = static_cast<unsigned char>(c);
    out += ((u > 0x20 || (blanks && u == 0x20)) && u < 0x7F) ? c : '?';
  }
  if (text.size() > maxLength) out += "...";
  return out;
}

std::string UtcTimestamp() {
  auto now = std::chrono::system_clock::now();
  std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(millis));
  return text;
}

std::string FormatEntry(std::string_view function, std::string_view requestId, int errorCode,
                        double milliseconds, std::string_view detail) {
  char elapsed[32];
  std::snprintf(elapsed, sizeof elapsed, "%.1f", milliseconds);
  std::string line = Field(function, 64) + " " + Field(requestId, 64) + " " +
                     (errorCode == 0 ? std::string("OK") : "ERROR " + std::to_string(errorCode)) + " " +
                     elapsed + "ms";
  if (!detail.empty()) line += " " + Field(detail, 300, true);
  return line;
}

std::FILE* OpenForAppending(const std::string& path) {
  auto failed = [&path] {
    return std::runtime_error("cannot open the log file " + path + ": " + std::strerror(errno));
  };
  // A file made here is private whatever the umask; an existing one keeps the mode its owner gave it.
  int fd =
      open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, S_IRUSR | S_IWUSR);
  if (fd >= 0) {
    if (fchmod(fd, S_IRUSR | S_IWUSR) != 0) {
      std::runtime_error error = failed();
      close(fd);
      throw error;
    }
  } else if (errno == EEXIST) {
    fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY);
  }
  if (fd < 0) throw failed();
  std::FILE* stream = fdopen(fd, "a");
  if (!stream) {
    std::runtime_error error = failed();
    close(fd);
    throw error;
  }
  return stream;
}

}  // namespace

RequestLog::RequestLog(std::FILE* stream) : stream_(stream), owned_(false) {}

RequestLog::RequestLog(const std::string& path) : stream_(OpenForAppending(path)), owned_(true) {}

RequestLog::~RequestLog() {
  if (owned_) std::fclose(stream_);
}

void RequestLog::Write(std::string_view function, std::string_view requestId, int errorCode,
                       double milliseconds, std::string_view detail) {
  std::string line =
      UtcTimestamp() + " " + FormatEntry(function, requestId, errorCode, milliseconds, detail) + "\n";
  std::lock_guard<std::mutex> lock(mutex_);
  std::fputs(line.c_str(), stream_);
  std::fflush(stream_);
}

void RequestLog::Warn(std::string_view text) {
  std::string line = UtcTimestamp() + " WARNING " + Field(text, 1000, true) + "\n";
  std::lock_guard<std::mutex> lock(mutex_);
  std::fputs(line.c_str(), stream_);
  std::fflush(stream_);
}

}  // namespace zelgw
