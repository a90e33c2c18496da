#ifndef ShutdownWaitServer_h
#define ShutdownWaitServer_h
// Holds the place of the WebSocket server: needs no socket and serves nothing, it only keeps the body
// running until shutdown is requested. The WebSocket server replaces it in ListenerService.
#include "ListenerServer.h"

class ShutdownWaitServer : public ListenerServer {
 public:
  bool Setup(const ListenerConfig& config, ListenerLog& log) override;
  void Serve(const ListenerConfig& config, ListenerLog& log, const ListenerEvent& shutdown) override;
};

#endif
