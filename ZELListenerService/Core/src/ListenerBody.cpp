#include "ListenerBody.h"

namespace {
constexpr const char* kTag = "Listener";
constexpr const char* kRule = "-----------------------------------------------------------------";
}  // namespace

void ListenerBody::Banner(const char* title) {
  log_.Info(kTag, "%s", kRule);
  log_.Info(kTag, "%s", title);
  log_.Info(kTag, "%s", kRule);
}

int ListenerBody::Run(const std::string& configFile, const std::string& workingDirectory,
                      const std::function<void()>& onRunning) {
  bool loaded = configFile.empty() ? config_.Load(log_) : config_.Load(configFile, log_);
  if (!loaded) {
    log_.Startup(kTag, "Failed to initialize listener config, exiting");
    return kExitConfigFailed;
  }
  if (!log_.Open(config_.logDir, config_.logLevel))
    log_.Startup(kTag, "Failed to initialize log file, logging only to stdout");

  Banner("---------------------- Starting ZelListener ---------------------");
  log_.Info(kTag, "Using config:\n%s: %s\n%s: %s\n%s: %d\nCATSTART_PATH: %s\n%s: %s", "LOG_DIR",
            config_.logDir.c_str(), "LOG_LEVEL", ListenerLog::LevelName(config_.logLevel), "PORT",
            config_.port, config_.launcherPath.c_str(), "3DEXPERIENCE_ENV_FILE", config_.envFile.c_str());
  log_.Info(kTag, "Working directory: %s", workingDirectory.c_str());

  if (!server_.Setup(config_, log_)) {
    log_.Error(kTag, "Failed to setup socket, exiting");
    log_.Close();
    return kExitSocketFailed;
  }
  if (onRunning) onRunning();
  server_.Serve(config_, log_, shutdown_);

  log_.Info(kTag, "Shutting down, cleanup ...");
  log_.Close();
  config_ = ListenerConfig();
  Banner("---------------------- Terminating ZelListener ------------------");
  cleanupFinished_.Set();
  return kExitOk;
}
