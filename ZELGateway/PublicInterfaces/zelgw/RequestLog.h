// One line per request: UTC time, function, request id, outcome ("OK" or "ERROR <code>") and milliseconds,
// then the reason of an internal error when there is one. Function and id come from the client, so they are
// cut short and stripped of anything that could forge a line. Notices of the gateway itself are lines of
// their own: UTC time, "WARNING" and the text.
#pragma once

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace zelgw {

class RequestLog {
 public:
  // Writes to a stream the caller keeps open (standard output, for example).
  explicit RequestLog(std::FILE* stream);
  // Appends to a file, creating it readable and writable by its owner only (requests name users); throws
  // std::runtime_error when it cannot be opened.
  explicit RequestLog(const std::string& path);
  ~RequestLog();
  RequestLog(const RequestLog&) = delete;
  RequestLog& operator=(const RequestLog&) = delete;

  void Write(std::string_view function, std::string_view requestId, int errorCode, double milliseconds,
             std::string_view detail = {});
  void Warn(std::string_view text);

 private:
  std::FILE* stream_;
  bool owned_;
  std::mutex mutex_;
};

}  // namespace zelgw
