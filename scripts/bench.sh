#!/usr/bin/env bash
# Orvane's figures: builds tests/bench/ in Release (folder build-bench) and
# prints one Google Benchmark table, measured on Mesa's llvmpipe on a
# virtual display. Numbers are printed, never judged; the exit code says only
# whether every benchmark ran (non-zero when one could not).
#
#   scripts/bench.sh [benchmark options]    e.g. --benchmark_filter=Frame
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh test </dev/null || exit 1
source scripts/lib/display.sh
cmake --workflow --preset bench || exit 1

log=build-bench/bench.txt
# 1920 x 1080 frames and captures need a screen at least that large.
# The table comes on the standard error; the code's own debug lines, some
# printed before main, on the standard output, which is dropped.
status=0
with_display 1920x1200x24 build-bench/tests/bench/orvane_bench "$@" </dev/null 2>&1 >/dev/null |
  tee "$log" || status=$?
# A filter that matches nothing runs nothing, yet the program exits 0.
if grep -q "Failed to match any benchmarks" "$log"; then
  echo "bench: FAILED (no benchmark matches the filter)"
  exit 1
fi
if [ "$status" -ne 0 ] || grep -q "ERROR OCCURRED" "$log"; then
  echo "bench: FAILED (a benchmark could not run; see above)"
  exit 1
fi
echo "bench: done (table also in $log)"
