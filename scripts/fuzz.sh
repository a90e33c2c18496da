#!/usr/bin/env bash
# Runs every fuzz target of a build for a while, seeded from fuzz/corpus/<name>; findings fail the run.
# Usage: scripts/fuzz.sh <build-dir> [seconds-per-target]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?build directory}
seconds=${2:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for target in "$build"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  seeds=fuzz/corpus/${name#fuzz_}
  mkdir -p "$work/$name"
  args=("$work/$name")
  [ -d "$seeds" ] && args+=("$seeds")
  echo "-- $name"
  if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
      -artifact_prefix="$work/$name-" "${args[@]}" >"$work/$name.log" 2>&1; then
    tail -n 40 "$work/$name.log"
    status=1
  fi
done
exit $status
