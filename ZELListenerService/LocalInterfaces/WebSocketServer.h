#ifndef WebSocketServer_h
#define WebSocketServer_h
// The listener's server: one WebSocket connection at a time on an IPv4 TCP port, one text message in, one
// text message out, then the close handshake. The protocol work is the WebSocket component's; the server
// moves the bytes and bounds every wait.
#include <sys/types.h>

#include <chrono>
#include <string>

#include "ListenerServer.h"
#include "websocket.h"

class WebSocketServer : public ListenerServer {
 public:
  enum State { kStateNormal = 0, kStateClientClosed = 1, kStateTimeout = 2, kStateShutdown = 3 };

  static constexpr std::chrono::seconds kSelectCycle{5};
  static constexpr std::chrono::milliseconds kShutdownPoll{100};
  static constexpr std::chrono::seconds kWaitLimit{60};
  static constexpr std::size_t kChunkBytes = 1024;

  WebSocketServer() = default;
  ~WebSocketServer() override;
  WebSocketServer(const WebSocketServer&) = delete;
  WebSocketServer& operator=(const WebSocketServer&) = delete;

  bool Setup(const ListenerConfig& config, ListenerLog& log) override;
  void Serve(const ListenerConfig& config, ListenerLog& log, const ListenerEvent& shutdown) override;

 private:
  using Clock = std::chrono::steady_clock;
  enum class Wait { kHandshakeReceive, kHandshakeSend, kSend, kReceive };

  // The waiting rule: readiness in cycles, the shutdown event between them, and a limit counted from began.
  bool WaitReady(Wait which, Clock::time_point began);
  void LogTimeout(Wait which);
  bool Handshake();
  bool ReceiveHandshakeRequest(std::string& request);
  // One read after the waiting rule; false when the wait gave up, else n is what recv returned.
  bool ReceiveSome(PBYTE data, std::size_t room, Clock::time_point began, ssize_t& n);
  bool SendAll(const std::string& bytes, Wait which, Clock::time_point began, int& error);
  // Runs one action queue until it has nothing more to do; an indicated receive is handed back.
  HRESULT ProcessActions(WEB_SOCKET_ACTION_QUEUE queue, Clock::time_point began, bool& indicated,
                         WEB_SOCKET_BUFFER_TYPE& type, WEB_SOCKET_BUFFER& buffer);
  HRESULT ReceiveMessage(std::string& message);
  bool SendResponse(const std::string& response);
  void CloseHandshake();
  void EndConnection(bool shutdownBoth);

  ListenerLog* log_ = nullptr;
  const ListenerEvent* shutdown_ = nullptr;
  int listen_ = -1;
  int client_ = -1;
  WEB_SOCKET_HANDLE handle_ = nullptr;
  int state_ = kStateNormal;
  std::string early_;  // bytes that came after the handshake request, handed to the component first
};

#endif
