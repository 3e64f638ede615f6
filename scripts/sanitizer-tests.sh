#!/usr/bin/env bash
# Builds everything with AddressSanitizer + UndefinedBehaviorSanitizer (with the leak check) in
# its own build folder and runs the whole ctest suite there. Any sanitizer finding fails the
# test that produced it. The only suppression is the Mesa driver's own leak
# (tests/sanitizers/lsan.supp).
#   QUARN_SANITIZE_BUILD_DIR build folder (default build-sanitize)
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
build=${QUARN_SANITIZE_BUILD_DIR:-build-sanitize}
# -O1 with line tables only: a quicker build, still readable stacks.
flags="-O1 -g1 -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=None -DQUARN_BUILD_TESTS=ON \
  -DQUARN_BUILD_BENCH=OFF -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" -j2
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd "$build" && ctest -j2 --output-on-failure --timeout 600)
