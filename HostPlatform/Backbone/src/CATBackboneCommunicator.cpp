#include "CATBackboneCommunicator.h"

#include <errno.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <mutex>

#include "CATBBMessageData.h"
#include "CATBackboneBus.h"
#include "CATBackboneJournalStore.h"
#include "CATBackboneSocket.h"
#include "CATEventLoopInputs.h"
#include "CATIStreamMsg.h"
#include "CATInstantiateComponent.h"

namespace {

constexpr size_t kReadChunk = 64 * 1024;

// Sockets this process listens on, removed at exit when their communicator was never released. Never
// destroyed: the exit handler runs after static destructors may have started.
struct OwnSockets {
  std::mutex mutex;
  std::vector<std::pair<std::string, pid_t>> paths;
};

OwnSockets& TheOwnSockets() {
  static OwnSockets* sockets = new OwnSockets;
  return *sockets;
}

void UnlinkOwnSocketsAtExit() {
  OwnSockets& sockets = TheOwnSockets();
  std::lock_guard<std::mutex> lock(sockets.mutex);
  // A forked child that exits must not take its parent's sockets away.
  for (const auto& [path, pid] : sockets.paths)
    if (pid == getpid()) unlink(path.c_str());
  sockets.paths.clear();
}

void RememberOwnSocket(const std::string& path) {
  static std::once_flag registered;
  std::call_once(registered, [] { std::atexit(UnlinkOwnSocketsAtExit); });
  OwnSockets& sockets = TheOwnSockets();
  std::lock_guard<std::mutex> lock(sockets.mutex);
  sockets.paths.emplace_back(path, getpid());
}

void ForgetOwnSocket(const std::string& path) {
  OwnSockets& sockets = TheOwnSockets();
  std::lock_guard<std::mutex> lock(sockets.mutex);
  auto& paths = sockets.paths;
  paths.erase(std::remove_if(paths.begin(), paths.end(), [&](const auto& p) { return p.first == path; }),
              paths.end());
}

// The error id for a failed creation of a message by class name.
int InstantiateErrorId(HRESULT rc, const std::string& messageClass) {
  if (rc == E_NOINTERFACE) return CATBBErrorNoStreamMsg;
  if (!CATIsComponentRegistered(messageClass.c_str())) return CATBBErrorClassNotFound;
  return CATBBErrorInstantiate;
}

// Creates a message by class name and fills it from a body; on failure *errorId says why.
CATIStreamMsg* CreateMessage(const std::string& messageClass, std::string body, int* errorId) {
  CATIStreamMsg* stream = nullptr;
  HRESULT rc =
      CATInstantiateComponent(messageClass.c_str(), IID_CATIStreamMsg, reinterpret_cast<void**>(&stream));
  if (FAILED(rc) || !stream) {
    *errorId = InstantiateErrorId(rc, messageClass);
    return nullptr;
  }
  CATICommMsg* comm = nullptr;
  if (FAILED(stream->QueryInterface(IID_CATICommMsg, reinterpret_cast<void**>(&comm))) || !comm ||
      !CATBBMessageData::FromCommMsg(comm)) {
    // The bus keeps its state on CATBBMessage: a class that is not one cannot be carried.
    if (comm) comm->Release();
    stream->Release();
    *errorId = CATBBErrorNoStreamMsg;
    return nullptr;
  }
  CATBBMessage* message = CATBBMessageData::FromCommMsg(comm);
  comm->Release();
  if (FAILED(stream->UnstreamData(body.data(), static_cast<uint32_t>(body.size())))) {
    stream->Release();
    *errorId = CATBBErrorUnstream;
    return nullptr;
  }
  message->Data().messageClass = messageClass;
  return stream;
}

void SendErrorFrame(int fd, uint32_t requestId, int errorId) {
  CATBackboneFrame frame;
  frame.kind = CATBackboneFrameKind::Error;
  frame.requestId = requestId;
  frame.errorId = static_cast<uint32_t>(errorId);
  std::string reason;
  // Best effort: a requester that went away has nobody to tell.
  CATBBWriteAll(fd, CATBackboneEncodeFrame(frame), kCATBackboneWriteTimeoutMs, &reason);
}

}  // namespace

int CATBackboneDefaultTimeout() {
  constexpr int kDefault = 120;
  const char* text = std::getenv("CATBackboneTimeout");
  if (!text || !*text || std::strlen(text) > 4) return kDefault;
  int seconds = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9') return kDefault;
    seconds = seconds * 10 + (*p - '0');
  }
  return seconds >= 1 && seconds <= 3600 ? seconds : kDefault;
}

CATBackboneCommunicator::CATBackboneCommunicator(std::string directory) : directory_(std::move(directory)) {}

CATBackboneCommunicator::~CATBackboneCommunicator() {
  for (auto& [fd, peer] : peers_) {
    CATRemoveInput(peer.input);
    close(fd);
  }
  for (auto& listener : listeners_) {
    CATRemoveInput(listener->input);
    close(listener->fd);
    unlink(listener->path.c_str());
    ForgetOwnSocket(listener->path);
  }
  for (auto& [key, receiver] : receivers_) receiver->Release();
}

HRESULT CATBackboneCommunicator::QueryInterface(const IID& iid, void** out) {
  return CATQueryInterfaceOf<CATICommunicator>(this, iid, out);
}

HRESULT CATBackboneCommunicator::Fail(int errorId, HRESULT rc) {
  lastError_ = errorId;
  return rc;
}

HRESULT CATBackboneCommunicator::GetLastErrorId(int* oErrorId) {
  if (!oErrorId) return E_INVALIDARG;
  *oErrorId = lastError_;
  return lastError_ ? S_OK : E_FAIL;
}

HRESULT CATBackboneCommunicator::Declare(const char* iApplication, int /*iFlags*/) {
  if (!iApplication || !CATBBIsValidApplicationName(iApplication)) {
    std::cerr << "CATBackbone: cannot declare \"" << (iApplication ? iApplication : "")
              << "\": an application name is 1 to 64 characters of letters, digits, '_', '.' and '-'"
              << std::endl;
    return Fail(CATBBErrorDeclarePort);
  }
  const std::string application = iApplication;
  for (const auto& listener : listeners_)
    if (listener->application == application) return S_OK;

  // Sockets of earlier instances whose process is gone: nobody listens there.
  for (const std::string& path : CATBBApplicationSockets(directory_, application)) {
    if (!CATBBIsOwnSocket(path)) continue;
    int fd = CATBBConnectPath(path);
    if (fd >= 0)
      close(fd);
    else if (errno == ECONNREFUSED)
      unlink(path.c_str());
  }

  auto listener = std::make_unique<Listener>();
  listener->application = application;
  listener->path = directory_ + "/" + CATBBNewSocketName(application);
  if (!CATBBFitsSocketPath(listener->path)) return Fail(CATBBErrorDeclarePort);
  // Bound and made listening under a name no sender looks at, then renamed: a sender that found it bound but
  // not yet listening would take it for a dead instance's and remove it.
  const std::string binding = listener->path.substr(0, listener->path.size() - 5) + ".bind";
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, binding.c_str(), binding.size() + 1);
  listener->fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  const char* step = "socket";
  bool ok = listener->fd >= 0;
  if (ok) {
    step = "bind";
    ok = bind(listener->fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  if (ok) {
    step = "chmod";
    ok = chmod(binding.c_str(), 0600) == 0;
  }
  if (ok) {
    step = "listen";
    ok = listen(listener->fd, 64) == 0;
  }
  if (ok) {
    step = "rename";
    ok = rename(binding.c_str(), listener->path.c_str()) == 0;
    if (ok) RememberOwnSocket(listener->path);
  }
  if (ok) {
    step = "register with the event loop";
    listener->input = CATAddInput(listener->fd, &CATBackboneCommunicator::OnListenerReadable, this);
    ok = listener->input != 0;
  }
  if (!ok) {
    const int error = errno;
    std::cerr << "CATBackbone: cannot declare " << application << " at " << listener->path << ": " << step
              << " failed: " << std::strerror(error) << std::endl;
    if (listener->fd >= 0) {
      close(listener->fd);
      if (std::strcmp(step, "socket") != 0 && std::strcmp(step, "bind") != 0) {
        unlink(binding.c_str());
        unlink(listener->path.c_str());
      }
    }
    ForgetOwnSocket(listener->path);
    return Fail(CATBBErrorDeclarePort);
  }
  listeners_.push_back(std::move(listener));
  return S_OK;
}

HRESULT CATBackboneCommunicator::AssociateReceiver(const char* iApplication, const char* iMessageClass,
                                                   CATIMessageReceiver* iReceiver) {
  if (!iApplication || !iMessageClass || !iReceiver || !CATBBIsValidApplicationName(iApplication) ||
      !CATBBIsValidClassName(iMessageClass))
    return E_INVALIDARG;
  iReceiver->AddRef();
  CATIMessageReceiver*& slot = receivers_[{iApplication, iMessageClass}];
  if (slot) slot->Release();
  slot = iReceiver;
  return S_OK;
}

HRESULT CATBackboneCommunicator::DissociateReceiver(const char* iApplication, const char* iMessageClass,
                                                    CATIMessageReceiver* iReceiver) {
  if (!iApplication || !iMessageClass) return E_INVALIDARG;
  auto it = receivers_.find({iApplication, iMessageClass});
  if (it == receivers_.end() || (iReceiver && it->second != iReceiver)) return E_FAIL;
  CATIMessageReceiver* receiver = it->second;
  receivers_.erase(it);
  receiver->Release();
  return S_OK;
}

HRESULT CATBackboneCommunicator::SendRequest(const char* iTargetApplication, CATICommMsg* iMessage) {
  if (!iTargetApplication || !CATBBIsValidApplicationName(iTargetApplication))
    return Fail(CATBBErrorTargetNotPresent);
  CATBBMessage* message = CATBBMessageData::FromCommMsg(iMessage);
  CATIStreamMsg* stream = nullptr;
  if (!message || FAILED(iMessage->QueryInterface(IID_CATIStreamMsg, reinterpret_cast<void**>(&stream))) ||
      !stream)
    return Fail(CATBBErrorNoStreamMsg);

  CATBackboneFrame frame;
  frame.kind = CATBackboneFrameKind::Request;
  frame.application = iTargetApplication;
  void* buffer = nullptr;
  uint32_t length = 0;
  HRESULT rc = stream->SetMessageClass();
  if (SUCCEEDED(rc)) rc = stream->StreamData(&buffer, &length);
  if (SUCCEEDED(rc)) {
    if (buffer && length) frame.body.assign(static_cast<const char*>(buffer), length);
    if (!buffer && length) rc = E_FAIL;
    stream->FreeStreamData(buffer, length);
  }
  stream->Release();
  CATBBMessageData& data = message->Data();
  frame.messageClass = data.messageClass;
  frame.answerWanted = (data.specifications & CATBBNeedAnswer) != 0;
  frame.requestId = ++nextRequestId_;
  std::string bytes = SUCCEEDED(rc) ? CATBackboneEncodeFrame(frame) : std::string();
  if (bytes.empty()) return Fail(CATBBErrorStream);

  // A new request replaces whatever answer the message still waited for.
  if (data.answerFd >= 0) close(data.answerFd);
  data.answerFd = -1;
  data.sent = false;

  int errorId = 0;
  std::string target;
  int fd = CATBBConnectApplication(directory_, frame.application, &target, &errorId);
  if (fd < 0) return Fail(errorId);
  if (frame.answerWanted && std::any_of(listeners_.begin(), listeners_.end(),
                                        [&](const auto& listener) { return listener->path == target; })) {
    // This process is the newest instance of the target: its requests are served by the event loop that
    // the wait for the answer would hold, so the wait could only end in a time-out.
    close(fd);
    std::cerr << "CATBackbone: a " << frame.messageClass << " request to " << frame.application
              << " would wait for this process itself; not sent" << std::endl;
    return Fail(CATBBErrorReentrance);
  }
  std::string reason;
  if (!CATBBWriteAll(fd, bytes, kCATBackboneWriteTimeoutMs, &reason)) {
    std::cerr << "CATBackbone: cannot send a " << frame.messageClass << " request to " << frame.application
              << ": " << reason << std::endl;
    close(fd);
    return Fail(CATBBErrorSendSocket);
  }
  data.sent = true;
  data.sentWantsAnswer = frame.answerWanted;
  data.sentRequestId = frame.requestId;
  if (frame.answerWanted)
    data.answerFd = fd;
  else
    close(fd);
  return S_OK;
}

HRESULT CATBackboneCommunicator::GetRequestAnswer(CATICommMsg* iRequest, CATICommMsg** oAnswer,
                                                  int iTimeOut) {
  if (!oAnswer) return Fail(CATBBErrorInvalidAnswerPort, E_INVALIDARG);
  *oAnswer = nullptr;
  CATBBMessage* message = CATBBMessageData::FromCommMsg(iRequest);
  if (!message || !message->Data().sent) return Fail(CATBBErrorInvalidAnswerPort);
  CATBBMessageData& data = message->Data();
  if (!data.sentWantsAnswer) return Fail(CATBBErrorNoAnswerNeeded);
  // Fetched already, or given up on after a time-out.
  if (data.answerFd < 0) return Fail(CATBBErrorInvalidAnswerPort);

  const int fd = data.answerFd;
  data.answerFd = -1;
  const long long seconds = iTimeOut < 0 ? CATBackboneDefaultTimeout() : iTimeOut;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  CATBackboneFrameReader reader;
  int errorId = 0;
  std::string chunk(kReadChunk, '\0');
  while (!errorId) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{fd, POLLIN, 0};
    int ready = poll(&p, 1, static_cast<int>(std::clamp<long long>(left.count(), 0, 1000000)));
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) {
      if (left.count() <= 0) errorId = CATBBErrorTimeout;
      continue;
    }
    ssize_t n = ready < 0 ? -1 : recv(fd, chunk.data(), chunk.size(), 0);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) continue;
    if (n <= 0) {
      errorId = CATBBErrorReceiveSocket;
      break;
    }
    std::string_view input(chunk.data(), static_cast<size_t>(n));
    CATBackboneFrameReader::Status status = reader.Feed(input);
    if (status == CATBackboneFrameReader::kError) {
      std::cerr << "CATBackbone: bad answer frame: " << reader.Error() << std::endl;
      errorId = CATBBErrorReceiveSocket;
    } else if (status == CATBackboneFrameReader::kFrame) {
      break;
    }
  }
  close(fd);
  if (errorId) return Fail(errorId);

  const CATBackboneFrame& frame = reader.Frame();
  if (frame.requestId != data.sentRequestId || frame.kind == CATBackboneFrameKind::Request)
    return Fail(CATBBErrorReceiveSocket);
  if (frame.kind == CATBackboneFrameKind::Error)
    return Fail(frame.errorId && frame.errorId <= 0xFFFF ? static_cast<int>(frame.errorId)
                                                         : CATBBErrorReceiveSocket);

  CATIStreamMsg* stream = CreateMessage(frame.messageClass, frame.body, &errorId);
  if (!stream) return Fail(errorId);
  CATICommMsg* answer = nullptr;
  stream->QueryInterface(IID_CATICommMsg, reinterpret_cast<void**>(&answer));
  stream->Release();
  *oAnswer = answer;
  return S_OK;
}

void CATBackboneCommunicator::OnListenerReadable(int fd, void* self) {
  auto* communicator = static_cast<CATBackboneCommunicator*>(self);
  for (const auto& listener : communicator->listeners_)
    if (listener->fd == fd) return communicator->Accept(*listener);
}

void CATBackboneCommunicator::Accept(const Listener& listener) {
  // A bounded number per wake-up, so a flood of connections cannot hold the event loop.
  for (int i = 0; i < static_cast<int>(kCATBackboneMaxPeers); ++i) {
    int fd = accept4(listener.fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    if (peers_.size() >= kCATBackboneMaxPeers) {
      auto oldest = std::min_element(peers_.begin(), peers_.end(), [](const auto& a, const auto& b) {
        return a.second.lastActive < b.second.lastActive;
      });
      DropPeer(oldest->first, "too many connections, the least recently active one goes");
    }
    unsigned long input = CATAddInput(fd, &CATBackboneCommunicator::OnPeerReadable, this);
    if (!input) {
      close(fd);
      continue;
    }
    Peer& peer = peers_[fd];
    peer.application = listener.application;
    peer.input = input;
    peer.lastActive = ++activity_;
  }
}

void CATBackboneCommunicator::DropPeer(int fd, const std::string& reason) {
  auto it = peers_.find(fd);
  if (it == peers_.end()) return;
  if (!reason.empty()) std::cerr << "CATBackbone: dropped peer: " << reason << std::endl;
  CATRemoveInput(it->second.input);
  close(fd);
  peers_.erase(it);
}

void CATBackboneCommunicator::OnPeerReadable(int fd, void* self) {
  static_cast<CATBackboneCommunicator*>(self)->ReadPeer(fd);
}

void CATBackboneCommunicator::ReadPeer(int fd) {
  auto it = peers_.find(fd);
  if (it == peers_.end()) return;
  Peer& peer = it->second;
  peer.lastActive = ++activity_;
  char chunk[16 * 1024];
  // At most one frame's worth per wake-up: the reader never takes past the end of a frame.
  for (size_t total = 0; total <= kCATBackboneFrameHeaderSize + kCATBackboneMaxPayload;) {
    ssize_t n = recv(fd, chunk, sizeof chunk, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
    if (n < 0) return DropPeer(fd, std::string("read failed: ") + std::strerror(errno));
    if (n == 0)
      // A connection that closes before sending anything is an instance checking for a live socket.
      return DropPeer(fd, peer.reader.MidFrame() ? "closed in the middle of a frame" : "");
    total += static_cast<size_t>(n);
    std::string_view input(chunk, static_cast<size_t>(n));
    CATBackboneFrameReader::Status status = peer.reader.Feed(input);
    if (status == CATBackboneFrameReader::kError) return DropPeer(fd, peer.reader.Error());
    if (status == CATBackboneFrameReader::kFrame) {
      if (peer.reader.Frame().kind != CATBackboneFrameKind::Request)
        return DropPeer(fd, "an answer or error frame where a request was expected");
      CATBackboneFrame frame = peer.reader.Frame();
      std::string application = peer.application;
      // One request per connection: the connection leaves the peers and is Serve's until it closes it.
      CATRemoveInput(peer.input);
      peers_.erase(it);
      return Serve(fd, application, frame);
    }
  }
}

void CATBackboneCommunicator::Serve(int fd, const std::string& application, const CATBackboneFrame& frame) {
  CATBackboneJournalEntry entry;
  entry.application = frame.application;
  entry.messageClass = frame.messageClass;
  entry.answerWanted = frame.answerWanted;
  CATBBDecodeItems(frame.body, &entry.items);
  const uint64_t number = CATBackboneJournalAdd(std::move(entry));
  auto refuse = [&](int errorId, const std::string& why) {
    CATBackboneJournalFailed(number, why);
    if (frame.answerWanted) SendErrorFrame(fd, frame.requestId, errorId);
    close(fd);
  };

  if (frame.application != application)
    return refuse(CATBBErrorTargetNotPresent, "sent to the socket of " + application);
  auto found = receivers_.find({frame.application, frame.messageClass});
  if (found == receivers_.end()) return refuse(CATBBErrorClassNotFound, "no receiver for this message class");
  int errorId = 0;
  CATIStreamMsg* stream = CreateMessage(frame.messageClass, frame.body, &errorId);
  if (!stream) return refuse(errorId, CATBackboneErrorText(errorId));

  CATICommMsg* message = nullptr;
  stream->QueryInterface(IID_CATICommMsg, reinterpret_cast<void**>(&message));
  stream->Release();
  CATBBMessageData& data = CATBBMessageData::FromCommMsg(message)->Data();
  data.received = true;
  data.answerWanted = frame.answerWanted;
  data.specifications = frame.answerWanted ? CATBBNeedAnswer : 0;
  data.replyFd = fd;
  data.replyRequestId = frame.requestId;
  data.journalEntry = number;

  // The handler may dissociate itself or drop the last reference to this connection.
  CATIMessageReceiver* receiver = found->second;
  receiver->AddRef();
  AddRef();
  receiver->HandleMessage(message);
  data.replyFd = -1;
  if (frame.answerWanted && !data.answered) CATBackboneJournalFailed(number, "the receiver did not answer");
  close(fd);
  message->Release();
  receiver->Release();
  Release();
}
