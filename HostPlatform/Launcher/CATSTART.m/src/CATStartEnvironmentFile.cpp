#include "CATStartEnvironmentFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool IsNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsNameChar(char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9');
}

bool IsName(const std::string& text) {
  if (text.empty() || !IsNameStart(text[0])) return false;
  for (char c : text)
    if (!IsNameChar(c)) return false;
  return true;
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

bool CATStartEnvironmentFile::Fail(std::string message) {
  error_ = std::move(message);
  variables_.clear();
  return false;
}

bool CATStartEnvironmentFile::Load(const std::string& path) {
  // Non-blocking open: a FIFO named as the file must not hang the launcher before it is refused.
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.Get() < 0) return Fail("cannot open environment file " + path + ": " + std::strerror(errno));
  struct stat info;
  if (fstat(file.Get(), &info) != 0)
    return Fail("cannot read environment file " + path + ": " + std::strerror(errno));
  if (!S_ISREG(info.st_mode)) return Fail("environment file " + path + " is not a regular file");
  const std::string tooLarge =
      "environment file " + path + " is larger than " + std::to_string(kMaxFileBytes) + " bytes";
  if (info.st_size > static_cast<off_t>(kMaxFileBytes)) return Fail(tooLarge);

  // The size is checked again while reading: the file may grow after fstat.
  std::string text(kMaxFileBytes + 1, '\0');
  size_t used = 0;
  while (used < text.size()) {
    const ssize_t n = read(file.Get(), text.data() + used, text.size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail("cannot read environment file " + path + ": " + std::strerror(errno));
    if (n == 0) break;
    used += static_cast<size_t>(n);
  }
  if (used > kMaxFileBytes) return Fail(tooLarge);
  text.resize(used);
  return Parse(path, text);
}

bool CATStartEnvironmentFile::Parse(const std::string& path, const std::string& text) {
  variables_.clear();
  error_.clear();
  size_t lineNumber = 0;
  size_t start = 0;
  while (start < text.size()) {
    ++lineNumber;
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    const std::string where = path + ":" + std::to_string(lineNumber) + ": ";
    if (line.size() > kMaxLineBytes)
      return Fail(where + "line longer than " + std::to_string(kMaxLineBytes) + " bytes");
    // Files written on Windows end their lines with CR LF.
    if (!line.empty() && line.back() == '\r') line.pop_back();

    size_t first = 0;
    while (first < line.size() && IsBlank(line[first])) ++first;
    if (first == line.size() || line[first] == '#') continue;

    const size_t equals = line.find('=');
    if (equals == std::string::npos) return Fail(where + "malformed line, expected NAME=VALUE");
    Variable variable{line.substr(0, equals), line.substr(equals + 1)};
    if (!IsName(variable.name)) return Fail(where + "malformed line, NAME must match [A-Za-z_][A-Za-z0-9_]*");
    // The environment cannot hold a NUL byte: the value would be cut short without notice.
    if (variable.value.find('\0') != std::string::npos) return Fail(where + "value holds a NUL byte");
    variables_.push_back(std::move(variable));
  }
  return true;
}
