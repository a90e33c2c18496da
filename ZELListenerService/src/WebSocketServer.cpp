#include "WebSocketServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "CommandDispatcher.h"
#include "HandshakeRequest.h"
#include "ListenerErrorText.h"

namespace {

constexpr const char* kTag = "WebsocketServer";
constexpr long kWaitLimitSeconds = 60;

std::string SystemText(int error) {
  return ListenerErrorText::System(error);
}

std::string ResultText(HRESULT result) {
  return ListenerErrorText::Result(result);
}

}  // namespace

WebSocketServer::~WebSocketServer() {
  EndConnection(false);
  if (listen_ >= 0) ::close(listen_);
}

bool WebSocketServer::Setup(const ListenerConfig& config, ListenerLog& log) {
  log_ = &log;
  // Sockets need no start-up on this system.
  log.Debug(kTag, "Winsock initialized");
  listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  if (listen_ < 0) {
    int error = errno;
    log.Error(kTag, "socket failed with error code %d: %s", error, SystemText(error).c_str());
    return false;
  }
  log.Debug(kTag, "TCP Stream socket created");
  // A restarted listener must not wait for the previous one's closed connections to time out.
  int reuse = 1;
  ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);

  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  std::uint16_t port = static_cast<std::uint16_t>(config.port & 0xFFFF);
  address.sin_port = htons(port);
  if (::bind(listen_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    int error = errno;
    log.Error(kTag, "bind failed with error code %d: %s", error, SystemText(error).c_str());
    ::close(listen_);
    listen_ = -1;
    return false;
  }
  log.Debug(kTag, "Socket bound to port [%d] (network port [%d])", static_cast<int>(port),
            static_cast<int>(address.sin_port));
  if (::listen(listen_, SOMAXCONN) != 0) {
    int error = errno;
    log.Error(kTag, "listen failed with error code %d: %s", error, SystemText(error).c_str());
    ::close(listen_);
    listen_ = -1;
    return false;
  }
  log.Info(kTag, "Opened socket for listen on port [%d]", static_cast<int>(port));
  return true;
}

void WebSocketServer::LogTimeout(Wait which) {
  switch (which) {
    case Wait::kHandshakeReceive:
      log_->Error(kTag, "Receive timeout [%ld seconds] during handshake", kWaitLimitSeconds);
      break;
    case Wait::kHandshakeSend:
      log_->Error(kTag, "Send timeout [%ld seconds] during handshake", kWaitLimitSeconds);
      break;
    case Wait::kSend:
      log_->Error(kTag, "Send timeout [%ld seconds]", kWaitLimitSeconds);
      break;
    case Wait::kReceive:
      log_->Error(kTag, "Receive timeout [%ld seconds]", kWaitLimitSeconds);
      break;
  }
}

bool WebSocketServer::WaitReady(Wait which, Clock::time_point began) {
  const bool write = which == Wait::kHandshakeSend || which == Wait::kSend;
  while (true) {
    // Checked before each cycle as well, so a peer that keeps the socket busy cannot stretch the limit.
    if (Clock::now() - began > kWaitLimit) {
      state_ = kStateTimeout;
      LogTimeout(which);
      return false;
    }
    pollfd entry{client_, static_cast<short>(write ? POLLOUT : POLLIN), 0};
    int ready = ::poll(&entry, 1, static_cast<int>(std::chrono::milliseconds(kSelectCycle).count()));
    if (ready > 0) return true;
    if (ready < 0) {
      int error = errno;
      log_->Error(kTag, "select failed with error code %d: %s", error, SystemText(error).c_str());
    }
    if (shutdown_->WaitFor(kShutdownPoll)) {
      state_ = kStateShutdown;
      log_->Info(kTag, "Shutdown signal received");
      return false;
    }
  }
}

bool WebSocketServer::SendAll(const std::string& bytes, Wait which, Clock::time_point began, int& error) {
  std::size_t done = 0;
  error = 0;
  while (done < bytes.size()) {
    if (!WaitReady(which, began)) return false;
    ssize_t n = ::send(client_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
      error = errno;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool WebSocketServer::ReceiveSome(PBYTE data, std::size_t room, Clock::time_point began, ssize_t& n) {
  // Readable may still find nothing to read; only bytes, the end or a real error count.
  do {
    if (!WaitReady(Wait::kReceive, began)) return false;
    n = ::recv(client_, data, room, MSG_DONTWAIT);
  } while (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR));
  return true;
}

bool WebSocketServer::ReceiveHandshakeRequest(std::string& request) {
  log_->Debug(kTag, "Receiving message ...");
  const Clock::time_point began = Clock::now();
  std::string received;
  std::size_t end = 0;
  // A browser's request with cookies takes several reads; it ends with the blank line after the headers.
  while (end == 0) {
    if (received.size() >= HandshakeRequest::kMaxBytes) {
      log_->Error(kTag, "Handshake request exceeds %d bytes without the end of its headers",
                  static_cast<int>(HandshakeRequest::kMaxBytes));
      return false;
    }
    if (!WaitReady(Wait::kHandshakeReceive, began)) return false;
    char chunk[kChunkBytes];
    std::size_t room = std::min(sizeof chunk, HandshakeRequest::kMaxBytes - received.size());
    ssize_t n = ::recv(client_, chunk, room, MSG_DONTWAIT);
    if (n < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
      int error = errno;
      log_->Error(kTag, "Failed to receive handshake request from client with error code %d: %s", error,
                  SystemText(error).c_str());
      return false;
    }
    if (n == 0) {
      log_->Error(kTag, "Client closed the connection during the handshake");
      return false;
    }
    // The end may straddle two reads: look again from a little before the new bytes.
    std::size_t from = received.size() >= 3 ? received.size() - 3 : 0;
    received.append(chunk, static_cast<std::size_t>(n));
    std::size_t found = HandshakeRequest::HeaderEnd(std::string_view(received).substr(from));
    if (found) end = from + found;
  }
  early_.assign(received, end);
  request.assign(received, 0, end);
  log_->Debug(kTag, "Received message of size [%d]", static_cast<int>(request.size()));
  log_->Info(kTag, "Websocket handshake initialized by client");
  log_->Debug(kTag, "Received Handshake HTTP Request from Client:\n%s", request.c_str());
  return true;
}

bool WebSocketServer::Handshake() {
  std::string request;
  if (!ReceiveHandshakeRequest(request)) return false;

  std::vector<HttpHeader> headers;
  if (!HandshakeRequest::ParseHeaders(request, headers, *log_)) {
    log_->Error(kTag,
                "Failed to read HTTP Headers from client websocket handshake request, aborting handshake");
    return false;
  }
  std::vector<WEB_SOCKET_HTTP_HEADER> requestHeaders;
  for (HttpHeader& header : headers)
    requestHeaders.push_back({header.name.data(), static_cast<ULONG>(header.name.size()), header.value.data(),
                              static_cast<ULONG>(header.value.size())});

  HRESULT result = WebSocketCreateServerHandle(nullptr, 0, &handle_);
  if (FAILED(result)) {
    handle_ = nullptr;
    log_->Error(kTag, "Failed to create Websocket handle with error code %ld: %s", static_cast<long>(result),
                ResultText(result).c_str());
    return false;
  }
  PWEB_SOCKET_HTTP_HEADER responseHeaders = nullptr;
  ULONG responseCount = 0;
  result = WebSocketBeginServerHandshake(handle_, nullptr, nullptr, 0, requestHeaders.data(),
                                         static_cast<ULONG>(requestHeaders.size()), &responseHeaders,
                                         &responseCount);
  if (FAILED(result)) {
    log_->Error(kTag, "Websocket serverside handshake failed with error code %ld: %s",
                static_cast<long>(result), ResultText(result).c_str());
    WebSocketAbortHandle(handle_);
    return false;
  }

  std::string response = "HTTP/1.1 101 Switching Protocols\r\n";
  for (ULONG i = 0; i < responseCount; ++i) {
    response.append(responseHeaders[i].pcName, responseHeaders[i].ulNameLength);
    response += ": ";
    response.append(responseHeaders[i].pcValue, responseHeaders[i].ulValueLength);
    response += "\r\n";
  }
  response += "\r\n";
  log_->Debug(kTag, "Created Handshake response, HTTP Headers:\n%s", response.c_str());

  int error = 0;
  if (!SendAll(response, Wait::kHandshakeSend, Clock::now(), error)) {
    if (error != 0)
      log_->Error(kTag, "Failed to send handshake response to client with error code %d: %s", error,
                  SystemText(error).c_str());
    WebSocketAbortHandle(handle_);
    return false;
  }
  log_->Info(kTag, "Handshake response sent to client");
  result = WebSocketEndServerHandshake(handle_);
  if (FAILED(result)) {
    log_->Error(kTag, "Failed to end Websocket serverside handshake with error code %ld: %s",
                static_cast<long>(result), ResultText(result).c_str());
    WebSocketAbortHandle(handle_);
    return false;
  }
  return true;
}

HRESULT WebSocketServer::ProcessActions(WEB_SOCKET_ACTION_QUEUE queue, Clock::time_point began,
                                        bool& indicated, WEB_SOCKET_BUFFER_TYPE& type,
                                        WEB_SOCKET_BUFFER& buffer) {
  indicated = false;
  WEB_SOCKET_ACTION action = WEB_SOCKET_NO_ACTION;
  do {
    log_->Debug(kTag, "Retrieving action from websocket action queue ...");
    WEB_SOCKET_BUFFER buffers[1] = {};
    ULONG count = 1;
    WEB_SOCKET_BUFFER_TYPE bufferType = WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE;
    PVOID applicationContext = nullptr;
    PVOID actionContext = nullptr;
    HRESULT result = WebSocketGetAction(handle_, queue, buffers, &count, &action, &bufferType,
                                        &applicationContext, &actionContext);
    if (FAILED(result)) return result;
    ULONG bytes = 0;
    bool failed = false;
    switch (action) {
      case WEB_SOCKET_NO_ACTION:
        log_->Debug(kTag, "Websocket Action [NO_ACTION] received");
        break;
      case WEB_SOCKET_SEND_TO_NETWORK_ACTION: {
        log_->Debug(kTag, "Websocket Action [SEND_TO_NETWORK] received");
        if (!WaitReady(Wait::kSend, began)) {
          failed = true;
          break;
        }
        ssize_t n = count ? ::send(client_, buffers[0].Data.pbBuffer, buffers[0].Data.ulBufferLength,
                                   MSG_NOSIGNAL | MSG_DONTWAIT)
                          : 0;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) n = 0;
        if (n < 0) {
          int error = errno;
          log_->Error(kTag, "Failed to send message to client with error code %d: %s", error,
                      SystemText(error).c_str());
          // A broken connection would offer the same bytes again and again.
          failed = true;
        } else {
          bytes = static_cast<ULONG>(n);
          log_->Debug(kTag, "Sent %d bytes to client", static_cast<int>(n));
        }
        break;
      }
      case WEB_SOCKET_INDICATE_SEND_COMPLETE_ACTION:
        log_->Debug(kTag, "Websocket Action [INDICATE_SEND_COMPLETE] received");
        break;
      case WEB_SOCKET_RECEIVE_FROM_NETWORK_ACTION: {
        log_->Debug(kTag, "Websocket Action [RECEIVE_FROM_NETWORK] received");
        std::size_t room = count ? std::min<std::size_t>(kChunkBytes, buffers[0].Data.ulBufferLength) : 0;
        if (!early_.empty()) {
          std::size_t n = std::min(room, early_.size());
          std::copy_n(early_.data(), n, buffers[0].Data.pbBuffer);
          early_.erase(0, n);
          bytes = static_cast<ULONG>(n);
          log_->Debug(kTag, "Received %d bytes from client", static_cast<int>(n));
          break;
        }
        ssize_t n = -1;
        if (!ReceiveSome(room ? buffers[0].Data.pbBuffer : nullptr, room, began, n)) {
          failed = true;
          break;
        }
        if (n < 0) {
          int error = errno;
          log_->Error(kTag, "Failed to receive message from client with error code %d: %s", error,
                      SystemText(error).c_str());
        } else {
          bytes = static_cast<ULONG>(n);
          log_->Debug(kTag, "Received %d bytes from client", static_cast<int>(n));
        }
        break;
      }
      case WEB_SOCKET_INDICATE_RECEIVE_COMPLETE_ACTION:
        log_->Debug(kTag, "Websocket Action [INDICATE_RECEIVE_COMPLETE] received");
        indicated = true;
        type = bufferType;
        if (count) buffer = buffers[0];
        break;
      default:
        log_->Error(kTag, "Invalid websocket Action received");
        failed = true;
        break;
    }
    WebSocketCompleteAction(handle_, actionContext, bytes);
    if (failed) return E_FAIL;
  } while (action != WEB_SOCKET_NO_ACTION);
  return S_OK;
}

HRESULT WebSocketServer::ReceiveMessage(std::string& message) {
  log_->Debug(kTag, "Receiving websocket message from client ...");
  const Clock::time_point began = Clock::now();
  while (true) {
    HRESULT result = WebSocketReceive(handle_, nullptr, nullptr);
    if (FAILED(result)) {
      log_->Error(kTag, "Failed to set receive action to websocket action queue, error code %ld",
                  static_cast<long>(result));
      return result;
    }
    bool indicated = false;
    WEB_SOCKET_BUFFER_TYPE type = WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE;
    WEB_SOCKET_BUFFER buffer{};
    result = ProcessActions(WEB_SOCKET_RECEIVE_ACTION_QUEUE, began, indicated, type, buffer);
    if (SUCCEEDED(result) && !indicated) result = E_FAIL;
    if (FAILED(result)) {
      log_->Error(kTag, "Failed to process websocket action, error code %ld", static_cast<long>(result));
      return result;
    }
    switch (type) {
      case WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE:
        try {
          message.assign(reinterpret_cast<const char*>(buffer.Data.pbBuffer), buffer.Data.ulBufferLength);
        } catch (const std::bad_alloc&) {
          log_->Error(kTag, "Failed to allocate memory for websocket message of size %d",
                      static_cast<int>(buffer.Data.ulBufferLength));
          return E_FAIL;
        }
        log_->Info(kTag, "Message received: %s", message.c_str());
        return S_OK;
      case WEB_SOCKET_UTF8_FRAGMENT_BUFFER_TYPE:
        log_->Error(kTag, "Unsupported message type received: UTF8 FRAGMENT");
        return E_FAIL;
      case WEB_SOCKET_BINARY_MESSAGE_BUFFER_TYPE:
        log_->Error(kTag, "Unsupported message type received: BINARY MESSAGE");
        return E_FAIL;
      case WEB_SOCKET_BINARY_FRAGMENT_BUFFER_TYPE:
        log_->Error(kTag, "Unsupported message type received: BINARY FRAGMENT");
        return E_FAIL;
      case WEB_SOCKET_CLOSE_BUFFER_TYPE: {
        state_ = kStateClientClosed;
        log_->Info(kTag, "Close message received with code %d",
                   static_cast<int>(buffer.CloseStatus.usStatus));
        result = WebSocketSend(handle_, WEB_SOCKET_CLOSE_BUFFER_TYPE, &buffer, nullptr);
        if (FAILED(result)) {
          log_->Error(kTag, "Failed to add close response message to send action queue with error code %ld",
                      static_cast<long>(result));
          return result;
        }
        WEB_SOCKET_BUFFER unused{};
        result = ProcessActions(WEB_SOCKET_SEND_ACTION_QUEUE, Clock::now(), indicated, type, unused);
        if (FAILED(result)) {
          log_->Error(kTag, "Failed to send close response with error code %ld", static_cast<long>(result));
          return result;
        }
        log_->Info(kTag, "Sent close response message to client");
        return S_OK;
      }
      case WEB_SOCKET_PING_PONG_BUFFER_TYPE:
        log_->Debug(kTag, "Ignoring Ping message from client");
        break;
      case WEB_SOCKET_UNSOLICITED_PONG_BUFFER_TYPE:
        log_->Debug(kTag, "Ignoring unsolicited websocket pong message");
        break;
      default:
        log_->Error(kTag, "Unknown message type received");
        return E_FAIL;
    }
    if (state_ != kStateNormal) return S_OK;
  }
}

bool WebSocketServer::SendResponse(const std::string& response) {
  WEB_SOCKET_BUFFER buffer{};
  buffer.Data.pbBuffer = reinterpret_cast<PBYTE>(const_cast<char*>(response.data()));
  buffer.Data.ulBufferLength = static_cast<ULONG>(response.size());
  HRESULT result = WebSocketSend(handle_, WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE, &buffer, nullptr);
  if (FAILED(result)) {
    log_->Error(kTag, "Failed to add send action for message to the websocket queue with code %ld",
                static_cast<long>(result));
  } else {
    bool indicated = false;
    WEB_SOCKET_BUFFER_TYPE type = WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE;
    WEB_SOCKET_BUFFER unused{};
    result = ProcessActions(WEB_SOCKET_SEND_ACTION_QUEUE, Clock::now(), indicated, type, unused);
    if (FAILED(result))
      log_->Error(kTag, "Failed to add send message to client with code %ld", static_cast<long>(result));
  }
  if (FAILED(result)) {
    log_->Error(kTag, "Failed to send message, closing connection, error code %ld: %s",
                static_cast<long>(result), ResultText(result).c_str());
    return false;
  }
  return true;
}

void WebSocketServer::CloseHandshake() {
  log_->Info(kTag, "Sending close request to client with reason %d", WEB_SOCKET_SUCCESS_CLOSE_STATUS);
  const Clock::time_point began = Clock::now();
  WEB_SOCKET_BUFFER buffer{};
  buffer.CloseStatus.usStatus = WEB_SOCKET_SUCCESS_CLOSE_STATUS;
  HRESULT result = WebSocketSend(handle_, WEB_SOCKET_CLOSE_BUFFER_TYPE, &buffer, nullptr);
  if (FAILED(result)) {
    log_->Error(kTag, "Failed to add close request to send action queue with error code %ld",
                static_cast<long>(result));
    return;
  }
  bool indicated = false;
  WEB_SOCKET_BUFFER_TYPE type = WEB_SOCKET_CLOSE_BUFFER_TYPE;
  WEB_SOCKET_BUFFER received{};
  result = ProcessActions(WEB_SOCKET_SEND_ACTION_QUEUE, began, indicated, type, received);
  if (FAILED(result)) {
    log_->Error(kTag, "Failed to send close request with error code %ld", static_cast<long>(result));
    return;
  }
  // Whatever the client still sends before its close answer is passed over, within the same time limit.
  do {
    result = WebSocketReceive(handle_, nullptr, nullptr);
    if (FAILED(result)) {
      log_->Error(kTag,
                  "Failed to set receive action for close response to websocket action queue, error code %ld",
                  static_cast<long>(result));
      return;
    }
    result = ProcessActions(WEB_SOCKET_RECEIVE_ACTION_QUEUE, began, indicated, type, received);
    if (FAILED(result)) {
      log_->Error(kTag, "Failed to receive close response from client, error code %ld",
                  static_cast<long>(result));
      return;
    }
  } while (!indicated || type != WEB_SOCKET_CLOSE_BUFFER_TYPE);
}

void WebSocketServer::EndConnection(bool shutdownBoth) {
  if (handle_) {
    WebSocketAbortHandle(handle_);
    WebSocketDeleteHandle(handle_);
    handle_ = nullptr;
  }
  if (client_ >= 0) {
    if (shutdownBoth) ::shutdown(client_, SHUT_RDWR);
    ::close(client_);
    client_ = -1;
  }
  early_.clear();
}

void WebSocketServer::Serve(const ListenerConfig& config, ListenerLog& log, const ListenerEvent& shutdown) {
  log_ = &log;
  shutdown_ = &shutdown;
  CommandDispatcher dispatcher(config, log);
  while (true) {
    state_ = kStateNormal;
    pollfd entry{listen_, POLLIN, 0};
    int ready = ::poll(&entry, 1, static_cast<int>(std::chrono::milliseconds(kSelectCycle).count()));
    if (ready < 0) {
      int error = errno;
      log.Error(kTag, "select failed with error code %d: %s", error, SystemText(error).c_str());
    }
    if (ready <= 0) {
      if (shutdown.WaitFor(kShutdownPoll)) {
        state_ = kStateShutdown;
        log.Info(kTag, "Shutdown signal received");
        break;
      }
      continue;
    }
    client_ = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client_ < 0) {
      int error = errno;
      log.Error(kTag, "accept failed with error code %d: %s", error, SystemText(error).c_str());
      // Out of descriptors, say: do not spin on a connection that cannot be taken.
      if (shutdown.WaitFor(kShutdownPoll)) break;
      continue;
    }
    log.Info(kTag, "Client connection established");

    if (!Handshake()) {
      if (state_ == kStateShutdown) break;
      log.Error(kTag, "Websocket Handshake failed, closing connection");
      EndConnection(false);
      continue;
    }

    std::string message;
    HRESULT result = ReceiveMessage(message);
    if (state_ == kStateShutdown) break;
    if (FAILED(result)) {
      log.Error(kTag, "Failed to receive message, closing connection, error code %ld: %s",
                static_cast<long>(result), ResultText(result).c_str());
      EndConnection(false);
      continue;
    }
    if (state_ == kStateClientClosed) {
      log.Info(kTag, "Close request from client received, closing connection");
      EndConnection(false);
      continue;
    }

    std::string response;
    dispatcher.Dispatch(message, response);
    log.Info(kTag, "Sending response to client: %s", response.c_str());
    if (!SendResponse(response)) {
      if (state_ == kStateShutdown) break;
      EndConnection(false);
      continue;
    }
    CloseHandshake();
    if (state_ == kStateShutdown) break;
    EndConnection(true);
  }
  EndConnection(true);
  if (listen_ >= 0) {
    ::shutdown(listen_, SHUT_RDWR);
    ::close(listen_);
    listen_ = -1;
  }
}
