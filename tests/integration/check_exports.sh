#!/usr/bin/env bash
# The shared library exports exactly the functions its public header declares.
set -euo pipefail
lib="$1"
shift
declared=$(cat "$@" | tr '\n' ' ' | grep -oE 'QUARN_CALL +[A-Za-z_][A-Za-z0-9_]* *\(' |
  sed -E 's/QUARN_CALL +//; s/ *\($//' | grep -vE '^\*' | sort -u)
exported=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[TW]$/ {print $3}' | sort -u)
if [ "$declared" != "$exported" ]; then
  echo "declared but not exported:"; comm -23 <(echo "$declared") <(echo "$exported")
  echo "exported but not declared:"; comm -13 <(echo "$declared") <(echo "$exported")
  exit 1
fi
echo "$(echo "$exported" | wc -l) exports match the header"
