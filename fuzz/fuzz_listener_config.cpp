// Arbitrary bytes as the listener's configuration file. Whatever comes in, the reader ends, every value it
// keeps is one trimmed, non-empty line piece without "=", the level is a known one, and a launcher path is
// always the launcher below some directory.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ListenerConfig.h"
#include "ListenerLog.h"

namespace {

bool IsCleanValue(const std::string& value) {
  if (value.empty()) return true;
  if (value.size() > ListenerConfig::kMaxLineBytes) return false;
  if (value.find_first_of(std::string_view("=\n\0", 3)) != std::string::npos) return false;
  const std::string_view blanks = " \t\n\v\f\r";
  return blanks.find(value.front()) == std::string_view::npos &&
         blanks.find(value.back()) == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ListenerLog log(nullptr);
  std::string_view text(reinterpret_cast<const char*>(data), size);

  ListenerConfig config;
  if (!config.ReadText(text, log)) std::abort();
  if (config.logLevel < kListenerLogDebug || config.logLevel > kListenerLogError) std::abort();
  if (!IsCleanValue(config.logDir) || !IsCleanValue(config.envFile)) std::abort();
  const std::string suffix = "/linux_a64/code/bin/CATSTART";
  if (!config.launcherPath.empty() &&
      (config.launcherPath.size() < suffix.size() ||
       config.launcherPath.compare(config.launcherPath.size() - suffix.size(), suffix.size(), suffix) != 0))
    std::abort();

  // The same bytes as a port text: the default, or exactly what the C library reads.
  std::string port(text.substr(0, text.find('\0')));
  int value = ListenerConfig::ParsePort(port, log);
  if (value != ListenerConfig::kDefaultPort &&
      static_cast<long>(value) != std::strtol(port.c_str(), nullptr, 10))
    std::abort();
  return 0;
}
