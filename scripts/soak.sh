#!/usr/bin/env bash
# Soak: the viewer built under AddressSanitizer + UndefinedBehaviorSanitizer
# (preset "asan", folder build-asan) draws 20000 frames on a virtual display
# with leak checking on. Passes when it exits with 0, no sanitizer report
# appears, and its resident memory at frame 1000 and after the last frame
# differ by less than 1 MiB.
#
#   scripts/soak.sh [FRAMES]     default 20000 (at least 1001)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
frames=${1:-20000}
limit_kb=1024

if [ "$frames" -le 1000 ]; then
  echo "soak: needs more than 1000 frames" >&2
  exit 2
fi

bash scripts/setup.sh test </dev/null || exit 1
source scripts/lib/display.sh
cmake --preset asan >/dev/null || exit 1
cmake --build --preset asan --target orvane-viewer orvane_assets keep_loaded || exit 1

log=build-asan/soak.log
echo "soak: $frames frames of the viewer under ASan/UBSan/LSan (log: $log)"
start=$(date +%s)
# The asan preset's sanitizer options, and the preload for the viewer only, not Xvfb.
# No quarantine of freed blocks and no returning of free pages to the system:
# with them, the driver's freed per-frame blocks leave the quarantine in
# batches and move the resident size by megabytes at random, which hides the
# growth we look for. Use after free is the asan test suite's part, where the
# quarantine is on.
eval "$(cmake -P scripts/lib/sanitizer-options.cmake)" || exit 1
status=0
with_display 1280x720x24 env \
  ASAN_OPTIONS="$ASAN_OPTIONS:quarantine_size_mb=0:allocator_release_to_os_interval_ms=-1" \
  UBSAN_OPTIONS="$UBSAN_OPTIONS" LSAN_OPTIONS="$LSAN_OPTIONS" \
  LD_PRELOAD=$root/build-asan/keep_loaded.so \
  ORVANE_DATA_DIR=$root/build-asan/data \
  build-asan/apps/viewer/orvane-viewer --frames "$frames" --seed 1 --report-rss \
  </dev/null >"$log" 2>&1 || status=$?
echo "soak: viewer exit code $status after $(($(date +%s) - start)) s"

ok=1
[ "$status" -eq 0 ] || ok=0
if grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:' "$log"; then
  echo "soak: sanitizer report:"
  grep -A30 -E 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:' "$log" | head -60
  ok=0
fi

rss_at() { sed -n "s/^orvane-viewer: frame $1 resident \([0-9]*\) kB$/\1/p" "$log"; }
first=$(rss_at 1000)
last=$(rss_at "$frames")
if [ -z "$first" ] || [ -z "$last" ]; then
  echo "soak: the viewer did not report its resident memory"
  ok=0
else
  diff=$((last - first))
  echo "soak: resident memory at frame 1000: $first kB"
  echo "soak: resident memory at frame $frames: $last kB"
  echo "soak: difference: $diff kB (limit: below $limit_kb kB either way)"
  [ "${diff#-}" -lt "$limit_kb" ] || ok=0
fi

if [ "$ok" -eq 1 ]; then
  echo "soak: passed"
  exit 0
fi
echo "soak: FAILED"
exit 1
