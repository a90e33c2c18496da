// One request and its answer over the backbone bus between two processes, against a raw Unix-socket round
// trip of the same bytes (the same request and answer frames) to the same process, measured alternately in
// the same iterations. Both open one connection per round trip and are served by the same event loop. Read
// the counter x_raw: what the bus adds (finding the newest live socket, streaming and unstreaming, creating
// the messages by class name, the receiver call, the journal) on top of the socket round trip itself.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>

#include "CATBackboneBus.h"
#include "CATBackboneFrameReader.h"
#include "CATEventLoopInputs.h"
#include "CATIMessageReceiver.h"
#include "backbone_test_message.h"

CATImplementComponent(CATBBTestMessage);

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::vector<std::string> kRequestItems = {"ZEL_OPEN", "5A454C50727431404056505F50617274404041"};
const std::vector<std::string> kAnswerItems = {"ZEL_OPEN finished"};

std::string Frame(CATBackboneFrameKind kind, const std::vector<std::string>& texts) {
  CATBackboneFrame frame;
  frame.kind = kind;
  frame.answerWanted = kind == CATBackboneFrameKind::Request;
  frame.application = "BenchEcho";
  frame.messageClass = "CATBBTestMessage";
  for (const std::string& text : texts) {
    uint32_t size = text.empty() ? 0 : static_cast<uint32_t>(text.size() + 1);
    for (int i = 0; i < 4; ++i) frame.body.push_back(static_cast<char>((size >> (8 * i)) & 0xFF));
    frame.body += text;
  }
  return CATBackboneEncodeFrame(frame);
}

bool ReadExactly(int fd, size_t count) {
  char buffer[4096];
  while (count > 0) {
    ssize_t n = read(fd, buffer, std::min(count, sizeof buffer));
    if (n <= 0) return false;
    count -= static_cast<size_t>(n);
  }
  return true;
}

bool WriteAll(int fd, const std::string& bytes) {
  return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

class EchoReceiver : public CATIMessageReceiver {
 public:
  void HandleMessage(CATICommMsg* iMessage) override {
    auto* answer = new CATBBTestMessage;
    answer->items = kAnswerItems;
    iMessage->SendAnswer(answer->Comm());
    answer->Release();
  }
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATIMessageReceiver>(this, iid, out);
  }
};

// The raw server: one request frame in, one answer frame out, per connection.
void ServeRaw(int listener, void*) {
  static const size_t requestSize = Frame(CATBackboneFrameKind::Request, kRequestItems).size();
  static const std::string answer = Frame(CATBackboneFrameKind::Answer, kAnswerItems);
  int fd = accept(listener, nullptr, nullptr);
  if (fd < 0) return;
  if (ReadExactly(fd, requestSize)) WriteAll(fd, answer);
  close(fd);
}

// The other process: declares BenchEcho on a private bus and listens on a raw socket beside it, until the
// benchmark closes the pipe.
class EchoProcess {
 public:
  EchoProcess() {
    char pattern[] = "/tmp/zelbench-bus-XXXXXX";
    if (!mkdtemp(pattern)) return;
    dir_ = pattern;
    setenv("CATBackboneDirectory", (dir_ / "bus").c_str(), 1);
    raw_ = (dir_ / "raw.sock").string();
    int ready[2], stop[2];
    if (pipe(ready) != 0 || pipe(stop) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      close(stop[1]);
      _exit(Serve(ready[1], stop[0]));
    }
    close(ready[1]);
    close(stop[0]);
    stop_ = stop[1];
    char byte = 0;
    ready_ = pid_ > 0 && read(ready[0], &byte, 1) == 1;
    close(ready[0]);
  }
  ~EchoProcess() {
    if (stop_ >= 0) close(stop_);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
    std::error_code ignored;
    if (!dir_.empty()) fs::remove_all(dir_, ignored);
  }
  bool Ready() const { return ready_; }
  const std::string& RawPath() const { return raw_; }

 private:
  int Serve(int ready, int stop) {
    CATICommunicator* bus = CATGetBackboneConnection(CATGetDefaultBus(), 0);
    if (!bus || FAILED(bus->Declare("BenchEcho", 0))) return 1;
    auto* receiver = new EchoReceiver;
    bus->AssociateReceiver("BenchEcho", "CATBBTestMessage", receiver);
    receiver->Release();
    int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, raw_.c_str(), sizeof address.sun_path - 1);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 64) != 0)
      return 1;
    CATAddInput(listener, &ServeRaw, nullptr);
    bool stopped = false;
    CATAddInput(
        stop, [](int, void* flag) { *static_cast<bool*>(flag) = true; }, &stopped);
    if (write(ready, "r", 1) != 1) return 1;
    while (!stopped) CATDispatchInputs(1000);
    bus->Release();
    return 0;
  }

  fs::path dir_;
  std::string raw_;
  pid_t pid_ = -1;
  int stop_ = -1;
  bool ready_ = false;
};

EchoProcess& Echo() {
  static EchoProcess process;
  return process;
}

bool BusRoundTrip(CATICommunicator* bus) {
  auto* request = new CATBBTestMessage;
  request->items = kRequestItems;
  request->Comm()->SetMessageSpecifications(CATBBNeedAnswer);
  CATICommMsg* answer = nullptr;
  bool ok = SUCCEEDED(bus->SendRequest("BenchEcho", request->Comm())) &&
            SUCCEEDED(bus->GetRequestAnswer(request->Comm(), &answer, 10));
  CATBBTestMessage* message = CATBBTestMessage::From(answer);
  ok = ok && message && message->items == kAnswerItems;
  if (answer) answer->Release();
  request->Release();
  return ok;
}

bool RawRoundTrip(const std::string& path, const std::string& request, size_t answerSize) {
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            WriteAll(fd, request) && ReadExactly(fd, answerSize);
  close(fd);
  return ok;
}

void BM_BackboneRequestAnswer(benchmark::State& state) {
  EchoProcess& echo = Echo();
  if (!echo.Ready()) return state.SkipWithError("the echo process did not start");
  CATICommunicator* bus = CATGetBackboneConnection(CATGetDefaultBus(), 0);
  if (!bus) return state.SkipWithError("no bus");
  const std::string request = Frame(CATBackboneFrameKind::Request, kRequestItems);
  const size_t answerSize = Frame(CATBackboneFrameKind::Answer, kAnswerItems).size();
  Clock::duration busTime{}, rawTime{};
  for (auto _ : state) {
    Clock::time_point start = Clock::now();
    if (!BusRoundTrip(bus)) state.SkipWithError("bus round trip failed");
    Clock::time_point middle = Clock::now();
    if (!RawRoundTrip(echo.RawPath(), request, answerSize)) state.SkipWithError("raw round trip failed");
    busTime += middle - start;
    rawTime += Clock::now() - middle;
  }
  bus->Release();
  const double iterations = static_cast<double>(state.iterations());
  const double busUs = std::chrono::duration<double, std::micro>(busTime).count() / iterations;
  const double rawUs = std::chrono::duration<double, std::micro>(rawTime).count() / iterations;
  state.counters["bus_us"] = busUs;
  state.counters["raw_us"] = rawUs;
  state.counters["x_raw"] = rawUs > 0 ? busUs / rawUs : 0;
}
BENCHMARK(BM_BackboneRequestAnswer)->Unit(benchmark::kMicrosecond);

}  // namespace
