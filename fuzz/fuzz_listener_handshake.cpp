// Arbitrary bytes as a client's upgrade request: the listener finds its end, reads its header lines and hands
// them to the WebSocket component. Whatever comes in, the end is a blank line inside the bytes, no header
// holds a line break, and an accepted handshake answers with the three response headers.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "HandshakeRequest.h"
#include "ListenerLog.h"
#include "websocket.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ListenerLog log(nullptr);
  std::string_view received(reinterpret_cast<const char*>(data), size);

  std::size_t end = HandshakeRequest::HeaderEnd(received);
  if (end > size) std::abort();
  if (end != 0) {
    std::string_view tail = received.substr(0, end);
    if (!(tail.ends_with("\n\n") || tail.ends_with("\n\r\n"))) std::abort();
  }
  std::string_view request = end ? received.substr(0, end) : received;

  std::vector<HttpHeader> headers;
  if (!HandshakeRequest::ParseHeaders(request, headers, log)) std::abort();
  std::vector<WEB_SOCKET_HTTP_HEADER> list;
  for (HttpHeader& header : headers) {
    if (header.name.find_first_of("\r\n") != std::string::npos ||
        header.value.find_first_of("\r\n") != std::string::npos || header.name.find(':') != std::string::npos)
      std::abort();
    list.push_back({header.name.data(), static_cast<ULONG>(header.name.size()), header.value.data(),
                    static_cast<ULONG>(header.value.size())});
  }

  WEB_SOCKET_HANDLE handle = nullptr;
  if (FAILED(WebSocketCreateServerHandle(nullptr, 0, &handle))) std::abort();
  PWEB_SOCKET_HTTP_HEADER response = nullptr;
  ULONG count = 0;
  HRESULT result = WebSocketBeginServerHandshake(handle, nullptr, nullptr, 0, list.data(),
                                                 static_cast<ULONG>(list.size()), &response, &count);
  if (SUCCEEDED(result)) {
    if (count != 3) std::abort();
    std::string_view accept(response[2].pcValue, response[2].ulValueLength);
    if (accept.size() != 28 || accept.back() != '=') std::abort();
    if (FAILED(WebSocketEndServerHandshake(handle))) std::abort();
  } else if (result != WEB_SOCKET_E_HANDSHAKE) {
    std::abort();
  }
  WebSocketAbortHandle(handle);
  WebSocketDeleteHandle(handle);
  return 0;
}
