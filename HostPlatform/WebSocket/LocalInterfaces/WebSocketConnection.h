#ifndef WebSocketConnection_h
#define WebSocketConnection_h
// One server-side WebSocket connection as the protocol component sees it: the handshake state, the frames
// queued for the network, and the frames parsed from the bytes the caller received. It does no I/O.
#include <wslay/wslay.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "WebSocketUtf8.h"
#include "websocket.h"

class WebSocketConnection {
 public:
  // The largest message (all its fragments) and control payload the component takes or sends.
  static constexpr std::size_t kMaxMessageBytes = 64 * 1024;
  // Bytes handed out per receive action.
  static constexpr std::size_t kReceiveBufferBytes = 4096;

  WebSocketConnection();
  ~WebSocketConnection();
  WebSocketConnection(const WebSocketConnection&) = delete;
  WebSocketConnection& operator=(const WebSocketConnection&) = delete;

  bool Initialized() const { return frames_ != nullptr; }

  HRESULT BeginServerHandshake(const WEB_SOCKET_HTTP_HEADER* headers, ULONG count,
                               PWEB_SOCKET_HTTP_HEADER* responseHeaders, ULONG* responseCount);
  HRESULT EndServerHandshake();
  HRESULT Send(WEB_SOCKET_BUFFER_TYPE type, const WEB_SOCKET_BUFFER* buffer, PVOID context);
  HRESULT Receive(PVOID context);
  HRESULT GetAction(WEB_SOCKET_ACTION_QUEUE queue, WEB_SOCKET_BUFFER* buffers, ULONG* bufferCount,
                    WEB_SOCKET_ACTION* action, WEB_SOCKET_BUFFER_TYPE* bufferType, PVOID* applicationContext,
                    PVOID* actionContext);
  void CompleteAction(PVOID actionContext, ULONG bytes);
  void Abort() { phase_ = Phase::kAborted; }

 private:
  enum class Phase { kCreated, kHandshake, kOpen, kAborted };
  enum class Pending { kNone, kSend, kSendComplete, kReceive, kReceiveComplete };

  struct Outgoing {
    std::string frame;
    std::size_t sent = 0;
    WEB_SOCKET_BUFFER_TYPE type;
    PVOID context = nullptr;
    bool internal = false;  // the component's own reply (a pong): nothing to indicate
  };
  struct Indication {
    WEB_SOCKET_BUFFER_TYPE type;
    std::string payload;  // for a close: the reason
    USHORT status = 0;
  };

  HRESULT Frame(std::uint8_t opcode, const std::uint8_t* payload, std::size_t length, std::string& frame);
  // Parses buffered network bytes until one indication is ready, more bytes are needed, or the peer broke
  // the protocol (failure_ is set).
  void Parse();
  HRESULT StartFrame(const wslay_frame_iocb& header);
  HRESULT EndFrame();
  PVOID NextActionContext();

  static ssize_t SendCallback(const std::uint8_t* data, std::size_t length, int flags, void* self);
  static ssize_t ReceiveCallback(std::uint8_t* data, std::size_t length, int flags, void* self);
  static int MaskCallback(std::uint8_t* data, std::size_t length, void* self);

  Phase phase_ = Phase::kCreated;
  wslay_frame_context_ptr frames_ = nullptr;
  std::string acceptKey_;
  WEB_SOCKET_HTTP_HEADER responseHeaders_[3];

  std::deque<Outgoing> outgoing_;
  std::string* framing_ = nullptr;  // where the send callback writes a frame being built
  bool closeSent_ = false;

  std::deque<PVOID> receives_;
  std::vector<std::uint8_t> network_;
  std::size_t networkFill_ = 0;
  std::size_t networkRead_ = 0;
  bool networkEnded_ = false;
  HRESULT failure_ = S_OK;

  bool inFrame_ = false;
  std::uint8_t frameOpcode_ = 0;
  bool frameFin_ = false;
  std::uint64_t frameLength_ = 0;
  std::string framePayload_;
  std::uint8_t fragmentOpcode_ = 0;  // the opcode of a fragmented message in progress, 0 when none
  std::size_t messageBytes_ = 0;
  WebSocketUtf8 utf8_;
  bool closeReceived_ = false;
  std::deque<Indication> ready_;
  Indication indicated_{WEB_SOCKET_CLOSE_BUFFER_TYPE, {}, 0};  // stays valid until the next indication

  Pending pending_ = Pending::kNone;
  std::uintptr_t actionId_ = 0;
};

#endif
