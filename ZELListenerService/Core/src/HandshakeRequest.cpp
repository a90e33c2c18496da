#include "HandshakeRequest.h"

#include <algorithm>
#include <new>

namespace {
constexpr const char* kTag = "WebsocketServer";
}

std::size_t HandshakeRequest::HeaderEnd(std::string_view received) {
  // Lines end in CR LF; a bare LF is taken too, as HTTP readers commonly do.
  for (std::size_t lf = received.find('\n'); lf != std::string_view::npos; lf = received.find('\n', lf + 1)) {
    std::size_t next = lf + 1;
    if (next < received.size() && received[next] == '\n') return next + 1;
    if (next + 1 < received.size() && received[next] == '\r' && received[next + 1] == '\n') return next + 2;
  }
  return 0;
}

bool HandshakeRequest::ParseHeaders(std::string_view request, std::vector<HttpHeader>& headers,
                                    ListenerLog& log) {
  headers.clear();
  bool requestLine = true;
  std::size_t position = 0;
  while (position < request.size()) {
    std::size_t end = request.find_first_of("\r\n", position);
    if (end == std::string_view::npos) end = request.size();
    std::string_view piece = request.substr(position, end - position);
    position = end + 1;
    if (piece.empty()) continue;
    // The request line's method and target are not the component's business.
    if (requestLine) {
      requestLine = false;
      continue;
    }
    std::size_t colon = piece.find(':');
    if (colon == std::string_view::npos) continue;
    std::string line(piece);
    log.Debug(kTag, "Parsing HTTP Header: %s", line.c_str());
    std::string_view value = piece.substr(colon + 1);
    std::size_t first = value.find_first_not_of(" \t\v\f");
    value = first == std::string_view::npos ? std::string_view() : value.substr(first);
    HttpHeader header;
    try {
      header.name.assign(piece.substr(0, colon));
    } catch (const std::bad_alloc&) {
      log.Error(kTag, "Failed to allocate memory for header key [%s]", line.c_str());
      return false;
    }
    try {
      header.value.assign(value);
      headers.push_back(std::move(header));
    } catch (const std::bad_alloc&) {
      log.Error(kTag, "Failed to allocate memory for header value [%s]", line.c_str());
      return false;
    }
    log.Debug(kTag, "Extracted key [%s], value [%s] from HTTP Header", headers.back().name.c_str(),
              headers.back().value.c_str());
  }
  return true;
}
