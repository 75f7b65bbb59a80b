#!/usr/bin/env bash
# Builds Orvane.scr for x86_64 and i686 Windows with mingw-w64, then tests the
# 64-bit build under wine through ctest: the host tests (cross-built
# GoogleTest) and the end-to-end tests that drive Orvane.scr itself, on a
# virtual X display that ctest's fixtures start and end.
#
#   scripts/test-windows.sh [--first-failure] NATIVE_BUILD_DIR
#
# --first-failure stops the wine tests at the first that fails (for the
# deliberate-fault runs, where one failure is the answer).
#
# The builds are the presets default, win64 and win32, placed under
# NATIVE_BUILD_DIR. The native build provides the pictures, the tune and the
# icon (target orvane_assets). The cross builds go to
# NATIVE_BUILD_DIR/build-win64 and NATIVE_BUILD_DIR/build-win32; the
# throw-away wine prefix lives in the first (wine-session/). One case runs by
# name with ctest --test-dir DIR -R CASE.
# The last line is "windows: N passed, M failed"; the exit status is non-zero
# when anything failed. ctest's verdicts are in NATIVE_BUILD_DIR/build-win64/
# test-logs/ctest.xml (JUnit), its output beside it in ctest.log.
set -euo pipefail
exec </dev/null

ctest_stop=()
if [[ ${1:-} == --first-failure ]]; then
  ctest_stop=(--stop-on-failure)
  shift
fi
if [[ $# -ne 1 ]]; then
  echo "usage: $0 [--first-failure] NATIVE_BUILD_DIR" >&2
  exit 2
fi
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
native=$(mkdir -p "$1" && cd "$1" && pwd)
win64=$native/build-win64
win32=$native/build-win32
assets=$native/data
logs=$win64/test-logs
started=$(date +%s)

source "$repo/scripts/lib/checks.sh"
source "$repo/scripts/lib/junit.sh"

mkdir -p "$win64" "$win32"
mkdir -p "$logs"
junit=$logs/ctest.xml
rm -f "$junit"
# ctest's own fixture ends the wine session; this covers an interrupted run.
trap 'bash "$repo/cmake/wine_session.sh" stop "$win64/wine-session" >/dev/null 2>&1 || true' EXIT

# --- builds --------------------------------------------------------------------
native_assets() {
  if [[ ! -f $native/CMakeCache.txt ]]; then
    cmake -S "$repo" --preset default -B "$native" || return 1
  fi
  cmake --build "$native" --target orvane_assets
}
check_quietly "native assets" "$logs/assets.log" native_assets
for arch in win64:$win64 win32:$win32; do
  preset=${arch%%:*}
  dir=${arch#*:}
  check_quietly "configure $preset" "$dir/configure.log" \
    cmake -S "$repo" --preset "$preset" -B "$dir" -DORVANE_ASSET_DIR="$assets" -DORVANE_NATIVE_BUILD_DIR="$native"
  check_quietly "build $preset" "$dir/build.log" cmake --build "$dir"
done

# Only the system's own DLLs may be imported, and it must be a GUI program.
check_imports() {
  local objdump=$1 scr=$2 dll
  [[ -f $scr ]] || { echo "no $scr"; return 1; }
  local headers
  headers=$("$objdump" -p "$scr") || return 1
  [[ $headers == *"(Windows GUI)"* ]] || { echo "not a GUI program"; return 1; }
  for dll in $(awk '/DLL Name:/ {print toupper($3)}' <<<"$headers"); do
    echo "imports $dll"
    case $dll in
      OPENGL32.DLL | GLU32.DLL | MSVFW32.DLL | WINMM.DLL | USER32.DLL | GDI32.DLL | KERNEL32.DLL | \
        ADVAPI32.DLL | COMCTL32.DLL | MSVCRT.DLL) ;;
      *) echo "unexpected import $dll"; return 1 ;;
    esac
  done
}
check_quietly "imports x86_64" "$logs/imports64.log" check_imports x86_64-w64-mingw32-objdump "$win64/Orvane.scr"
check_quietly "imports i686" "$logs/imports32.log" check_imports i686-w64-mingw32-objdump "$win32/Orvane.scr"
for scr in "$win64/Orvane.scr" "$win32/Orvane.scr"; do
  [[ -f $scr ]] && echo "MEASURE  size of ${scr#"$native"/}: $(stat -c %s "$scr") bytes"
done

if [[ ! -f $win64/host_tests.exe || ! -f $win64/saver_e2e.exe ]]; then
  fail "the Windows test programs were not built"
  checks_report windows
  exit 1
fi

# --- tests under wine, through ctest -------------------------------------------
# ctest's fixtures start a virtual display and the wine prefix, and end them.
wine_started=$(date +%s)
ctest_log=$logs/ctest.log
ctest --test-dir "$win64" --output-on-failure --no-tests=error --output-junit "$junit" "${ctest_stop[@]}" \
  >"$ctest_log" 2>&1 || true
if results=$(junit_results "$junit"); then
  while read -r verdict name; do
    case $verdict in
      passed) pass "$name" ;;
      skipped) skip "$name" "ctest skipped it" ;;
      *) fail "$name" ;;
    esac
  done <<<"$results"
else
  fail "ctest did not finish (log: $ctest_log)"
fi
if [[ $checks_failed -gt 0 ]]; then
  # Wine's console ends lines with CR LF.
  { tr -d '\r' <"$ctest_log" | grep -E -A4 ': Failure$' || true; } | sed 's/^/      /' | head -n 60
fi
{ tr -d '\r' <"$win64/Testing/Temporary/LastTest.log" | grep -E '^\[ MEASURE  \]' || true; } |
  sed -E 's/^\[ MEASURE  \] /MEASURE  /'

echo "MEASURE  wine suite took $(($(date +%s) - wine_started)) s, everything $(($(date +%s) - started)) s"
checks_report windows
