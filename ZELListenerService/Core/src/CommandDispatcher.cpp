#include "CommandDispatcher.h"

#include <new>

#include "LauncherRun.h"
#include "ListenerErrorText.h"

namespace {
constexpr const char* kTag = "Command";
}

std::string CommandDispatcher::HexText(std::string_view argument) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(argument.size() * 2);
  for (char c : argument) {
    unsigned char byte = static_cast<unsigned char>(c);
    hex.push_back(kDigits[byte >> 4]);
    hex.push_back(kDigits[byte & 0x0F]);
  }
  return hex;
}

std::vector<std::string> CommandDispatcher::LauncherArguments(const std::string& launcherPath,
                                                              const std::string& envFile,
                                                              const std::string& hexText) {
  return {launcherPath, "-env", envFile, "-run", "ZELSender ZEL_OPEN " + hexText};
}

std::string CommandDispatcher::CutResponse(std::string text) {
  if (text.size() <= kMaxResponseBytes) return text;
  std::size_t cut = kMaxResponseBytes;
  // Cutting before a continuation byte would split a sequence: cut before its lead byte instead.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  text.resize(cut);
  return text;
}

int CommandDispatcher::Respond(int result, std::string text, std::string& response) {
  response = CutResponse(std::move(text));
  return result;
}

int CommandDispatcher::Dispatch(std::string_view message, std::string& response) {
  if (message.substr(0, kOpenPrefix.size()) != kOpenPrefix) {
    std::string text(message);
    log_.Error(kTag, "Unknown command received : %s", text.c_str());
    return Respond(1, "Unknown command received: " + text, response);
  }
  log_.Info(kTag, "Received OPEN3DX command");

  std::string hex;
  try {
    hex = HexText(message.substr(kOpenPrefix.size()));
  } catch (const std::bad_alloc&) {
    log_.Error(kTag, "Failed to allocate memory for parsing open3dx command");
    return Respond(1, "Failed to allocate memory for parsing open3dx command", response);
  }
  std::vector<std::string> arguments;
  std::string commandLine;
  try {
    arguments = LauncherArguments(config_.launcherPath, config_.envFile, hex);
    commandLine = "\"\"" + config_.launcherPath + "\" -env \"" + config_.envFile +
                  "\" -run \"ZELSender ZEL_OPEN " + hex + "\"\"";
  } catch (const std::bad_alloc&) {
    log_.Error(kTag, "Failed to allocate memory for system command");
    return Respond(1, "Failed to allocate memory for system command", response);
  }

  log_.Info(kTag, "Running: %s", commandLine.c_str());
  LauncherOutcome outcome = LauncherRun::Run(arguments);
  int code = outcome.exitCode;
  if (!outcome.started) {
    log_.Error(kTag, "Failed to start %s with error code %d: %s", config_.launcherPath.c_str(), outcome.error,
               ListenerErrorText::System(outcome.error).c_str());
    code = kNotStartedCode;
  } else if (outcome.signal != 0) {
    log_.Error(kTag, "%s ended by signal %d", config_.launcherPath.c_str(), outcome.signal);
    code = kSignalCodeBase + outcome.signal;
  }
  log_.Info(kTag, "Finished with return code: %d", code);

  if (code != 0) {
    log_.Error(kTag, "Failed to execute OPEN3DX command with return code: %d", code);
    return Respond(1, "Failed to execute OPEN3DX command with return code: " + std::to_string(code),
                   response);
  }
  log_.Info(kTag, "Successfully executed OPEN3DX command.");
  return Respond(0, "Successfully executed OPEN3DX command.", response);
}
