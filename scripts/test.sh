#!/usr/bin/env bash
# Builds everything and runs every test: the gcc build (warnings as errors) with its tests and a short
# benchmark smoke run, then the clang build under AddressSanitizer and UndefinedBehaviorSanitizer with its
# tests and a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/bootstrap.sh
jobs=$(nproc)
# Ten seconds a target keep the whole run short; longer campaigns: scripts/fuzz.sh build-asan SECONDS.
fuzz_seconds=${ZEL_FUZZ_SECONDS:-10}

echo "== build (gcc) =="
cmake -S . -B build -G Ninja -DZEL_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
echo "== tests (gcc) =="
(cd build && ctest -j2 --output-on-failure)
echo "== benchmark smoke run =="
build/bench/zel_bench --benchmark_min_time=0.01 >/dev/null

echo "== build (clang, ASan+UBSan, fuzz targets) =="
cmake -S . -B build-asan -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
  -DZEL_SANITIZE=ON -DZEL_FUZZ=ON -DZEL_BENCH=OFF -DZEL_WERROR=ON >/dev/null
cmake --build build-asan -j"$jobs"
echo "== tests (ASan+UBSan) =="
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
(cd build-asan && ctest -j2 --output-on-failure)
echo "== fuzz (${fuzz_seconds}s each) =="
./scripts/fuzz.sh build-asan "$fuzz_seconds"
echo "== all tests passed =="
