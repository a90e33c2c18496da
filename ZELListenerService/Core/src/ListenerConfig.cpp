#include "ListenerConfig.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr const char* kTag = "ListenerConfig";
constexpr const char* kUtilTag = "Util";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The next piece between "=" separators: runs of "=" count as one and leading ones are skipped.
std::string_view NextPiece(std::string_view& rest) {
  std::size_t start = rest.find_first_not_of('=');
  if (start == std::string_view::npos) {
    rest = {};
    return {};
  }
  rest.remove_prefix(start);
  std::size_t end = rest.find('=');
  std::string_view piece = rest.substr(0, end);
  rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
  return piece;
}

// An empty variable counts as unset: an empty installation directory would silently point at "/".
const char* Environment(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : nullptr;
}

// Stores a value; false (reported) when memory runs out.
bool Store(std::string& field, std::string_view value, ListenerLog& log, const char* failure) {
  try {
    field.assign(value);
    return true;
  } catch (const std::bad_alloc&) {
    log.Startup(kTag, "%s", failure);
    return false;
  }
}

}  // namespace

std::string ListenerConfig::LauncherPathFor(const std::string& installDir) {
  std::string path = installDir;
  if (path.empty() || path.back() != '/') path += '/';
  return path + "linux_a64/code/bin/CATSTART";
}

int ListenerConfig::ParseLogLevel(const std::string& text, ListenerLog& log) {
  if (text == "DEBUG") return kListenerLogDebug;
  if (text == "INFO") return kListenerLogInfo;
  if (text == "ERROR") return kListenerLogError;
  log.Startup(kTag, "Unknown log level [%s] defined in environment variable [%s], using default [%s]",
              text.c_str(), "ZEL_LISTENER_LOG_LEVEL", "INFO");
  return kListenerLogInfo;
}

int ListenerConfig::ParsePort(const std::string& text, ListenerLog& log) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(begin, &end, 10);
  if (errno == 0 && (value > INT_MAX || value < INT_MIN)) errno = ERANGE;
  if (errno == ERANGE) {
    int error = errno;
    log.Startup(kUtilTag, "Failed to parse string to number, using default [%d], range error [%d]: [%s]",
                kDefaultPort, error, std::strerror(error));
    return kDefaultPort;
  }
  if (end == begin) {
    log.Startup(kUtilTag, "Cannot parse number from empty string, using default: [%d]", kDefaultPort);
    return kDefaultPort;
  }
  // The value is a C string: an embedded NUL ends it, as it would for the C library.
  if (*end != '\0') {
    log.Startup(kUtilTag, "Unknown condition when parsing [%s] to number, returning default [%d]", begin,
                kDefaultPort);
    return kDefaultPort;
  }
  return static_cast<int>(value);
}

void ListenerConfig::ApplyDefaults(ListenerLog& log) {
  logLevel = kListenerLogInfo;
  port = kDefaultPort;
  launcherPath.clear();
  envFile.clear();
  logDir.clear();
  if (const char* temp = Environment("TEMP")) {
    logDir = temp;
    log.Startup(kTag, "Initialized logging directory to: %s", logDir.c_str());
  }
}

bool ListenerConfig::ReadLine(std::string_view line, ListenerLog& log) {
  if (!line.empty() && line.front() == '#') return true;
  line = Trim(line);
  if (line.empty()) return true;
  std::string_view rest = line;
  std::string key(Trim(NextPiece(rest)));
  std::string value(Trim(NextPiece(rest)));

  // A key without a value sets nothing: an empty directory or file would only mislead later.
  if (value.empty()) {
    log.Startup(kTag, "Ignoring unknown config file variable [%s] with value [%s]", key.c_str(),
                value.c_str());
  } else if (key == "LOG_LEVEL") {
    logLevel = ParseLogLevel(value, log);
    log.Startup(kTag, "Config file variable loaded [%s] with value [%s]", key.c_str(), value.c_str());
  } else if (key == "LOG_DIR") {
    if (!Store(logDir, value, log, "Failed to allocate memory for config variable LOG_DIR")) return false;
    log.Startup(kTag, "Config file variable loaded [%s] with value [%s]", key.c_str(), value.c_str());
  } else if (key == "PORT") {
    port = ParsePort(value, log);
    log.Startup(kTag, "Config file variable loaded [%s] with value [%d]", key.c_str(), port);
  } else if (key == "3DEXPERIENCE_DIR") {
    std::string path;
    try {
      path = LauncherPathFor(value);
    } catch (const std::bad_alloc&) {
      log.Startup(kTag, "Failed to allocate memory for config variable CATSTART");
      return false;
    }
    if (!Store(launcherPath, path, log, "Failed to allocate memory for config variable CATSTART"))
      return false;
    log.Startup(kTag, "Config file variable loaded [%s] with value [%s]", key.c_str(), value.c_str());
    log.Startup(kTag, "Created CATSTART_PATH: [%s]", launcherPath.c_str());
  } else if (key == "3DEXPERIENCE_ENV_FILE") {
    if (!Store(envFile, value, log, "Failed to allocate memory for config variable 3DEXPERIENCE_ENV_FILE"))
      return false;
    log.Startup(kTag, "Config file variable loaded [%s] with value [%s]", key.c_str(), value.c_str());
  } else {
    log.Startup(kTag, "Ignoring unknown config file variable [%s] with value [%s]", key.c_str(),
                value.c_str());
  }
  return true;
}

bool ListenerConfig::ReadText(std::string_view content, ListenerLog& log) {
  std::size_t lineNumber = 0;
  while (!content.empty()) {
    ++lineNumber;
    std::size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    // Pieces of a longer line would be read as lines of their own, and the tail of a long comment could set
    // a key: such a line is refused whole.
    if (line.size() > kMaxLineBytes) {
      log.Startup(kTag, "Ignoring config file line %zu longer than %zu bytes", lineNumber, kMaxLineBytes);
      continue;
    }
    // The reader works on C strings: a NUL byte ends the line's text.
    line = line.substr(0, line.find('\0'));
    try {
      if (!ReadLine(line, log)) return false;
    } catch (const std::bad_alloc&) {
      log.Startup(kTag, "Failed to read config file");
      return false;
    }
  }
  return true;
}

bool ListenerConfig::ReadFile(const std::string& file, ListenerLog& log) {
  // Non-blocking open: a FIFO planted at the path must not hold the start-up.
  int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    int error = errno;
    log.Startup(kTag, "Failed to open config file [%s] with code [%d]: [%s]", file.c_str(), error,
                std::strerror(error));
    return false;
  }
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    log.Startup(kTag, "Config file [%s] is not a regular file", file.c_str());
    log.Startup(kTag, "Failed to read config file");
    return false;
  }
  std::string content;
  char buffer[4096];
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ok = false;
      break;
    }
    if (n == 0) break;
    if (content.size() + static_cast<std::size_t>(n) > kMaxFileBytes) {
      log.Startup(kTag, "Config file [%s] is larger than %zu bytes", file.c_str(), kMaxFileBytes);
      ok = false;
      break;
    }
    content.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (!ok) {
    log.Startup(kTag, "Failed to read config file");
    return false;
  }
  return ReadText(content, log);
}

void ListenerConfig::ApplyEnvironment(ListenerLog& log) {
  constexpr const char* kLoaded = "Environment variable loaded [%s] with value [%s]";
  if (const char* value = Environment("ZEL_LISTENER_LOG_LEVEL")) {
    log.Startup(kTag, kLoaded, "ZEL_LISTENER_LOG_LEVEL", value);
    logLevel = ParseLogLevel(value, log);
  }
  // Environment values are optional extras: running out of memory for one keeps the value before it.
  auto apply = [&](const char* name, std::string& field, bool launcher) {
    const char* value = Environment(name);
    if (!value) return;
    log.Startup(kTag, kLoaded, name, value);
    try {
      field = launcher ? LauncherPathFor(value) : std::string(value);
    } catch (const std::bad_alloc&) {
      log.Startup(kTag, "Failed to allocate memory for env variabel %s", name);
    }
  };
  apply("ZEL_LISTENER_LOG_DIR", logDir, false);
  apply("ZEL_LISTENER_3DEXPERIENCE_DIR", launcherPath, true);
  apply("ZEL_LISTENER_3DEXPERIENCE_ENV_FILE", envFile, false);
}

bool ListenerConfig::IsComplete(ListenerLog& log) const {
  if (!launcherPath.empty() && !envFile.empty()) return true;
  log.Startup(kTag, "Failed to load either %s or %s, check config file", "3DEXPERIENCE_DIR",
              "3DEXPERIENCE_ENV_FILE");
  return false;
}

bool ListenerConfig::Load(const std::string& file, ListenerLog& log) {
  ApplyDefaults(log);
  if (!ReadFile(file, log)) return false;
  ApplyEnvironment(log);
  return IsComplete(log);
}

bool ListenerConfig::Load(ListenerLog& log) {
  const char* file = Environment("ZEL_LISTENER_CONFIG_FILE");
  return Load(file ? file : kDefaultFile, log);
}
