#!/usr/bin/env bash
# The wine session the Windows tests run in: a virtual X display of its own
# and a throw-away wine prefix in the build tree. ctest calls it.
#
#   wine_session.sh start STATE_DIR LOADER ASSET_DIR   display, prefix and assets; once per run
#   wine_session.sh run STATE_DIR LOADER PROGRAM ARGS  one program in that session (the tests' emulator)
#   wine_session.sh expect-exit CODE STATE_DIR LOADER PROGRAM ARGS
#                                                      passes when the program ends with CODE
#   wine_session.sh stop STATE_DIR                     ends the display and the wine server
set -euo pipefail
exec </dev/null

command=${1:-}
shift || true

source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/wine.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/display.sh"

# Everything wine needs, for a session whose files are in $1 and loader is $2.
session_env() {
  state=$1
  wine_use "$state/wineprefix" "$2"
}

display_alive() {
  [[ -f $state/display && -f $state/xvfb.pid ]] || return 1
  local display pid
  display=$(cat "$state/display") pid=$(cat "$state/xvfb.pid")
  kill -0 "$pid" 2>/dev/null && [[ -e /tmp/.X11-unix/X${display#:} ]]
}

start() {
  session_env "$1" "$2"
  local assets=$3 log=$state/session.log
  mkdir -p "$state"
  : >"$log"
  echo "$WINELOADER" >"$state/loader"
  if ! "$WINELOADER" --version >>"$log" 2>&1; then
    echo "cannot run Windows programs with $WINELOADER on this machine:" >&2
    tail -n 3 "$log" >&2
    if [[ $WINEARCH == win32 ]]; then
      echo "32-bit Windows programs need Debian's wine32 (i386) and a kernel that runs" \
        "32-bit programs; this machine lacks one or both, so the win32 tests cannot run here." >&2
    fi
    return 1
  fi

  if ! display_alive; then
    # The display outlives this script: the session's stop ends it.
    display_start 1024x768x24 >>"$log" 2>&1 || { echo "Xvfb did not start (log: $log)" >&2; return 1; }
    echo "$display_pid" >"$state/xvfb.pid"
    echo "$DISPLAY" >"$state/display"
  fi
  export DISPLAY=$(cat "$state/display")

  # The wine processes go on after this one: their output goes to the log,
  # not to ctest, which would wait for them.
  {
    # One server for the whole run, instead of one per test.
    wine_prefix_ready --persistent || return 1
    # Leftovers of an interrupted run.
    timeout -k 10 60 "$WINELOADER" reg delete 'HKCU\Software\Wine\AppDefaults\Orvane.scr' /f || true
    local install="$WINEPREFIX/drive_c/Program Files/Orvane"
    mkdir -p "$install" && rm -f "$install"/*.hidden &&
      cp "$assets/supernova.ppm" "$assets/Orvane.ppm" "$assets/music.mid" "$install/"
  } >>"$log" 2>&1 </dev/null || { echo "the wine prefix could not be prepared (log: $log)" >&2; return 1; }
  echo "wine session on display $DISPLAY, prefix $WINEPREFIX"
}

# Runs the program, its output kept in a file until it ends: a wine process
# it starts may live on and would hold ctest's pipe open.
run() {
  session_env "$1" "$2"
  shift 2
  if ! display_alive; then
    echo "no wine session in $state: run the test through ctest, whose fixture starts it" >&2
    return 1
  fi
  export DISPLAY=$(cat "$state/display")
  local output status=0
  output=$(mktemp "$state/output.XXXXXX")
  "$WINELOADER" "$@" >"$output" 2>&1 || status=$?
  cat "$output"
  rm -f "$output"
  return "$status"
}

stop() {
  state=$1
  if [[ -f $state/loader ]]; then
    session_env "$state" "$(cat "$state/loader")"
    wine_server_end
  fi
  if [[ -f $state/xvfb.pid ]]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
  fi
  rm -f "$state/display" "$state/xvfb.pid" "$state/loader"
  return 0
}

case $command in
  start) [[ $# -eq 3 ]] && start "$@" ;;
  run) [[ $# -ge 3 ]] && run "$@" ;;
  expect-exit)
    [[ $# -ge 4 ]] || exit 2
    code=$1
    shift
    status=0
    run "$@" || status=$?
    echo "exit status $status"
    [[ $status -eq $code ]]
    ;;
  stop) [[ $# -eq 1 ]] && stop "$@" ;;
  *)
    echo "usage: $0 start|run|expect-exit|stop ..." >&2
    exit 2
    ;;
esac
