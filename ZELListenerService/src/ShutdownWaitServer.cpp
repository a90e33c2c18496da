#include "ShutdownWaitServer.h"

bool ShutdownWaitServer::Setup(const ListenerConfig&, ListenerLog&) {
  return true;
}

void ShutdownWaitServer::Serve(const ListenerConfig&, ListenerLog&, const ListenerEvent& shutdown) {
  while (!shutdown.WaitFor(std::chrono::seconds(5))) {
  }
}
