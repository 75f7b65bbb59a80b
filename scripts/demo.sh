#!/usr/bin/env bash
# Set up, build, and show the nebula: where a display exists, the saver itself
# in a window (demo.sh --viewer: the developer viewer instead), otherwise the
# viewer on a virtual display, writing a few captures. demo.sh --web builds
# the web page instead and serves it on 127.0.0.1, printing its address.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = --web ]; then
  bash scripts/setup.sh web
  cmake --preset web >/dev/null
  cmake --build --preset web
  echo "demo: serving build/build-web/page; open the address below in a browser (Ctrl+C stops)"
  exec node scripts/lib/serve-static.js build/build-web/page "${ORVANE_WEB_PORT:-0}"
fi

bash scripts/setup.sh demo
cmake --preset default >/dev/null
cmake --build --preset default --target orvane-viewer orvane orvane_assets
viewer=build/apps/viewer/orvane-viewer
export ORVANE_DATA_DIR=$PWD/build/data

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  if [ "${1:-}" = --viewer ]; then
    shift
    echo "demo: showing the nebula in the viewer; press Escape to quit"
    exec "$viewer" "$@"
  fi
  echo "demo: showing the saver in a window; close the window (or Ctrl+C) to quit"
  exec build/src/linux/orvane -window "$@"
fi

source scripts/lib/display.sh
out=$PWD/build/captures
mkdir -p "$out"
echo "demo: no display here; drawing off screen on a virtual display"
for frames in 100 1600 3200; do
  ppm=$out/nebula_$frames.ppm
  with_display 1280x720x24 "$viewer" --seed 1 --frames "$frames" --capture "$ppm" \
    >/dev/null
  if command -v pnmtopng >/dev/null; then
    pnmtopng "$ppm" >"${ppm%.ppm}.png" 2>/dev/null && rm "$ppm" && ppm=${ppm%.ppm}.png
  fi
  echo "demo: frame $frames written to $ppm"
done
