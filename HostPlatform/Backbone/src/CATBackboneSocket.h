#ifndef CATBackboneSocket_h
#define CATBackboneSocket_h
// Sockets of the bus directory: their names, finding the live instance of an application, and bounded
// writes.
//
// A declared application listens on "<dir>/<application>.<20-digit CLOCK_REALTIME ns>.<pid>.sock". A
// request goes to the most recently declared live instance: the application's sockets are tried newest
// first, and one that refuses the connection or has vanished belonged to a process that is gone, so it is
// removed and the next one is tried.
#include <string>
#include <string_view>
#include <vector>

// Time a request or an answer may take to be written.
inline constexpr int kCATBackboneWriteTimeoutMs = 10000;

// A new socket name for the application, unique to this process and moment.
std::string CATBBNewSocketName(const std::string& application);
// The application's sockets in dir (full paths), newest first; other applications' names are left out.
std::vector<std::string> CATBBApplicationSockets(const std::string& dir, const std::string& application);
// Whether path is a socket owned by this user; otherwise writes one line on standard error saying why it is
// skipped.
bool CATBBIsOwnSocket(const std::string& path);
// Fills a sockaddr_un path; false (with one line on standard error) when the path does not fit.
bool CATBBFitsSocketPath(const std::string& path);

// Connects (non-blocking, close-on-exec) to the newest live socket of the application; removes the stale
// ones met on the way. Returns the descriptor and sets *path to the socket, or -1 with *errorId set.
int CATBBConnectApplication(const std::string& dir, const std::string& application, std::string* path,
                            int* errorId);
// Connects to one socket path; -1 with errno set on failure.
int CATBBConnectPath(const std::string& path);

// Writes all of data within timeoutMs; false with a reason on failure (the peer is gone, time-out).
bool CATBBWriteAll(int fd, std::string_view data, int timeoutMs, std::string* reason);

#endif
