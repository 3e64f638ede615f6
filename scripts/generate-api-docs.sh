#!/usr/bin/env bash
# Regenerates docs/api (one page per export family) from the public headers' contract
# comments. Run it after changing a header.
set -euo pipefail
cd "$(dirname "$0")/.."
python3 python/codegen/generate_docs.py include/quarn docs/api
echo "docs/api: $(ls docs/api | wc -l) pages"
