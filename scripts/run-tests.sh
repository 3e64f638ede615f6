#!/usr/bin/env bash
# Installs the dependencies, checks the formatting, builds everything with warnings as errors
# and runs every test: ctest (unit, GL-trace and headless integration tiers), the whole ctest
# suite again under AddressSanitizer + UndefinedBehaviorSanitizer with the leak check, then each
# fuzz target for a bounded time.
# Then the Windows DLLs: both architectures cross-built and their tests run under Wine.
#   QUARN_SKIP_SANITIZERS=1 leaves the sanitizer pass out (a quick local run).
#   QUARN_SKIP_WINDOWS=1 leaves the Windows stage out.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/check-format.sh
build=${QUARN_BUILD_DIR:-build-ci}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARN_BUILD_TESTS=ON -DQUARN_BUILD_BENCH=ON \
  -DQUARN_WARNINGS_AS_ERRORS=ON
cmake --build "$build" -j2
(cd "$build" && ctest -j2 --output-on-failure --timeout 300)
if [ "${QUARN_SKIP_SANITIZERS:-0}" != 1 ]; then
  scripts/sanitizer-tests.sh
fi
if [ -x fuzz/run-all.sh ]; then
  fuzz/run-all.sh
fi
if [ "${QUARN_SKIP_WINDOWS:-0}" != 1 ]; then
  scripts/build-windows.sh all
fi
