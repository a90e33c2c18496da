#ifndef WebSocketHandshake_h
#define WebSocketHandshake_h
// The server's side of the opening handshake: the checks on the client's upgrade request headers and the
// accept key that proves the server read them.
#include <string>
#include <string_view>

#include "websocket.h"

namespace WebSocketHandshake {

// The accept key for a request key: base64 of the SHA-1 of the key and the protocol's fixed GUID.
std::string AcceptKey(std::string_view key);

// True when the key is base64 of exactly 16 bytes.
bool IsValidKey(std::string_view key);

// True when the headers ask for a version-13 WebSocket upgrade with one valid key; the key is returned.
bool Validate(const WEB_SOCKET_HTTP_HEADER* headers, ULONG count, std::string& key);

}  // namespace WebSocketHandshake

#endif
