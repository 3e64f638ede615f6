#!/usr/bin/env bash
# Renders every picture-saving snippet of README.md and docs/ and writes the pictures over the
# PNGs in docs/images that the pages show after them.
# usage: scripts/update-doc-images.sh [BUILD_DIR]   (QuarnGL, QuarnPhysics, the Python package
#        and the demo's data must be built there)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
python3 tests/examples/run_doc_snippets.py . "$tmp/snippets" "${CC:-cc}" \
  "$build/engine/libQuarnGL.so" "$build/physics/libQuarnPhysics.so" "$build/python" \
  "$build/demo/data" --update-images
