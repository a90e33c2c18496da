#ifndef CommandDispatcher_h
#define CommandDispatcher_h
// What the listener does with the one text message of a connection: an open command runs the platform
// launcher with the sender program; every message gets one response text.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ListenerConfig.h"
#include "ListenerLog.h"

class CommandDispatcher {
 public:
  static constexpr std::string_view kOpenPrefix = "ZEL:@:OPEN3DX:@:";
  static constexpr std::size_t kMaxResponseBytes = 1023;
  // The response code when the launcher could not be started at all.
  static constexpr int kNotStartedCode = -1;
  // A launcher ended by a signal answers as a shell reports it: 128 and the signal number.
  static constexpr int kSignalCodeBase = 128;

  CommandDispatcher(const ListenerConfig& config, ListenerLog& log) : config_(config), log_(log) {}

  // 0 when the launcher ran and ended with 0, else 1; response receives the text for the client, at most
  // kMaxResponseBytes long.
  int Dispatch(std::string_view message, std::string& response);

  // Two upper-case hexadecimal digits per byte, a leading zero below 16.
  static std::string HexText(std::string_view argument);
  // The launcher's argument list: path, "-env", environment file, "-run", the sender's run text.
  static std::vector<std::string> LauncherArguments(const std::string& launcherPath,
                                                    const std::string& envFile, const std::string& hexText);
  // Cut to at most kMaxResponseBytes without splitting a UTF-8 sequence, which a client would refuse.
  static std::string CutResponse(std::string text);

 private:
  int Respond(int result, std::string text, std::string& response);

  const ListenerConfig& config_;
  ListenerLog& log_;
};

#endif
