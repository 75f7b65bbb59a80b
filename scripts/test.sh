#!/usr/bin/env bash
# Set up, build, and run the whole test suite on a virtual display.
#
#   scripts/test.sh          the whole suite, as CI runs it
#   scripts/test.sh quick    the native build and its tests only (the inner loop)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
mode=${1:-all}
case $mode in
  all | quick) ;;
  *) echo "usage: $0 [quick]" >&2; exit 2 ;;
esac

bash scripts/setup.sh "$([ "$mode" = quick ] && echo quick || echo test)" || exit 1

source scripts/lib/checks.sh
source scripts/lib/display.sh
# count NAME COMMAND...: runs one suite and counts its verdict (exit status 77:
# skipped).
count() {
  echo "== $1"
  check "$@"
}

# The workflow preset configures, builds and runs ctest in a row.
native_tests() {
  CTEST_PARALLEL_LEVEL=$(nproc) with_display 1280x720x24 cmake --workflow --preset default
}

count "native tests" native_tests
if [ "$mode" = quick ]; then
  checks_report suites
  exit
fi
count "screen savers" bash "$root/scripts/test-savers.sh" "$root/build"
count "sanitizer tests" bash "$root/scripts/test-sanitizers.sh"
count "soak" bash "$root/scripts/soak.sh"
count "fuzzing" bash "$root/scripts/test-fuzz.sh" 20
count "windows" bash "$root/scripts/test-windows.sh" "$root/build"
count "web page" bash "$root/scripts/test-web.sh"
count "release" bash "$root/scripts/test-release.sh"

checks_report suites
