#!/usr/bin/env bash
# Fails when a C or C++ source of the tree differs from what clang-format (.clang-format at the
# root) makes of it; prints the places. `clang-format -i FILE` fixes one.
set -euo pipefail
cd "$(dirname "$0")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files '*.c' '*.h' '*.cpp')
else
  mapfile -t files < <(find common engine platform physics include tools demo examples bench \
    tests fuzz python -name '*.c' -o -name '*.h' -o -name '*.cpp')
fi
clang-format --dry-run --Werror "${files[@]}"
echo "clang-format: ${#files[@]} files as formatted"
