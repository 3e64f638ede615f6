#!/usr/bin/env bash
# Regenerates the README's picture: the demo rendered headless, saved as docs/images/quarn-demo.png.
# usage: scripts/update-screenshot.sh [BUILD_DIR]   (the demo must be built there)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
(cd "$tmp" && "$OLDPWD/$build/demo/quarn-demo" --headless --frames 150 --output "$tmp/demo.bmp")
python3 scripts/bmp-to-png.py "$tmp/demo.bmp" docs/images/quarn-demo.png
echo "docs/images/quarn-demo.png updated"
