// Cost of a trace scope with tracing off, against the same work without a scope. Read the ratio of
// BM_ScopeTracingOff to BM_NoScope: the scope should cost a few nanoseconds at most.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "ZELDebug.h"

namespace {
int g_sink = 0;

__attribute__((noinline)) int WithoutScope(int x) {
  benchmark::DoNotOptimize(x);
  return x + 1;
}

__attribute__((noinline)) int WithScope(int x) {
  ZEL_DEBUG_SCOPE("Bench::WithScope");
  benchmark::DoNotOptimize(x);
  return x + 1;
}

void BM_NoScope(benchmark::State& state) {
  for (auto _ : state) g_sink = WithoutScope(g_sink);
}

void BM_ScopeTracingOff(benchmark::State& state) {
  unsetenv("ZEL_DEBUG");
  for (auto _ : state) g_sink = WithScope(g_sink);
}
}  // namespace

BENCHMARK(BM_NoScope);
BENCHMARK(BM_ScopeTracingOff);
