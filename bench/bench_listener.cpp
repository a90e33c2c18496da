// The open round trip through the listener, from a WebSocket client to the session's open and back, broken
// down: the upgrade handshake; the answer (dispatch, the launcher and the sender, the bus, the receiver's
// query and open); and the launcher with the sender run directly, without the listener. The baseline is the
// two process spawns the round trip cannot avoid (the launcher and the sender), measured as spawns of
// /bin/true in the same iterations. Read x_spawns: the whole round trip against those two spawns.
#include <benchmark/benchmark.h>
#include <signal.h>

#include <chrono>
#include <thread>

#include "RawClient.h"
#include "ServingSession.h"

namespace {

// The listener on a free port whose launcher is the runtime tree's, logging errors only (nobody reads it).
class BenchListener {
 public:
  explicit BenchListener(const fs::path& dir) : port_(zeltest::FreePort()) {
    env_ = dir / "platform.env";
    zeltest::WriteFile(env_, std::string("CATBackboneDirectory=") + getenv("CATBackboneDirectory") + "\n");
    fs::path config = dir / "listener.cfg";
    zeltest::WriteFile(config, "LOG_LEVEL = ERROR\nPORT = " + std::to_string(port_) +
                                   "\n3DEXPERIENCE_DIR = " + zeltest::RuntimeRoot().parent_path().string() +
                                   "\n3DEXPERIENCE_ENV_FILE = " + env_.string() + "\n");
    setenv("ZEL_LISTENER_CONFIG_FILE", config.c_str(), 1);
    process_ = std::make_unique<zeltest::ChildProcess>(
        std::vector<std::string>{zeltest::RuntimeProgram("ZELListenerService").string()});
    unsetenv("ZEL_LISTENER_CONFIG_FILE");
    for (int attempt = 0; attempt < 300 && !ready_; ++attempt) {
      RawClient probe(port_);
      ready_ = probe.Connected();
      if (!ready_) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  ~BenchListener() {
    process_->Signal(SIGTERM);
    process_->Wait(std::chrono::seconds(20));
  }
  bool Ready() const { return ready_; }
  int Port() const { return port_; }
  const fs::path& EnvFile() const { return env_; }

 private:
  int port_;
  fs::path env_;
  std::unique_ptr<zeltest::ChildProcess> process_;
  bool ready_ = false;
};

double Micros(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::micro>(d).count();
}

void BM_ListenerOpenRoundTrip(benchmark::State& state) {
  ServingSession& session = ServingSession::Shared();
  static BenchListener listener(session.Dir());
  if (!session.Ready() || !listener.Ready()) {
    state.SkipWithError("the session or the listener did not start");
    return;
  }
  const std::string argument = "PRDPart@@prd-00012343@@A.3";
  const std::string success = "Successfully executed OPEN3DX command.";
  std::string hex;
  for (unsigned char c : argument) {
    static const char* digits = "0123456789ABCDEF";
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  const std::string launcher = zeltest::RuntimeProgram("CATSTART").string();
  double handshake = 0, answer = 0, whole = 0, direct = 0, spawns = 0;
  using Clock = std::chrono::steady_clock;
  for (auto _ : state) {
    auto start = Clock::now();
    RawClient client(listener.Port(), 120);
    bool ok = client.Send(RawClient::UpgradeRequest()) && client.ReadUntil("\r\n\r\n");
    auto upgraded = Clock::now();
    ok = ok && client.Send(RawClient::Frame(0x1, "ZEL:@:OPEN3DX:@:" + argument)) && client.ReadUntil(success);
    auto answered = Clock::now();
    ok = ok && client.Send(RawClient::Frame(0x8, std::string("\x03\xE8", 2))) && client.ReadUntilClosed();
    auto closed = Clock::now();
    int run =
        SpawnAndWait({launcher, "-env", listener.EnvFile().string(), "-run", "ZELSender ZEL_OPEN " + hex});
    auto ran = Clock::now();
    int bare = SpawnAndWait({"/bin/true"}) | SpawnAndWait({"/bin/true"});
    auto spawned = Clock::now();
    if (!ok || run != 0 || bare != 0) {
      state.SkipWithError("a round trip failed");
      break;
    }
    handshake += Micros(upgraded - start);
    answer += Micros(answered - upgraded);
    whole += Micros(closed - start);
    direct += Micros(ran - closed);
    spawns += Micros(spawned - ran);
    state.SetIterationTime(Micros(closed - start) / 1e6);
  }
  if (state.iterations() > 0 && spawns > 0) {
    const double n = static_cast<double>(state.iterations());
    state.counters["handshake_us"] = handshake / n;
    state.counters["answer_us"] = answer / n;
    state.counters["launcher_sender_us"] = direct / n;
    state.counters["two_spawns_us"] = spawns / n;
    state.counters["x_spawns"] = whole / spawns;
  }
}
BENCHMARK(BM_ListenerOpenRoundTrip)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
