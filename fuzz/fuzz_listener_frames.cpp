// Arbitrary bytes as the network data of a connection after a valid handshake, handed to the WebSocket
// component in pieces whose size the first byte chooses. Whatever comes in, the receive queue ends with a
// failure or wants more bytes, every text it indicates is UTF-8, no message exceeds the limit, a close
// carries a status that may be sent, and the send queue only ever holds whole pong frames.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "websocket.h"

namespace {

bool IsUtf8Prefix(const std::uint8_t* data, std::size_t size, bool complete) {
  std::size_t i = 0;
  while (i < size) {
    std::uint8_t lead = data[i];
    std::size_t length = lead < 0x80           ? 1
                         : (lead >> 5) == 0x6  ? 2
                         : (lead >> 4) == 0xE  ? 3
                         : (lead >> 3) == 0x1E ? 4
                                               : 0;
    if (length == 0) return false;
    if (i + length > size) {
      if (complete) return false;
      length = size - i;
    }
    for (std::size_t k = 1; k < length; ++k)
      if ((data[i + k] & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

WEB_SOCKET_HTTP_HEADER Header(const char* name, const char* value) {
  return {const_cast<char*>(name), static_cast<ULONG>(std::strlen(name)), const_cast<char*>(value),
          static_cast<ULONG>(std::strlen(value))};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t piece = 1 + data[0] % 64 * 64;
  std::string network(reinterpret_cast<const char*>(data + 1), size - 1);

  WEB_SOCKET_HANDLE handle = nullptr;
  if (FAILED(WebSocketCreateServerHandle(nullptr, 0, &handle))) std::abort();
  WEB_SOCKET_HTTP_HEADER headers[] = {Header("Upgrade", "websocket"), Header("Connection", "Upgrade"),
                                      Header("Sec-WebSocket-Version", "13"),
                                      Header("Sec-WebSocket-Key", "dGhlIHNhbXBsZSBub25jZQ==")};
  PWEB_SOCKET_HTTP_HEADER response = nullptr;
  ULONG count = 0;
  if (FAILED(WebSocketBeginServerHandshake(handle, nullptr, nullptr, 0, headers, 4, &response, &count)) ||
      FAILED(WebSocketEndServerHandshake(handle)))
    std::abort();

  bool ended = false;
  std::string text;
  for (int round = 0; round < 100000 && !ended; ++round) {
    if (FAILED(WebSocketReceive(handle, nullptr, nullptr))) std::abort();
    while (true) {
      WEB_SOCKET_BUFFER buffer{};
      ULONG buffers = 1;
      WEB_SOCKET_ACTION action;
      WEB_SOCKET_BUFFER_TYPE type;
      PVOID context = nullptr;
      if (FAILED(WebSocketGetAction(handle, WEB_SOCKET_RECEIVE_ACTION_QUEUE, &buffer, &buffers, &action,
                                    &type, nullptr, &context))) {
        ended = true;
        break;
      }
      if (action == WEB_SOCKET_RECEIVE_FROM_NETWORK_ACTION) {
        std::size_t n =
            std::min({piece, network.size(), static_cast<std::size_t>(buffer.Data.ulBufferLength)});
        std::memcpy(buffer.Data.pbBuffer, network.data(), n);
        network.erase(0, n);
        WebSocketCompleteAction(handle, context, static_cast<ULONG>(n));
        continue;
      }
      if (action != WEB_SOCKET_INDICATE_RECEIVE_COMPLETE_ACTION) std::abort();
      if (type == WEB_SOCKET_CLOSE_BUFFER_TYPE) {
        unsigned status = buffer.CloseStatus.usStatus;
        if (status != 1005 && !((status >= 1000 && status <= 1003) || (status >= 1007 && status <= 1011) ||
                                (status >= 3000 && status <= 4999)))
          std::abort();
        if (!IsUtf8Prefix(buffer.CloseStatus.pbReason, buffer.CloseStatus.ulReasonLength, true)) std::abort();
      } else {
        if (buffer.Data.ulBufferLength > 64 * 1024) std::abort();
        // A text message's fragments together are UTF-8 and within the limit.
        if (type == WEB_SOCKET_UTF8_FRAGMENT_BUFFER_TYPE || type == WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE)
          text.append(reinterpret_cast<const char*>(buffer.Data.pbBuffer), buffer.Data.ulBufferLength);
        if (type == WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE) {
          if (text.size() > 64 * 1024 ||
              !IsUtf8Prefix(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), true))
            std::abort();
          text.clear();
        }
      }
      WebSocketCompleteAction(handle, context, 0);
      break;
    }
    // Pongs owed to the peer leave as whole unmasked frames.
    while (true) {
      WEB_SOCKET_BUFFER buffer{};
      ULONG buffers = 1;
      WEB_SOCKET_ACTION action;
      WEB_SOCKET_BUFFER_TYPE type;
      PVOID context = nullptr;
      if (FAILED(WebSocketGetAction(handle, WEB_SOCKET_SEND_ACTION_QUEUE, &buffer, &buffers, &action, &type,
                                    nullptr, &context)))
        std::abort();
      if (action == WEB_SOCKET_NO_ACTION) break;
      if (action != WEB_SOCKET_SEND_TO_NETWORK_ACTION || type != WEB_SOCKET_PING_PONG_BUFFER_TYPE ||
          buffer.Data.ulBufferLength < 2 || buffer.Data.pbBuffer[0] != 0x8A ||
          buffer.Data.ulBufferLength != 2u + (buffer.Data.pbBuffer[1] & 0x7F))
        std::abort();
      WebSocketCompleteAction(handle, context, buffer.Data.ulBufferLength);
    }
  }
  if (!ended) std::abort();
  WebSocketDeleteHandle(handle);
  return 0;
}
