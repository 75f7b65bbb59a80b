#!/usr/bin/env bash
# Builds Orvane.scr for x86_64 and i686 Windows with mingw-w64, then tests the
# 64-bit build under wine on a virtual X display: the host tests (cross-built
# GoogleTest) and the end-to-end tests that drive Orvane.scr itself.
#
#   scripts/test-windows.sh NATIVE_BUILD_DIR
#
# The native build provides the pictures, the tune and the icon (target
# orvane_assets). The cross builds go to NATIVE_BUILD_DIR/build-win64 and
# NATIVE_BUILD_DIR/build-win32; the throw-away wine prefix lives in the first.
# The last line is "windows: N passed, M failed"; the exit status is non-zero
# when anything failed.
set -euo pipefail
exec </dev/null

if [[ $# -ne 1 ]]; then
  echo "usage: $0 NATIVE_BUILD_DIR" >&2
  exit 2
fi
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
native=$(mkdir -p "$1" && cd "$1" && pwd)
win64=$native/build-win64
win32=$native/build-win32
assets=$native/data
logs=$win64/test-logs
started=$(date +%s)

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "PASS  $1"; }
fail() { failed=$((failed + 1)); echo "FAIL  $1"; }
# Runs a step quietly into its log; passes or fails it by its status.
step() {
  local name=$1 log=$2
  shift 2
  if "$@" >"$log" 2>&1; then pass "$name"; else fail "$name (log: $log)"; tail -n 20 "$log" | sed 's/^/      /'; fi
}

export WINEPREFIX=$win64/wineprefix
export WINEDEBUG=-all
export WINEARCH=win64
# wine itself: Debian's launcher wants a 32-bit half this machine need not have.
if [[ -x /usr/lib/wine/wine64 ]]; then wine=/usr/lib/wine/wine64; else wine=$(command -v wine64 || command -v wine); fi
export WINELOADER=$wine
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
xvfb_pid=

finish() {
  if [[ -d $WINEPREFIX ]]; then timeout -k 5 30 "$wineserver" -k >/dev/null 2>&1 || true; fi
  if [[ -n $xvfb_pid ]]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
trap finish EXIT

mkdir -p "$win64" "$win32"
mkdir -p "$logs"

# --- builds --------------------------------------------------------------------
native_assets() {
  if [[ ! -f $native/CMakeCache.txt ]]; then
    cmake -S "$repo" -B "$native" -G Ninja -DORVANE_TESTS=OFF || return 1
  fi
  cmake --build "$native" --target orvane_assets
}
step "native assets" "$logs/assets.log" native_assets
for arch in x86_64:$win64 i686:$win32; do
  triple=${arch%%:*}-w64-mingw32
  dir=${arch#*:}
  step "configure $triple" "$dir/configure.log" \
    cmake -S "$repo" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-$triple.cmake" -DORVANE_ASSET_DIR="$assets"
  step "build $triple" "$dir/build.log" cmake --build "$dir"
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
step "imports x86_64" "$logs/imports64.log" check_imports x86_64-w64-mingw32-objdump "$win64/Orvane.scr"
step "imports i686" "$logs/imports32.log" check_imports i686-w64-mingw32-objdump "$win32/Orvane.scr"
for scr in "$win64/Orvane.scr" "$win32/Orvane.scr"; do
  [[ -f $scr ]] && echo "MEASURE  size of ${scr#"$native"/}: $(stat -c %s "$scr") bytes"
done

if [[ ! -f $win64/host_tests.exe || ! -f $win64/saver_e2e.exe ]]; then
  echo "windows: $passed passed, $((failed + 1)) failed"
  exit 1
fi

# --- virtual display -----------------------------------------------------------
display=
for n in $(seq 90 140); do
  if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then display=$n; break; fi
done
if [[ -z $display ]]; then fail "free X display"; echo "windows: $passed passed, $failed failed"; exit 1; fi
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$logs/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=:$display
for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$display ]] && break; sleep 0.1; done

# --- wine prefix ---------------------------------------------------------------
wine_started=$(date +%s)
prepare_prefix() {
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    # No installer dialogs for components we never use: they would block a headless run.
    WINEDLLOVERRIDES="mscoree,mshtml=" timeout -k 10 300 "$wine" wineboot -i || return 1
    timeout -k 10 120 "$wineserver" -w || return 1
  fi
  # A crash must end the process, not wait for someone to close a dialog.
  timeout -k 10 60 "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f ||
    return 1
  local install="$WINEPREFIX/drive_c/Program Files/Orvane"
  mkdir -p "$install" || return 1
  cp "$assets/supernova.ppm" "$assets/Orvane.ppm" "$assets/music.mid" "$install/" || return 1
  # Leftovers of an interrupted run.
  rm -f "$install"/*.hidden
  timeout -k 10 60 "$wine" reg delete 'HKCU\Software\Wine\AppDefaults\Orvane.scr' /f || true
}
step "wine prefix" "$logs/prefix.log" prepare_prefix

# --- tests under wine ----------------------------------------------------------
# Runs one GoogleTest program under wine and reports every test in it.
run_gtest() {
  local name=$1 seconds=$2 log=$logs/$1.log status=0
  (cd "$win64" && timeout -k 10 "$seconds" "$wine" "./$name.exe" --gtest_color=no) >"$log" 2>&1 || status=$?
  local ok bad
  ok=$(grep -cE '^\[       OK \] ' "$log" || true)
  bad=$(grep -cE '^\[  FAILED  \] .* \([0-9]+ ms\)$' "$log" || true)
  { grep -E '^\[       OK \] ' "$log" || true; } | sed -E "s/^\[       OK \] ([^ ]+).*/PASS  $name: \1/"
  { grep -E '^\[  FAILED  \] .* \([0-9]+ ms\)$' "$log" || true; } |
    sed -E "s/^\[  FAILED  \] ([^ ]+).*/FAIL  $name: \1/"
  grep -E '^\[ MEASURE  \]' "$log" | sed -E 's/^\[ MEASURE  \] /MEASURE  /' || true
  passed=$((passed + ok))
  failed=$((failed + bad))
  if [[ $bad -gt 0 ]]; then
    { grep -E -A4 ': Failure$' "$log" || true; } | sed 's/^/      /' | head -n 60
  fi
  if ! grep -qE '^\[==========\] .* ran\.' "$log"; then
    fail "$name did not finish (status $status, log: $log)"
  elif [[ $status -ne 0 && $bad -eq 0 ]]; then
    fail "$name ended with status $status (log: $log)"
  fi
}
# What the shell sees of the saver's -1.
shell_exit_code() {
  local code=0
  (cd "$win64" && timeout -k 5 60 "$wine" ./Orvane.scr /x) || code=$?
  echo "exit status $code"
  [[ $code -eq 255 ]]
}
step "shell sees 255 for /x" "$logs/shell-exit.log" shell_exit_code

run_gtest host_tests 180
run_gtest saver_e2e 420

echo "MEASURE  wine suite took $(($(date +%s) - wine_started)) s, everything $(($(date +%s) - started)) s"
echo "windows: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
