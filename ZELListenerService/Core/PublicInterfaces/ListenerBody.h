#ifndef ListenerBody_h
#define ListenerBody_h
// The listener's life, the same in console and service mode: configuration, log, banner, server, cleanup.
#include <functional>
#include <string>

#include "ListenerConfig.h"
#include "ListenerEvent.h"
#include "ListenerLog.h"
#include "ListenerServer.h"

class ListenerBody {
 public:
  static constexpr int kExitOk = 0;
  static constexpr int kExitConfigFailed = 1;
  static constexpr int kExitSocketFailed = 2;

  ListenerBody(ListenerLog& log, ListenerServer& server, ListenerEvent& shutdown,
               ListenerEvent& cleanupFinished)
      : log_(log), server_(server), shutdown_(shutdown), cleanupFinished_(cleanupFinished) {}

  // Runs to the end; onRunning is called once the server is set up (the service reports itself running).
  // configFile empty: the configuration's own rule (ZEL_LISTENER_CONFIG_FILE, else the default path).
  int Run(const std::string& configFile, const std::string& workingDirectory,
          const std::function<void()>& onRunning = {});

  const ListenerConfig& Config() const { return config_; }

 private:
  void Banner(const char* title);

  ListenerLog& log_;
  ListenerServer& server_;
  ListenerEvent& shutdown_;
  ListenerEvent& cleanupFinished_;
  ListenerConfig config_;
};

#endif
