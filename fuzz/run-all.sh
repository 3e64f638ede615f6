#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) in their own build folder and runs
# each for a bounded time on a scratch copy of its seed corpus. Exits non-zero on any crash.
#   FUZZ_SECONDS   seconds per target (default 20)
#   FUZZ_BUILD_DIR build folder (default <repo>/build-fuzz)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${FUZZ_SECONDS:-20}"
jobs="${FUZZ_JOBS:-2}"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DQUARN_BUILD_FUZZ=ON \
  -DQUARN_BUILD_TESTS=OFF -DQUARN_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

targets=()
for dir in "$here"/corpus/*/; do
  targets+=("$(basename "$dir")")
done
cmake --build "$build" -j"$jobs" --target "${targets[@]/#/fuzz_}"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
status=0
for t in "${targets[@]}"; do
  mkdir -p "$scratch/$t"
  echo "== fuzz_$t (${seconds}s)"
  # A target that reads its input as a program of calls has a dictionary of the call numbers.
  dict=()
  if [ -f "$here/$t.dict" ]; then dict=(-dict="$here/$t.dict"); fi
  # New inputs go to the scratch folder, never into the seed corpus in the tree.
  if ! "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$scratch/$t-" -print_final_stats=1 "${dict[@]}" "$scratch/$t" "$here/corpus/$t" \
      2> "$scratch/$t.log"; then
    tail -n 40 "$scratch/$t.log"
    mkdir -p "$build/crashes"
    cp "$scratch/$t"-* "$build/crashes/" 2>/dev/null || true
    echo "fuzz_$t FAILED (artifacts in $build/crashes)"
    status=1
  else
    grep -E "stat::number_of_executed_units|Done" "$scratch/$t.log" | tail -n 2 || true
  fi
done
exit $status
