// ZELListenerService: lets a web page on the user's machine ask the running 3DEXPERIENCE session to open an
// object. Runs as a console process, or under a service manager (systemd, NOTIFY_SOCKET). Exit codes: 0
// normal end; 1 no working directory or no usable configuration; 2 the listening socket cannot be set up; 3
// the service manager's socket cannot be used.
#include "ListenerService.h"

int main() {
  ListenerService service;
  return service.Run();
}
