#ifndef ServiceManagerLink_h
#define ServiceManagerLink_h
// The link to a service manager that started the listener (systemd's notification socket, NOTIFY_SOCKET):
// the Linux form of the service status reports.
#include <string>

class ServiceManagerLink {
 public:
  ServiceManagerLink() = default;
  ~ServiceManagerLink();
  ServiceManagerLink(const ServiceManagerLink&) = delete;
  ServiceManagerLink& operator=(const ServiceManagerLink&) = delete;

  // True when a service manager asked for reports (NOTIFY_SOCKET is set).
  static bool Requested();
  // Connects to the manager's socket; 0, or the error number when that fails.
  int Connect();
  // Sends one report ("READY=1", "STOPPING=1", "STATUS=..."); 0, or the error number.
  int Notify(const std::string& report) const;

 private:
  int fd_ = -1;
};

#endif
