#!/usr/bin/env bash
# Runs every fuzz target of a build for a while, seeded from fuzz/corpus/<name>; findings fail the run.
# Targets run side by side, one per core (ZEL_FUZZ_JOBS to change it).
# Usage: scripts/fuzz.sh <build-dir> [seconds-per-target]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?build directory}
seconds=${2:-20}
jobs=${ZEL_FUZZ_JOBS:-$(nproc)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run_target() {
  local target=$1 name seeds
  name=$(basename "$target")
  seeds=fuzz/corpus/${name#fuzz_}
  mkdir -p "$work/$name"
  local args=("$work/$name")
  [ -d "$seeds" ] && args+=("$seeds")
  if "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
      -artifact_prefix="$work/$name-" "${args[@]}" >"$work/$name.log" 2>&1; then
    echo "-- $name"
  else
    echo "-- $name FAILED"
    tail -n 40 "$work/$name.log"
    touch "$work/failed"
  fi
}

running=0
for target in "$build"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  run_target "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait
[ ! -e "$work/failed" ]
