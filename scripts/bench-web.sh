#!/usr/bin/env bash
# The web page's figures beside the native viewer's, in one run on one
# machine: the download; then with the browser's own software renderer and
# with Mesa's, the time to the first frame, the page's frame rate and
# processor time a frame at 640x360 and 1280x720 (full resolution) against
# the viewer's on a virtual display with Mesa's software renderer, and the
# rate and chosen resolution on three large screens; the web layer's share
# of a frame in a profile.
#   scripts/bench-web.sh [SECONDS]   (each measuring window, default 10)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
bash scripts/setup.sh test </dev/null
source scripts/lib/display.sh
cmake --preset web >/dev/null
cmake --build --preset web >/dev/null
# The same page with function names, for the profiler only.
cmake --preset web -B build/build-web-profile -DORVANE_WEB_PROFILING=ON >/dev/null
NODE_PATH=${NODE_PATH:-/usr/share/nodejs} cmake --build build/build-web-profile >/dev/null
cmake --preset default >/dev/null
cmake --build --preset default --target orvane-viewer orvane_assets >/dev/null

# The viewer's frame rate and processor time a frame ("FPS/MS"): two runs
# that differ only in their frame count, so that the start-up cancels out.
native_figures() {
  local size=$1 short=60 long=$((60 + 60 * seconds)) run a b TIMEFORMAT='%R %U %S'
  run() {
    { time ORVANE_DATA_DIR=$PWD/build/data build/apps/viewer/orvane-viewer --seed 1 --size "$size" \
      --frames "$1" >/dev/null 2>&1; } 2>&1
  }
  a=$(run "$short")
  b=$(run "$long")
  awk -v n=$((long - short)) -v a="$a" -v b="$b" 'BEGIN {
    split(a, x, " "); split(b, y, " ")
    printf "%.2f/%.2f", n / (y[1] - x[1]), 1000 * ((y[2] + y[3]) - (x[2] + x[3])) / n }'
}
echo "bench-web: $(nproc) processors, load average $(cut -d' ' -f1-3 /proc/loadavg)"
n640=$(with_display 1920x1200x24 native_figures 640x360)
n1280=$(with_display 1920x1200x24 native_figures 1280x720)
node tests/web/page_figures.js build/build-web/page "$seconds" "$n640" "$n1280" \
  build/build-web-profile/page
