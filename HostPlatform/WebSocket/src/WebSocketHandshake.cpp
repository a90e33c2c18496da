#include "WebSocketHandshake.h"

#include <openssl/evp.h>

#include <cstring>
#include <vector>

namespace {

constexpr std::string_view kGuid = "258EAFA5-E914-47DA-95CA-C5AB0DC85B11";
constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
  std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  std::size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// Comma-separated header values ("keep-alive, Upgrade") hold tokens compared without case.
bool HasToken(std::string_view list, std::string_view token) {
  while (true) {
    std::size_t comma = list.find(',');
    if (EqualsIgnoringCase(Trim(list.substr(0, comma)), token)) return true;
    if (comma == std::string_view::npos) return false;
    list.remove_prefix(comma + 1);
  }
}

bool IsBase64Character(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

std::string_view View(const char* text, ULONG length) {
  return text && length ? std::string_view(text, length) : std::string_view();
}

}  // namespace

namespace WebSocketHandshake {

std::string AcceptKey(std::string_view key) {
  std::string input(key);
  input.append(kGuid);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int digestLength = 0;
  if (!EVP_Digest(input.data(), input.size(), digest, &digestLength, EVP_sha1(), nullptr)) return {};
  unsigned char encoded[4 * ((EVP_MAX_MD_SIZE + 2) / 3) + 1];
  int length = EVP_EncodeBlock(encoded, digest, static_cast<int>(digestLength));
  return std::string(reinterpret_cast<const char*>(encoded), static_cast<std::size_t>(length));
}

bool IsValidKey(std::string_view key) {
  // 16 bytes are 22 characters of base64 and the padding "==".
  if (key.size() != 24 || key.substr(22) != "==") return false;
  for (std::size_t i = 0; i < 22; ++i)
    if (!IsBase64Character(key[i])) return false;
  return true;
}

bool Validate(const WEB_SOCKET_HTTP_HEADER* headers, ULONG count, std::string& key) {
  bool upgrade = false, connection = false, version = false;
  int keys = 0;
  for (ULONG i = 0; i < count; ++i) {
    std::string_view name = Trim(View(headers[i].pcName, headers[i].ulNameLength));
    std::string_view value = Trim(View(headers[i].pcValue, headers[i].ulValueLength));
    if (EqualsIgnoringCase(name, "Upgrade")) {
      upgrade = upgrade || HasToken(value, "websocket");
    } else if (EqualsIgnoringCase(name, "Connection")) {
      connection = connection || HasToken(value, "Upgrade");
    } else if (EqualsIgnoringCase(name, "Sec-WebSocket-Version")) {
      // A second, different version would leave the request ambiguous.
      if (value != "13") return false;
      version = true;
    } else if (EqualsIgnoringCase(name, "Sec-WebSocket-Key")) {
      if (++keys > 1 || !IsValidKey(value)) return false;
      key.assign(value);
    }
  }
  return upgrade && connection && version && keys == 1;
}

}  // namespace WebSocketHandshake
