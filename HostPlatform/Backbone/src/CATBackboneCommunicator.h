#ifndef CATBackboneCommunicator_h
#define CATBackboneCommunicator_h
// The process's connection to the bus of one directory: its declared applications and their listening
// sockets, the receivers, and the requests being served on the event loop.
#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "CATBackboneFrameReader.h"
#include "CATICommunicator.h"

class CATBBMessageData;

// A bus is its directory, checked when the bus was handed out.
class CATBackboneBus {
 public:
  explicit CATBackboneBus(std::string directory) : directory_(std::move(directory)) {}
  const std::string& Directory() const { return directory_; }

 private:
  std::string directory_;
};

// Peers served at once; a new one beyond this replaces the least recently active.
inline constexpr size_t kCATBackboneMaxPeers = 32;

class CATBackboneCommunicator : public CATICommunicator {
 public:
  explicit CATBackboneCommunicator(std::string directory);
  ~CATBackboneCommunicator() override;
  CATBackboneCommunicator(const CATBackboneCommunicator&) = delete;
  CATBackboneCommunicator& operator=(const CATBackboneCommunicator&) = delete;

  HRESULT QueryInterface(const IID& iid, void** out) override;
  HRESULT Declare(const char* iApplication, int iFlags) override;
  HRESULT AssociateReceiver(const char* iApplication, const char* iMessageClass,
                            CATIMessageReceiver* iReceiver) override;
  HRESULT DissociateReceiver(const char* iApplication, const char* iMessageClass,
                             CATIMessageReceiver* iReceiver) override;
  HRESULT SendRequest(const char* iTargetApplication, CATICommMsg* iMessage) override;
  HRESULT GetRequestAnswer(CATICommMsg* iRequest, CATICommMsg** oAnswer, int iTimeOut) override;
  HRESULT GetLastErrorId(int* oErrorId) override;

  const std::string& Directory() const { return directory_; }
  // The applications this connection serves (a receiver associated), each once.
  void AppendServedApplications(std::vector<std::string>& applications) const {
    for (const auto& [key, receiver] : receivers_)
      if (receiver && std::find(applications.begin(), applications.end(), key.first) == applications.end())
        applications.push_back(key.first);
  }
  // Connections being read (for tests of the peer bound).
  size_t PeerCount() const { return peers_.size(); }

 private:
  struct Listener {
    std::string application;
    std::string path;
    int fd = -1;
    unsigned long input = 0;
  };
  struct Peer {
    std::string application;  // the application whose socket accepted it
    unsigned long input = 0;
    uint64_t lastActive = 0;
    CATBackboneFrameReader reader;
  };

  static void OnListenerReadable(int fd, void* self);
  static void OnPeerReadable(int fd, void* self);
  void Accept(const Listener& listener);
  void ReadPeer(int fd);
  // Closes a peer; a reason is logged.
  void DropPeer(int fd, const std::string& reason);
  void Serve(int fd, const std::string& application, const CATBackboneFrame& frame);
  HRESULT Fail(int errorId, HRESULT rc = E_FAIL);

  std::string directory_;
  std::vector<std::unique_ptr<Listener>> listeners_;
  std::map<int, Peer> peers_;
  std::map<std::pair<std::string, std::string>, CATIMessageReceiver*> receivers_;
  int lastError_ = 0;
  uint64_t activity_ = 0;
  uint32_t nextRequestId_ = 0;
};

// The default time GetRequestAnswer waits, in seconds: CATBackboneTimeout when it holds whole seconds from
// 1 to 3600, else 120.
int CATBackboneDefaultTimeout();

#endif
