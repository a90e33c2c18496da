#ifndef ListenerServer_h
#define ListenerServer_h
// What the body runs between start-up and cleanup: set up the listening socket, then serve until shutdown is
// requested. The WebSocket server implements it.
#include "ListenerConfig.h"
#include "ListenerEvent.h"
#include "ListenerLog.h"

class ListenerServer {
 public:
  virtual ~ListenerServer() = default;
  // False when the listening socket cannot be set up (reported by the server).
  virtual bool Setup(const ListenerConfig& config, ListenerLog& log) = 0;
  // Returns once shutdown is set; checks it at least every few seconds.
  virtual void Serve(const ListenerConfig& config, ListenerLog& log, const ListenerEvent& shutdown) = 0;
};

#endif
