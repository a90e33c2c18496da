// HTTP at the byte level for the server tests: requests written by hand, replies split by their lengths, and
// the gateway program run as a child process.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ChildProcess.h"

namespace rawhttp {

// A blocking connection to 127.0.0.1:port whose reads give up after the time-out; -1 when it fails.
int Connect(int port, int receiveTimeoutSeconds = 10);
bool SendAll(int fd, std::string_view data);

struct Received {
  std::string text;
  bool closed = false;  // orderly end of stream
  bool reset = false;   // the server dropped the connection
};

// Reads until the server closes the connection, resets it or stays silent past the time-out.
Received ReadToEnd(int fd);
// Connects, sends, reads to the end and closes.
Received Exchange(int port, std::string_view request);

// A POST on target with a Host header, the given extra header lines (each ending in CRLF) and the body.
std::string Post(std::string_view body, std::string_view extraHeaders = "Content-Type: application/xml\r\n",
                 std::string_view target = "/ZELRequest");

struct Reply {
  int status = 0;
  std::string head;
  std::string body;
};

// The replies in text, one after the other; stops at the first that is incomplete or has no length.
std::vector<Reply> SplitReplies(std::string_view text);

// Sends a request head that never ends, one header line growing towards total bytes, until the server answers
// or drops the connection. Returns the bytes sent, an upper bound of what the server read; reply gets what
// the server answered. The client's send buffer is kept small so that little hides in it.
std::size_t StreamEndlessHead(int port, std::size_t total, std::string* reply = nullptr);

// A self-signed certificate for 127.0.0.1 (EC P-256, valid for an hour) and its key, written as PEM files.
bool WriteSelfSignedCertificate(const std::string& certFile, const std::string& keyFile);

// Raises the soft limit of open descriptors to at least wanted (up to the hard limit); false when it cannot.
bool EnsureDescriptors(unsigned long wanted);

// The ZELGateway program on a free port with the given arguments; killed and reaped if a test leaves it
// running.
class GatewayProcess {
 public:
  explicit GatewayProcess(std::vector<std::string> arguments);

  // The port from the "listening" line, or 0 when the program did not print one within 60 seconds.
  int Port() const { return port_; }
  long StatusKilobytes(std::string_view field) const { return process_->StatusKilobytes(field); }
  void Signal(int signal) const { process_->Signal(signal); }
  std::optional<int> Wait(int timeoutMilliseconds) {
    return process_->Wait(std::chrono::milliseconds(timeoutMilliseconds));
  }
  // What the program printed on standard output up to its "listening" line.
  std::string Output() const { return output_; }

 private:
  std::unique_ptr<zeltest::ChildProcess> process_;
  int port_ = 0;
  std::string output_;
};

}  // namespace rawhttp
