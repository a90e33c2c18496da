#ifndef HandshakeRequest_h
#define HandshakeRequest_h
// The client's HTTP upgrade request: where it ends, and its header lines as the WebSocket component takes
// them (names and values as sent, no case folding).
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ListenerLog.h"

struct HttpHeader {
  std::string name;
  std::string value;
};

class HandshakeRequest {
 public:
  // A request whose headers have not ended within this many bytes is refused.
  static constexpr std::size_t kMaxBytes = 16 * 1024;

  // The length of the request up to and including the blank line that ends its headers, or 0 while that
  // line has not arrived.
  static std::size_t HeaderEnd(std::string_view received);

  // The headers of a request: every line after the request line that holds ":" (debug lines logged).
  // False when memory runs out (logged).
  static bool ParseHeaders(std::string_view request, std::vector<HttpHeader>& headers, ListenerLog& log);
};

#endif
