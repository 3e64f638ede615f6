#!/usr/bin/env bash
# Builds everything with AddressSanitizer + UndefinedBehaviorSanitizer (with the leak check) in
# its own build folder and runs the whole ctest suite there. Any sanitizer finding fails the
# test that produced it. Only the Mesa driver's, fontconfig's and the desktop bus library's own
# allocations are suppressed (tests/sanitizers/lsan.supp), never the engine's.
#   QUARN_SANITIZE_BUILD_DIR build folder (default build-sanitize)
# Further arguments go to ctest (e.g. -R Robustness).
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
# SDL unloads the Mesa driver when a window closes; what the driver still holds then looks
# leaked (and its frames cannot be named). Loading the driver libraries up front keeps them
# mapped for the whole process, so their memory stays reachable and their frames readable.
libdir="/usr/lib/$(gcc -print-multiarch)"
drivers=()
for lib in libEGL_mesa.so.0 libGLX_mesa.so.0 dri/swrast_dri.so; do
  if [ -f "$libdir/$lib" ]; then drivers+=("$libdir/$lib"); fi
done
export LD_PRELOAD="${drivers[*]}"
# verify_asan_link_order=0: the preloaded driver comes before the sanitizer runtime.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:verify_asan_link_order=0"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd "$build" && ctest -j2 --output-on-failure --timeout 600 "$@")
