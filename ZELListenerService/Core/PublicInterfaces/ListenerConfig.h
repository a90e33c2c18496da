#ifndef ListenerConfig_h
#define ListenerConfig_h
// The listener's configuration: defaults, then the configuration file, then the environment overrides, then
// the completeness check. Filled once at start, read-only afterwards.
#include <cstddef>
#include <string>
#include <string_view>

#include "ListenerLog.h"

class ListenerConfig {
 public:
  static constexpr int kDefaultPort = 9191;
  // Lines are read in pieces of at most this many bytes; a longer line is refused whole.
  static constexpr std::size_t kMaxLineBytes = 1023;
  // Five keys fit in far less; anything bigger is not a configuration file.
  static constexpr std::size_t kMaxFileBytes = 64 * 1024;
  static constexpr const char* kDefaultFile = "../../../config/ZelListenerService.cfg";

  std::string logDir;
  int logLevel = kListenerLogInfo;
  int port = kDefaultPort;
  std::string launcherPath;  // CATSTART_PATH
  std::string envFile;

  // All sources in order; false when the file cannot be read or the result is incomplete (logged).
  // file: ZEL_LISTENER_CONFIG_FILE, else kDefaultFile relative to the working directory.
  bool Load(ListenerLog& log);
  bool Load(const std::string& file, ListenerLog& log);

  void ApplyDefaults(ListenerLog& log);
  // The file's lines; false when it cannot be opened or read, is not a regular file or is too big.
  bool ReadFile(const std::string& file, ListenerLog& log);
  // The content of a configuration file, line by line.
  bool ReadText(std::string_view content, ListenerLog& log);
  void ApplyEnvironment(ListenerLog& log);
  bool IsComplete(ListenerLog& log) const;

  // "DEBUG", "INFO", "ERROR"; anything else is reported and gives INFO.
  static int ParseLogLevel(const std::string& text, ListenerLog& log);
  // A decimal number by the C library's rules that fits 32 bits, else kDefaultPort (reported).
  static int ParsePort(const std::string& text, ListenerLog& log);
  // The platform launcher below an installation directory.
  static std::string LauncherPathFor(const std::string& installDir);

 private:
  bool ReadLine(std::string_view line, ListenerLog& log);
};

#endif
