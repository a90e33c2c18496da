// One whole run of the sender program against a client session that serves the bus, against a bare spawn of
// /bin/true measured in the same iterations. Read the counter x_spawn: what loading the libraries, declaring
// on the bus, one request and its answer cost on top of starting a process.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "ChildProcess.h"
#include "ZELTestSupport.h"

namespace {

namespace fs = std::filesystem;

// A client session on a private bus directory and database whose receiver answers every request.
class ServingSession {
 public:
  ServingSession() {
    char pattern[] = "/tmp/zelbench-XXXXXX";
    if (!mkdtemp(pattern)) return;
    dir_ = pattern;
    setenv("CATBackboneDirectory", (dir_ / "bus").c_str(), 1);
    fs::path database = zeltest::SeededPlmDatabase(dir_);
    zeltest::WriteFile(dir_ / "session.script", "receiver\nserve 3600 " + (dir_ / "stop").string() + "\n");
    session_ = std::make_unique<zeltest::ChildProcess>(
        std::vector<std::string>{zeltest::RuntimeProgram("CNEXT").string(), "--script",
                                 (dir_ / "session.script").string(), "--plm", database.string()});
    while (auto line = session_->ReadLine())
      if (*line == "receiver started") {
        ready_ = true;
        break;
      }
  }
  ~ServingSession() {
    if (session_) {
      zeltest::WriteFile(dir_ / "stop", "");
      session_->Wait(std::chrono::seconds(30));
    }
    std::error_code ignored;
    if (!dir_.empty()) fs::remove_all(dir_, ignored);
  }
  bool Ready() const { return ready_; }

 private:
  fs::path dir_;
  std::unique_ptr<zeltest::ChildProcess> session_;
  bool ready_ = false;
};

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

void BM_SenderRun(benchmark::State& state) {
  static ServingSession session;
  if (!session.Ready()) {
    state.SkipWithError("the client session did not start its receiver");
    return;
  }
  const std::string sender = zeltest::RuntimeProgram("ZELSender").string();
  double senderTotal = 0, spawnTotal = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    // An open request without parameters: the receiver opens nothing and answers.
    zeltest::ProgramResult run = zeltest::RunProgram({sender, "ZEL_OPEN"});
    auto sent = std::chrono::steady_clock::now();
    zeltest::ProgramResult bare = zeltest::RunProgram({"/bin/true"});
    auto spawned = std::chrono::steady_clock::now();
    if (run.exitCode != 0 || bare.exitCode != 0) {
      state.SkipWithError("a run failed");
      break;
    }
    senderTotal += Seconds(sent - start);
    spawnTotal += Seconds(spawned - sent);
    state.SetIterationTime(Seconds(sent - start));
  }
  if (spawnTotal > 0) {
    state.counters["spawn_us"] = benchmark::Counter(1e6 * spawnTotal / state.iterations());
    state.counters["x_spawn"] = senderTotal / spawnTotal;
  }
}
BENCHMARK(BM_SenderRun)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
