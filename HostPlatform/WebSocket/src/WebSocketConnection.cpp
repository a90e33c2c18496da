#include "WebSocketConnection.h"

#include <algorithm>
#include <cstring>

#include "WebSocketHandshake.h"

namespace {

bool IsValidCloseStatus(unsigned status) {
  return (status >= 1000 && status <= 1003) || (status >= 1007 && status <= 1011) ||
         (status >= 3000 && status <= 4999);
}

// Control payloads are at most 125 bytes; a close reason leaves room for the status.
constexpr std::size_t kMaxControlBytes = 125;

}  // namespace

WebSocketConnection::WebSocketConnection() : network_(kReceiveBufferBytes) {
  wslay_frame_callbacks callbacks{&SendCallback, &ReceiveCallback, &MaskCallback};
  if (wslay_frame_context_init(&frames_, &callbacks, this) != 0) frames_ = nullptr;
  std::memset(responseHeaders_, 0, sizeof responseHeaders_);
}

WebSocketConnection::~WebSocketConnection() {
  if (frames_) wslay_frame_context_free(frames_);
}

ssize_t WebSocketConnection::SendCallback(const std::uint8_t* data, std::size_t length, int, void* self) {
  auto* connection = static_cast<WebSocketConnection*>(self);
  if (!connection->framing_) return -1;
  connection->framing_->append(reinterpret_cast<const char*>(data), length);
  return static_cast<ssize_t>(length);
}

ssize_t WebSocketConnection::ReceiveCallback(std::uint8_t* data, std::size_t length, int, void* self) {
  auto* connection = static_cast<WebSocketConnection*>(self);
  std::size_t available = connection->networkFill_ - connection->networkRead_;
  if (available == 0) return -1;  // wslay answers "want read"
  std::size_t n = std::min(available, length);
  std::memcpy(data, connection->network_.data() + connection->networkRead_, n);
  connection->networkRead_ += n;
  return static_cast<ssize_t>(n);
}

int WebSocketConnection::MaskCallback(std::uint8_t* data, std::size_t length, void*) {
  // Server frames are never masked; asked anyway, a zero key is harmless.
  std::memset(data, 0, length);
  return 0;
}

HRESULT WebSocketConnection::BeginServerHandshake(const WEB_SOCKET_HTTP_HEADER* headers, ULONG count,
                                                  PWEB_SOCKET_HTTP_HEADER* responseHeaders,
                                                  ULONG* responseCount) {
  if (phase_ != Phase::kCreated) return E_NOT_VALID_STATE;
  if ((!headers && count) || !responseHeaders || !responseCount) return E_INVALIDARG;
  std::string key;
  if (!WebSocketHandshake::Validate(headers, count, key)) return WEB_SOCKET_E_HANDSHAKE;
  acceptKey_ = WebSocketHandshake::AcceptKey(key);
  if (acceptKey_.empty()) return E_FAIL;
  static char kConnection[] = "Connection", kUpgrade[] = "Upgrade", kUpgradeValue[] = "websocket",
              kAccept[] = "Sec-WebSocket-Accept";
  responseHeaders_[0] = {kConnection, 10, kUpgrade, 7};
  responseHeaders_[1] = {kUpgrade, 7, kUpgradeValue, 9};
  responseHeaders_[2] = {kAccept, 20, acceptKey_.data(), static_cast<ULONG>(acceptKey_.size())};
  *responseHeaders = responseHeaders_;
  *responseCount = 3;
  phase_ = Phase::kHandshake;
  return S_OK;
}

HRESULT WebSocketConnection::EndServerHandshake() {
  if (phase_ != Phase::kHandshake) return E_NOT_VALID_STATE;
  phase_ = Phase::kOpen;
  return S_OK;
}

HRESULT WebSocketConnection::Frame(std::uint8_t opcode, const std::uint8_t* payload, std::size_t length,
                                   std::string& frame) {
  wslay_frame_iocb iocb{};
  iocb.fin = 1;
  iocb.opcode = opcode;
  iocb.payload_length = length;
  iocb.data = payload;
  iocb.data_length = length;
  framing_ = &frame;
  ssize_t sent = wslay_frame_send(frames_, &iocb);
  framing_ = nullptr;
  return sent == static_cast<ssize_t>(length) ? S_OK : E_FAIL;
}

HRESULT WebSocketConnection::Send(WEB_SOCKET_BUFFER_TYPE type, const WEB_SOCKET_BUFFER* buffer,
                                  PVOID context) {
  if (phase_ != Phase::kOpen) return E_NOT_VALID_STATE;
  if (closeSent_) return E_NOT_VALID_STATE;
  if (!buffer) return E_INVALIDARG;
  Outgoing out{{}, 0, type, context, false};
  HRESULT result;
  if (type == WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE || type == WEB_SOCKET_BINARY_MESSAGE_BUFFER_TYPE) {
    const std::uint8_t* data = buffer->Data.pbBuffer;
    std::size_t length = buffer->Data.ulBufferLength;
    if ((!data && length) || length > kMaxMessageBytes) return E_INVALIDARG;
    // A peer fails the connection on a text message that is not UTF-8; refuse to send one.
    if (type == WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE && !WebSocketUtf8::IsValid(data, length))
      return E_INVALIDARG;
    result = Frame(type == WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE ? WSLAY_TEXT_FRAME : WSLAY_BINARY_FRAME, data,
                   length, out.frame);
  } else if (type == WEB_SOCKET_CLOSE_BUFFER_TYPE) {
    const std::uint8_t* reason = buffer->CloseStatus.pbReason;
    std::size_t reasonLength = buffer->CloseStatus.ulReasonLength;
    USHORT status = buffer->CloseStatus.usStatus;
    std::string payload;
    if (status == WEB_SOCKET_EMPTY_CLOSE_STATUS) {
      if (reasonLength) return E_INVALIDARG;
    } else {
      if (!IsValidCloseStatus(status) || (!reason && reasonLength) || reasonLength > kMaxControlBytes - 2 ||
          !WebSocketUtf8::IsValid(reason, reasonLength))
        return E_INVALIDARG;
      payload.push_back(static_cast<char>(status >> 8));
      payload.push_back(static_cast<char>(status & 0xFF));
      if (reasonLength) payload.append(reinterpret_cast<const char*>(reason), reasonLength);
    }
    result = Frame(WSLAY_CONNECTION_CLOSE, reinterpret_cast<const std::uint8_t*>(payload.data()),
                   payload.size(), out.frame);
    if (SUCCEEDED(result)) closeSent_ = true;
  } else {
    return E_INVALIDARG;
  }
  if (FAILED(result)) return result;
  outgoing_.push_back(std::move(out));
  return S_OK;
}

HRESULT WebSocketConnection::Receive(PVOID context) {
  if (phase_ != Phase::kOpen) return E_NOT_VALID_STATE;
  receives_.push_back(context);
  return S_OK;
}

PVOID WebSocketConnection::NextActionContext() {
  if (++actionId_ == 0) ++actionId_;
  return reinterpret_cast<PVOID>(actionId_);
}

HRESULT WebSocketConnection::GetAction(WEB_SOCKET_ACTION_QUEUE queue, WEB_SOCKET_BUFFER* buffers,
                                       ULONG* bufferCount, WEB_SOCKET_ACTION* action,
                                       WEB_SOCKET_BUFFER_TYPE* bufferType, PVOID* applicationContext,
                                       PVOID* actionContext) {
  if (!bufferCount || !action || !bufferType || !actionContext || (!buffers && *bufferCount))
    return E_INVALIDARG;
  if (queue != WEB_SOCKET_SEND_ACTION_QUEUE && queue != WEB_SOCKET_RECEIVE_ACTION_QUEUE &&
      queue != WEB_SOCKET_ALL_ACTION_QUEUE)
    return E_INVALIDARG;
  if (phase_ != Phase::kOpen || pending_ != Pending::kNone) return E_NOT_VALID_STATE;
  ULONG room = *bufferCount;
  *bufferCount = 0;
  *action = WEB_SOCKET_NO_ACTION;
  *actionContext = nullptr;
  if (applicationContext) *applicationContext = nullptr;

  if ((queue & WEB_SOCKET_SEND_ACTION_QUEUE) && !outgoing_.empty()) {
    Outgoing& out = outgoing_.front();
    *bufferType = out.type;
    if (applicationContext) *applicationContext = out.context;
    if (out.sent < out.frame.size()) {
      if (room < 1) return E_INVALIDARG;
      buffers[0].Data.pbBuffer = reinterpret_cast<PBYTE>(out.frame.data() + out.sent);
      buffers[0].Data.ulBufferLength = static_cast<ULONG>(out.frame.size() - out.sent);
      *bufferCount = 1;
      *action = WEB_SOCKET_SEND_TO_NETWORK_ACTION;
      pending_ = Pending::kSend;
    } else {
      *action = WEB_SOCKET_INDICATE_SEND_COMPLETE_ACTION;
      pending_ = Pending::kSendComplete;
    }
    *actionContext = NextActionContext();
    return S_OK;
  }

  if ((queue & WEB_SOCKET_RECEIVE_ACTION_QUEUE) && !receives_.empty()) {
    if (FAILED(failure_)) return failure_;
    if (ready_.empty()) Parse();
    if (!ready_.empty()) {
      if (room < 1) return E_INVALIDARG;
      indicated_ = std::move(ready_.front());
      ready_.pop_front();
      *bufferType = indicated_.type;
      if (applicationContext) *applicationContext = receives_.front();
      if (indicated_.type == WEB_SOCKET_CLOSE_BUFFER_TYPE) {
        buffers[0].CloseStatus.pbReason = reinterpret_cast<PBYTE>(indicated_.payload.data());
        buffers[0].CloseStatus.ulReasonLength = static_cast<ULONG>(indicated_.payload.size());
        buffers[0].CloseStatus.usStatus = indicated_.status;
      } else {
        buffers[0].Data.pbBuffer = reinterpret_cast<PBYTE>(indicated_.payload.data());
        buffers[0].Data.ulBufferLength = static_cast<ULONG>(indicated_.payload.size());
      }
      *bufferCount = 1;
      *action = WEB_SOCKET_INDICATE_RECEIVE_COMPLETE_ACTION;
      pending_ = Pending::kReceiveComplete;
      *actionContext = NextActionContext();
      return S_OK;
    }
    if (FAILED(failure_)) return failure_;
    if (networkEnded_) return WEB_SOCKET_E_DISCONNECTED;
    if (room < 1) return E_INVALIDARG;
    networkFill_ = networkRead_ = 0;
    buffers[0].Data.pbBuffer = network_.data();
    buffers[0].Data.ulBufferLength = static_cast<ULONG>(network_.size());
    *bufferCount = 1;
    *bufferType = WEB_SOCKET_BINARY_FRAGMENT_BUFFER_TYPE;
    *action = WEB_SOCKET_RECEIVE_FROM_NETWORK_ACTION;
    pending_ = Pending::kReceive;
    *actionContext = NextActionContext();
    return S_OK;
  }
  return S_OK;
}

void WebSocketConnection::CompleteAction(PVOID actionContext, ULONG bytes) {
  if (pending_ == Pending::kNone || reinterpret_cast<std::uintptr_t>(actionContext) != actionId_) return;
  switch (pending_) {
    case Pending::kSend: {
      Outgoing& out = outgoing_.front();
      out.sent += std::min<std::size_t>(bytes, out.frame.size() - out.sent);
      if (out.sent == out.frame.size() && out.internal) outgoing_.pop_front();
      break;
    }
    case Pending::kSendComplete:
      outgoing_.pop_front();
      break;
    case Pending::kReceive:
      if (bytes == 0) networkEnded_ = true;
      networkFill_ = std::min<std::size_t>(bytes, network_.size());
      networkRead_ = 0;
      break;
    case Pending::kReceiveComplete:
      receives_.pop_front();
      break;
    case Pending::kNone:
      break;
  }
  pending_ = Pending::kNone;
}

void WebSocketConnection::Parse() {
  while (ready_.empty() && SUCCEEDED(failure_)) {
    wslay_frame_iocb iocb{};
    ssize_t n = wslay_frame_recv(frames_, &iocb);
    if (n == WSLAY_ERR_WANT_READ) return;
    if (n < 0) {
      failure_ = WEB_SOCKET_E_PROTOCOL;
      return;
    }
    if (!inFrame_) {
      failure_ = StartFrame(iocb);
      if (FAILED(failure_)) return;
    }
    if (iocb.data_length > frameLength_ - framePayload_.size()) {
      failure_ = WEB_SOCKET_E_PROTOCOL;
      return;
    }
    framePayload_.append(reinterpret_cast<const char*>(iocb.data), iocb.data_length);
    if (framePayload_.size() == frameLength_) failure_ = EndFrame();
  }
}

HRESULT WebSocketConnection::StartFrame(const wslay_frame_iocb& header) {
  // A client masks every frame; nothing may follow its close.
  if (!header.mask || header.rsv != 0 || closeReceived_) return WEB_SOCKET_E_PROTOCOL;
  std::uint8_t opcode = header.opcode;
  bool control = opcode == WSLAY_CONNECTION_CLOSE || opcode == WSLAY_PING || opcode == WSLAY_PONG;
  bool data =
      opcode == WSLAY_CONTINUATION_FRAME || opcode == WSLAY_TEXT_FRAME || opcode == WSLAY_BINARY_FRAME;
  if (!control && !data) return WEB_SOCKET_E_PROTOCOL;
  if (control && (!header.fin || header.payload_length > kMaxControlBytes)) return WEB_SOCKET_E_PROTOCOL;
  if (opcode == WSLAY_CONTINUATION_FRAME && fragmentOpcode_ == 0) return WEB_SOCKET_E_PROTOCOL;
  if ((opcode == WSLAY_TEXT_FRAME || opcode == WSLAY_BINARY_FRAME) && fragmentOpcode_ != 0)
    return WEB_SOCKET_E_PROTOCOL;
  if (data && header.payload_length > kMaxMessageBytes - messageBytes_) return WEB_SOCKET_E_MESSAGE_TOO_BIG;
  inFrame_ = true;
  frameOpcode_ = opcode;
  frameFin_ = header.fin != 0;
  frameLength_ = header.payload_length;
  framePayload_.clear();
  return S_OK;
}

HRESULT WebSocketConnection::EndFrame() {
  inFrame_ = false;
  Indication indication{WEB_SOCKET_CLOSE_BUFFER_TYPE, std::move(framePayload_), 0};
  framePayload_.clear();
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(indication.payload.data());
  std::size_t length = indication.payload.size();
  switch (frameOpcode_) {
    case WSLAY_PING:
      if (!closeSent_) {
        Outgoing pong{{}, 0, WEB_SOCKET_PING_PONG_BUFFER_TYPE, nullptr, true};
        HRESULT result = Frame(WSLAY_PONG, bytes, length, pong.frame);
        if (FAILED(result)) return result;
        outgoing_.push_back(std::move(pong));
      }
      indication.type = WEB_SOCKET_PING_PONG_BUFFER_TYPE;
      break;
    case WSLAY_PONG:
      // This component never pings, so every pong is unsolicited.
      indication.type = WEB_SOCKET_UNSOLICITED_PONG_BUFFER_TYPE;
      break;
    case WSLAY_CONNECTION_CLOSE:
      if (length == 1) return WEB_SOCKET_E_PROTOCOL;
      if (length == 0) {
        indication.status = WEB_SOCKET_EMPTY_CLOSE_STATUS;
      } else {
        indication.status = static_cast<USHORT>((bytes[0] << 8) | bytes[1]);
        if (!IsValidCloseStatus(indication.status) || !WebSocketUtf8::IsValid(bytes + 2, length - 2))
          return WEB_SOCKET_E_PROTOCOL;
        indication.payload.erase(0, 2);
      }
      closeReceived_ = true;
      indication.type = WEB_SOCKET_CLOSE_BUFFER_TYPE;
      break;
    default: {
      std::uint8_t opcode = frameOpcode_ == WSLAY_CONTINUATION_FRAME ? fragmentOpcode_ : frameOpcode_;
      bool text = opcode == WSLAY_TEXT_FRAME;
      if (text && (!utf8_.Feed(bytes, length) || (frameFin_ && !utf8_.Complete())))
        return WEB_SOCKET_E_PROTOCOL;
      if (frameFin_) {
        indication.type = text ? WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE : WEB_SOCKET_BINARY_MESSAGE_BUFFER_TYPE;
        fragmentOpcode_ = 0;
        messageBytes_ = 0;
        utf8_.Reset();
      } else {
        indication.type =
            text ? WEB_SOCKET_UTF8_FRAGMENT_BUFFER_TYPE : WEB_SOCKET_BINARY_FRAGMENT_BUFFER_TYPE;
        fragmentOpcode_ = opcode;
        messageBytes_ += length;
      }
    }
  }
  ready_.push_back(std::move(indication));
  return S_OK;
}
