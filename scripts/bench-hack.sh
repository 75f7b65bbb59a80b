#!/usr/bin/env bash
# Frame rate and processor use of the saver at 1920 x 1080 on the software
# renderer, paced at 60 frames a second (-delay 16666, the frame period) and
# unpaced (-delay 0).
# Prints figures; asserts nothing.
# Usage: bench-hack.sh [BUILD_DIR] [SECONDS] [WIDTHxHEIGHT]   (default build 15 1920x1080)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
seconds=${2:-15}
size=${3:-1920x1080}
hack=$build/src/linux/orvane
[ -x "$hack" ] || { echo "bench-hack: build $hack first" >&2; exit 1; }
export ORVANE_DATA_DIR=${ORVANE_DATA_DIR:-$PWD/$build/data}

source scripts/lib/display.sh
work=$(mktemp -d)
cleanup() {
  display_stop
  rm -rf "$work"
}
trap cleanup EXIT
display_start "${size}x24"

echo "bench-hack: $size on $(nproc) processors, load average $(cut -d' ' -f1-3 /proc/loadavg), ${seconds} s each"
for delay in 16666 0; do
  "$hack" -root -fps -verbose -delay "$delay" --seed 1 >"$work/out" 2>/dev/null &
  pid=$!
  # A measured run, not a test: it simply runs for the time asked.
  sleep "$seconds"
  kill -TERM "$pid"
  wait "$pid" || true
  echo "bench-hack: -delay $delay: $(grep -o '[0-9]* frames in .*' "$work/out" || echo 'no figure')"
done
