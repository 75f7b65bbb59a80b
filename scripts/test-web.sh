#!/usr/bin/env bash
# The web page in headless Chromium: builds the page (preset web), the same
# page at -O0 with emscripten's run-time assertions (web-assertions) and the
# native viewer, captures the viewer's frame as the reference, and runs
# tests/web/page_test.js against a server on 127.0.0.1.
#
#   scripts/test-web.sh
#
# The last line is "web: N passed, M failed"; the exit status is non-zero on
# any failure.
set -uo pipefail
exec </dev/null
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
bash scripts/setup.sh test || exit 1

# The reference: the same seed and frame at the same size, drawn by Mesa.
seed=7
frame=30
out=$repo/build/web-test
rm -rf "$out"
mkdir -p "$out"

built() {
  local preset
  cmake --preset default >/dev/null && cmake --build --preset default --target orvane-viewer orvane_assets ||
    return 1
  for preset in web web-assertions; do
    cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" || return 1
  done
}
if ! built >"$out/build.log" 2>&1; then
  tail -n 30 "$out/build.log"
  echo "web: 0 passed, 1 failed (the build; log: $out/build.log)"
  exit 1
fi

source scripts/lib/display.sh
if ! ORVANE_DATA_DIR=$repo/build/data with_display 1280x720x24 \
  build/apps/viewer/orvane-viewer --seed "$seed" --frames "$frame" --size 640x360 \
  --capture "$out/native.ppm" >"$out/viewer.log" 2>&1; then
  tail -n 10 "$out/viewer.log"
  echo "web: 0 passed, 1 failed (the native reference frame)"
  exit 1
fi

node tests/web/page_test.js "$out" build/build-web/page build/build-web-assertions/page \
  "$out/native.ppm" "$seed" "$frame"
