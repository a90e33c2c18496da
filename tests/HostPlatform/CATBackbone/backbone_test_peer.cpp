// Another process on the bus, for the bus tests.
//   CATBackboneTestPeer serve <application> <tag> <mode>
//     declares the application, prints "ready", and serves test messages for up to 60 s. Modes: answer
//     (answers with the items tag, "answered", then the request's items), exit (the process dies inside the
//     handler, before answering), silent (never answers).
//   CATBackboneTestPeer send <application> <item>
//     declares CATBBTestSender, sends one request that wants an answer and prints "answer <items joined by
//     |>" or "error <id>". It keeps its connection until the process ends, as a session does.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "CATBackboneBus.h"
#include "CATEventLoopInputs.h"
#include "CATIMessageReceiver.h"
#include "backbone_test_message.h"

CATImplementComponent(CATBBTestMessage);

namespace {

CATICommunicator* s_keptConnection = nullptr;

class PeerReceiver : public CATIMessageReceiver {
 public:
  PeerReceiver(std::string tag, std::string mode) : tag_(std::move(tag)), mode_(std::move(mode)) {}
  void HandleMessage(CATICommMsg* iMessage) override {
    if (mode_ == "exit") _exit(3);
    if (mode_ == "silent") return;
    auto* answer = new CATBBTestMessage;
    answer->items = {tag_, "answered"};
    if (CATBBTestMessage* received = CATBBTestMessage::From(iMessage))
      answer->items.insert(answer->items.end(), received->items.begin(), received->items.end());
    iMessage->SendAnswer(answer->Comm());
    answer->Release();
  }
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATIMessageReceiver>(this, iid, out);
  }

 private:
  std::string tag_;
  std::string mode_;
};

int Serve(const char* application, const char* tag, const char* mode) {
  CATICommunicator* bus = CATGetBackboneConnection(CATGetDefaultBus(), 0);
  if (!bus || FAILED(bus->Declare(application, 0))) return 2;
  auto* receiver = new PeerReceiver(tag, mode);
  bus->AssociateReceiver(application, "CATBBTestMessage", receiver);
  receiver->Release();
  std::printf("ready\n");
  std::fflush(stdout);
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < end) CATDispatchInputs(200);
  bus->Release();
  return 0;
}

int Send(const char* application, const char* item) {
  CATICommunicator* bus = CATGetBackboneConnection(CATGetDefaultBus(), 0);
  if (!bus || FAILED(bus->Declare("CATBBTestSender", 0))) return 2;
  auto* request = new CATBBTestMessage;
  request->items = {item};
  request->Comm()->SetMessageSpecifications(CATBBNeedAnswer);
  CATICommMsg* answer = nullptr;
  int errorId = 0;
  if (FAILED(bus->SendRequest(application, request->Comm())) ||
      FAILED(bus->GetRequestAnswer(request->Comm(), &answer, 20))) {
    bus->GetLastErrorId(&errorId);
    std::printf("error %d\n", errorId);
  } else {
    CATBBTestMessage* message = CATBBTestMessage::From(answer);
    std::string joined;
    for (const std::string& text : message ? message->items : std::vector<std::string>())
      joined += (joined.empty() ? "" : "|") + text;
    std::printf("answer %s\n", joined.c_str());
    answer->Release();
  }
  request->Release();
  s_keptConnection = bus;
  return errorId ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "serve") == 0) return Serve(argv[2], argv[3], argv[4]);
  if (argc == 4 && std::strcmp(argv[1], "send") == 0) return Send(argv[2], argv[3]);
  std::fprintf(stderr,
               "usage: CATBackboneTestPeer serve <application> <tag> <mode> | send <application> <item>\n");
  return 64;
}
