#!/usr/bin/env bash
# The web page's figures: its download size, raw and gzipped, and the time to
# its first frame and its frame rate in headless Chromium at 1280x720.
#   scripts/bench-web.sh [SECONDS]   (the frame rate's window, default 10)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test
cmake --preset web >/dev/null
cmake --build --preset web >/dev/null
node tests/web/page_figures.js build/build-web/page "${1:-10}"
