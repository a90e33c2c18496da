// The WebSocket component on its own: the upgrade checks and accept key, and the frames it takes from the
// network bytes a caller hands it, driven through its action queues as a server drives it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "RawClient.h"
#include "websocket.h"

namespace {

WEB_SOCKET_HTTP_HEADER Header(const char* name, const char* value) {
  return {const_cast<char*>(name), static_cast<ULONG>(std::strlen(name)), const_cast<char*>(value),
          static_cast<ULONG>(std::strlen(value))};
}

HRESULT Begin(std::vector<WEB_SOCKET_HTTP_HEADER> headers, std::string* accept = nullptr) {
  WEB_SOCKET_HANDLE handle = nullptr;
  if (FAILED(WebSocketCreateServerHandle(nullptr, 0, &handle))) return E_FAIL;
  PWEB_SOCKET_HTTP_HEADER response = nullptr;
  ULONG count = 0;
  HRESULT result = WebSocketBeginServerHandshake(handle, nullptr, nullptr, 0, headers.data(),
                                                 static_cast<ULONG>(headers.size()), &response, &count);
  if (SUCCEEDED(result) && accept) {
    for (ULONG i = 0; i < count; ++i)
      if (std::string(response[i].pcName, response[i].ulNameLength) == "Sec-WebSocket-Accept")
        accept->assign(response[i].pcValue, response[i].ulValueLength);
  }
  WebSocketDeleteHandle(handle);
  return result;
}

TEST(WebSocketComponentTest, TheUpgradeRequestIsCheckedAndAnsweredWithTheAcceptKey) {
  std::string accept;
  // Names and the Upgrade and Connection values are compared without case; Connection may list tokens.
  EXPECT_EQ(
      Begin({Header("upgrade", "WebSocket"), Header("CONNECTION", "keep-alive, Upgrade"),
             Header("Sec-WebSocket-Version", "13"), Header("sec-websocket-key", "dGhlIHNhbXBsZSBub25jZQ==")},
            &accept),
      S_OK);
  EXPECT_EQ(accept, "s3pPLMBiTxaQ9kYGzzhZRbK+xOo=");

  const WEB_SOCKET_HTTP_HEADER upgrade = Header("Upgrade", "websocket"),
                               connection = Header("Connection", "Upgrade"),
                               version = Header("Sec-WebSocket-Version", "13"),
                               key = Header("Sec-WebSocket-Key", "dGhlIHNhbXBsZSBub25jZQ==");
  EXPECT_EQ(Begin({connection, version, key}), WEB_SOCKET_E_HANDSHAKE);
  EXPECT_EQ(Begin({upgrade, Header("Connection", "keep-alive"), version, key}), WEB_SOCKET_E_HANDSHAKE);
  EXPECT_EQ(Begin({upgrade, connection, Header("Sec-WebSocket-Version", "8"), key}), WEB_SOCKET_E_HANDSHAKE);
  EXPECT_EQ(Begin({upgrade, connection, key}), WEB_SOCKET_E_HANDSHAKE);
  EXPECT_EQ(Begin({upgrade, connection, version}), WEB_SOCKET_E_HANDSHAKE);
  EXPECT_EQ(Begin({upgrade, connection, version, key, key}), WEB_SOCKET_E_HANDSHAKE);
  // The key must be base64 of 16 bytes.
  for (const char* bad : {"dGhlIHNhbXBsZSBub25jZQ", "dGhlIHNhbXBsZSBub25jZQ=", "dGhlIHNhbXBsZSBub25j",
                          "dGhlIHNhbXBsZSBub25jZ!==", "dGhlIHNhbXBsZSBub25jZQ==dGhl"})
    EXPECT_EQ(Begin({upgrade, connection, version, Header("Sec-WebSocket-Key", bad)}), WEB_SOCKET_E_HANDSHAKE)
        << bad;
}

// A handle after a valid handshake, fed network bytes through its receive queue.
class Connection {
 public:
  Connection() {
    WebSocketCreateServerHandle(nullptr, 0, &handle_);
    WEB_SOCKET_HTTP_HEADER headers[] = {Header("Upgrade", "websocket"), Header("Connection", "Upgrade"),
                                        Header("Sec-WebSocket-Version", "13"),
                                        Header("Sec-WebSocket-Key", "dGhlIHNhbXBsZSBub25jZQ==")};
    PWEB_SOCKET_HTTP_HEADER response = nullptr;
    ULONG count = 0;
    begun_ = SUCCEEDED(WebSocketBeginServerHandshake(handle_, nullptr, nullptr, 0, headers, 4, &response,
                                                     &count)) &&
             SUCCEEDED(WebSocketEndServerHandshake(handle_));
  }
  ~Connection() { WebSocketDeleteHandle(handle_); }
  WEB_SOCKET_HANDLE Handle() const { return handle_; }
  bool Begun() const { return begun_; }

  struct Received {
    HRESULT result = S_OK;
    WEB_SOCKET_BUFFER_TYPE type{};
    std::string data;
    USHORT status = 0;
  };
  // One receive: the network bytes are handed over in pieces of at most piece bytes; an empty network
  // means the peer ended.
  Received Receive(std::string& network, std::size_t piece = 4096) {
    Received received;
    received.result = WebSocketReceive(handle_, nullptr, nullptr);
    while (SUCCEEDED(received.result)) {
      WEB_SOCKET_BUFFER buffer{};
      ULONG count = 1;
      WEB_SOCKET_ACTION action;
      PVOID context = nullptr;
      received.result = WebSocketGetAction(handle_, WEB_SOCKET_RECEIVE_ACTION_QUEUE, &buffer, &count, &action,
                                           &received.type, nullptr, &context);
      if (FAILED(received.result)) break;
      if (action == WEB_SOCKET_RECEIVE_FROM_NETWORK_ACTION) {
        std::size_t n =
            std::min({piece, network.size(), static_cast<std::size_t>(buffer.Data.ulBufferLength)});
        std::memcpy(buffer.Data.pbBuffer, network.data(), n);
        network.erase(0, n);
        WebSocketCompleteAction(handle_, context, static_cast<ULONG>(n));
      } else if (action == WEB_SOCKET_INDICATE_RECEIVE_COMPLETE_ACTION) {
        if (received.type == WEB_SOCKET_CLOSE_BUFFER_TYPE) {
          received.data.assign(reinterpret_cast<char*>(buffer.CloseStatus.pbReason),
                               buffer.CloseStatus.ulReasonLength);
          received.status = buffer.CloseStatus.usStatus;
        } else {
          received.data.assign(reinterpret_cast<char*>(buffer.Data.pbBuffer), buffer.Data.ulBufferLength);
        }
        WebSocketCompleteAction(handle_, context, 0);
        break;
      } else {
        received.result = E_UNEXPECTED_ACTION;
      }
    }
    return received;
  }
  // Everything the send queue has for the network, each piece reported sent in full.
  std::string Drain() {
    std::string wire;
    while (true) {
      WEB_SOCKET_BUFFER buffer{};
      ULONG count = 1;
      WEB_SOCKET_ACTION action;
      WEB_SOCKET_BUFFER_TYPE type;
      PVOID context = nullptr;
      if (FAILED(WebSocketGetAction(handle_, WEB_SOCKET_SEND_ACTION_QUEUE, &buffer, &count, &action, &type,
                                    nullptr, &context)) ||
          action == WEB_SOCKET_NO_ACTION)
        return wire;
      ULONG sent = 0;
      if (action == WEB_SOCKET_SEND_TO_NETWORK_ACTION) {
        wire.append(reinterpret_cast<char*>(buffer.Data.pbBuffer), buffer.Data.ulBufferLength);
        sent = buffer.Data.ulBufferLength;
      }
      WebSocketCompleteAction(handle_, context, sent);
    }
  }
  static constexpr HRESULT E_UNEXPECTED_ACTION = static_cast<HRESULT>(0x8000FFFF);

 private:
  WEB_SOCKET_HANDLE handle_ = nullptr;
  bool begun_ = false;
};

TEST(WebSocketComponentTest, FramesBecomeIndicationsWhateverPiecesTheyArriveIn) {
  for (std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
    Connection connection;
    ASSERT_TRUE(connection.Begun());
    std::string network = RawClient::Frame(0x9, "hi") + RawClient::Frame(0x1, "ZEL:@:\xC3\xA4") +
                          RawClient::Frame(0xA, "") + RawClient::Frame(0x1, "ab", false) +
                          RawClient::Frame(0x0, "cd", true) + RawClient::Frame(0x2, std::string("\0\1", 2)) +
                          RawClient::Frame(0x8,
                                           "\x03\xE9"
                                           "bye");
    Connection::Received ping = connection.Receive(network, piece);
    EXPECT_EQ(ping.type, WEB_SOCKET_PING_PONG_BUFFER_TYPE);
    EXPECT_EQ(ping.data, "hi");
    Connection::Received text = connection.Receive(network, piece);
    ASSERT_EQ(text.result, S_OK) << piece;
    EXPECT_EQ(text.type, WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE);
    EXPECT_EQ(text.data, "ZEL:@:\xC3\xA4");
    EXPECT_EQ(connection.Receive(network, piece).type, WEB_SOCKET_UNSOLICITED_PONG_BUFFER_TYPE);
    Connection::Received first = connection.Receive(network, piece),
                         last = connection.Receive(network, piece);
    EXPECT_EQ(first.type, WEB_SOCKET_UTF8_FRAGMENT_BUFFER_TYPE);
    EXPECT_EQ(last.type, WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE);
    EXPECT_EQ(first.data + last.data, "abcd");
    Connection::Received binary = connection.Receive(network, piece);
    EXPECT_EQ(binary.type, WEB_SOCKET_BINARY_MESSAGE_BUFFER_TYPE);
    EXPECT_EQ(binary.data, std::string("\0\1", 2));
    Connection::Received close = connection.Receive(network, piece);
    EXPECT_EQ(close.type, WEB_SOCKET_CLOSE_BUFFER_TYPE);
    EXPECT_EQ(close.status, 1001);
    EXPECT_EQ(close.data, "bye");
    // The ping was answered with an unmasked pong carrying its data.
    EXPECT_EQ(connection.Drain(), "\x8A\x02hi");
    // The network ends: a failure, not a wait.
    EXPECT_EQ(connection.Receive(network).result, WEB_SOCKET_E_DISCONNECTED);
  }
}

TEST(WebSocketComponentTest, ProtocolViolationsFailTheReceive) {
  const std::vector<std::pair<std::string, HRESULT>> cases = {
      {RawClient::Frame(0x1, "unmasked", true, false), WEB_SOCKET_E_PROTOCOL},
      {std::string("\xC1\x80\0\0\0\0", 6), WEB_SOCKET_E_PROTOCOL},  // a reserved bit
      {RawClient::Frame(0x3, "x"), WEB_SOCKET_E_PROTOCOL},          // a reserved opcode
      {RawClient::Frame(0x9, "x", false), WEB_SOCKET_E_PROTOCOL},   // a fragmented ping
      {RawClient::Frame(0x0, "x"), WEB_SOCKET_E_PROTOCOL},          // a continuation of nothing
      {RawClient::Frame(0x1, "a", false) + RawClient::Frame(0x1, "b"), WEB_SOCKET_E_PROTOCOL},
      {RawClient::Frame(0x1, "\xC3\x28"), WEB_SOCKET_E_PROTOCOL},      // not UTF-8
      {RawClient::Frame(0x1, "\xED\xA0\x80"), WEB_SOCKET_E_PROTOCOL},  // a surrogate
      {RawClient::Frame(0x1, "\xC3", false) + RawClient::Frame(0x0, "\xA4") + RawClient::Frame(0x1, "\xC3"),
       WEB_SOCKET_E_PROTOCOL},                                     // ends inside a character
      {RawClient::Frame(0x8, "\x03"), WEB_SOCKET_E_PROTOCOL},      // a close status of one byte
      {RawClient::Frame(0x8, "\x03\xED"), WEB_SOCKET_E_PROTOCOL},  // status 1005 is never sent
      {RawClient::Frame(0x2, "abc", true, true, 1ull << 40), WEB_SOCKET_E_MESSAGE_TOO_BIG},
      {RawClient::Frame(0x2, std::string(40000, 'a'), false) + RawClient::Frame(0x0, std::string(30000, 'a')),
       WEB_SOCKET_E_MESSAGE_TOO_BIG},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    Connection connection;
    std::string network = cases[i].first;
    HRESULT result = S_OK;
    for (int indication = 0; indication < 4 && SUCCEEDED(result); ++indication)
      result = connection.Receive(network).result;
    EXPECT_EQ(result, cases[i].second) << "case " << i;
    // The failure stays.
    EXPECT_EQ(connection.Receive(network).result, cases[i].second) << "case " << i;
  }
  // A message of exactly the limit is taken.
  Connection connection;
  std::string network = RawClient::Frame(0x2, std::string(64 * 1024, 'a'));
  EXPECT_EQ(connection.Receive(network).type, WEB_SOCKET_BINARY_MESSAGE_BUFFER_TYPE);
}

TEST(WebSocketComponentTest, SendsAreFramedAndCheckedAndNothingFollowsTheClose) {
  Connection connection;
  WEB_SOCKET_BUFFER text{};
  std::string hello = "h\xC3\xA4";
  text.Data.pbBuffer = reinterpret_cast<PBYTE>(hello.data());
  text.Data.ulBufferLength = static_cast<ULONG>(hello.size());
  ASSERT_EQ(WebSocketSend(connection.Handle(), WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE, &text, nullptr), S_OK);
  EXPECT_EQ(connection.Drain(), "\x81\x03h\xC3\xA4");
  std::string broken = "a\xC3";
  text.Data.pbBuffer = reinterpret_cast<PBYTE>(broken.data());
  text.Data.ulBufferLength = 2;
  EXPECT_EQ(WebSocketSend(connection.Handle(), WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE, &text, nullptr),
            E_INVALIDARG);

  WEB_SOCKET_BUFFER close{};
  close.CloseStatus.usStatus = 1005;  // not a status to send: an empty close frame
  ASSERT_EQ(WebSocketSend(connection.Handle(), WEB_SOCKET_CLOSE_BUFFER_TYPE, &close, nullptr), S_OK);
  EXPECT_EQ(connection.Drain(), std::string("\x88\x00", 2));
  EXPECT_EQ(WebSocketSend(connection.Handle(), WEB_SOCKET_CLOSE_BUFFER_TYPE, &close, nullptr),
            E_NOT_VALID_STATE);

  Connection other;
  close.CloseStatus.usStatus = 1000;
  ASSERT_EQ(WebSocketSend(other.Handle(), WEB_SOCKET_CLOSE_BUFFER_TYPE, &close, nullptr), S_OK);
  EXPECT_EQ(other.Drain(), "\x88\x02\x03\xE8");
  WebSocketAbortHandle(other.Handle());
  std::string network = RawClient::Frame(0x1, "x");
  EXPECT_EQ(other.Receive(network).result, E_NOT_VALID_STATE);

  // Nothing before the handshake has ended.
  WEB_SOCKET_HANDLE fresh = nullptr;
  ASSERT_EQ(WebSocketCreateServerHandle(nullptr, 0, &fresh), S_OK);
  EXPECT_EQ(WebSocketReceive(fresh, nullptr, nullptr), E_NOT_VALID_STATE);
  EXPECT_EQ(WebSocketEndServerHandshake(fresh), E_NOT_VALID_STATE);
  WebSocketDeleteHandle(fresh);
}

}  // namespace
