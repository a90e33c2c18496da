#include "ListenerService.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "ListenerBody.h"
#include "ListenerEvent.h"
#include "ServiceManagerLink.h"
#include "StopSignalHandler.h"
#include "WebSocketServer.h"

namespace {
constexpr const char* kTag = "Listener";

// The program's full path: room for 1024 characters first, 4096 when that was exactly filled.
bool ProgramPath(std::string& path) {
  for (std::size_t room : {std::size_t{1024}, std::size_t{4096}}) {
    std::vector<char> buffer(room);
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return false;
    if (static_cast<std::size_t>(n) < room) {
      path.assign(buffer.data(), static_cast<std::size_t>(n));
      return true;
    }
  }
  return false;
}
}  // namespace

bool ListenerService::EnterProgramDirectory(ListenerLog& log, std::string& directory) {
  std::string path;
  if (!ProgramPath(path)) {
    log.Startup(kTag, "Failed to get filepath of executable, cannot change workdir");
    return false;
  }
  log.Startup(kTag, "Path to exectuable: %s", path.c_str());
  std::size_t slash = path.rfind('/');
  directory = slash == 0 ? "/" : path.substr(0, slash);
  log.Startup(kTag, "Found working directory: %s", directory.c_str());
  if (::chdir(directory.c_str()) != 0) {
    log.Startup(kTag, "Failed to change working directory with error code: %d", errno);
    return false;
  }
  return true;
}

int ListenerService::Run() {
  // Before any thread starts, so that the stop signals reach only the handler's thread.
  StopSignalHandler::BlockStopSignals();
  // A closed standard output (a terminal gone, a reader that quit) must not end the listener.
  ::signal(SIGPIPE, SIG_IGN);

  std::string directory;
  if (!EnterProgramDirectory(log_, directory)) return kExitWorkingDirectory;

  ListenerEvent shutdown;
  ListenerEvent cleanupFinished;

  // Started by a service manager: report to it; otherwise run as a console process.
  const bool serviceMode = ServiceManagerLink::Requested();
  ServiceManagerLink manager;
  if (serviceMode) {
    int error = manager.Connect();
    if (error == 0) error = manager.Notify("STATUS=Starting ZelListener");
    if (error != 0) {
      std::printf("Failed to run service dispatch with error code %ld\n", static_cast<long>(error));
      std::fflush(stdout);
      return kExitServiceDispatch;
    }
  }

  StopSignalHandler stopHandler(serviceMode, shutdown, cleanupFinished, [&] {
    if (serviceMode) manager.Notify("STOPPING=1");
  });
  stopHandler.Start();

  WebSocketServer server;
  ListenerBody body(log_, server, shutdown, cleanupFinished);
  int code = body.Run({}, directory, [&] {
    if (serviceMode) manager.Notify("READY=1\nSTATUS=Running");
  });

  // Whatever ended the body, a stop in progress need not wait for it any longer.
  cleanupFinished.Set();
  stopHandler.Finish();
  if (serviceMode && code != ListenerBody::kExitOk)
    manager.Notify("STATUS=Stopped with service-specific exit code " + std::to_string(code));
  return code;
}
