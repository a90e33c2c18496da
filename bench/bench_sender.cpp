// One whole run of the sender program against a client session that serves the bus, against a bare spawn of
// /bin/true measured in the same iterations. Read the counter x_spawn: what loading the libraries, declaring
// on the bus, one request and its answer cost on top of starting a process.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "ServingSession.h"
#include "ZELTestSupport.h"

namespace {

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

void BM_SenderRun(benchmark::State& state) {
  ServingSession& session = ServingSession::Shared();
  if (!session.Ready()) {
    state.SkipWithError("the client session did not start its receiver");
    return;
  }
  const std::string sender = zeltest::RuntimeProgram("ZELSender").string();
  double senderTotal = 0, spawnTotal = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    // An open request without parameters: the receiver opens nothing and answers.
    int run = SpawnAndWait({sender, "ZEL_OPEN"});
    auto sent = std::chrono::steady_clock::now();
    int bare = SpawnAndWait({"/bin/true"});
    auto spawned = std::chrono::steady_clock::now();
    if (run != 0 || bare != 0) {
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
