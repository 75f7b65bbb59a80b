# Private virtual displays for scripts and tests. Source it, then:
#
#   display_start [WxHxD] [Xvfb options...]   starts Xvfb on a number it picks
#                                              itself, exports DISPLAY
#   display_stop                               ends it (also on exit, once set)
#   with_display WxHxD COMMAND...              COMMAND on a display of its own;
#                                              returns COMMAND's status
#
# Xvfb chooses the number (-displayfd), so parallel runs never race for one,
# and it never resets (-noreset): a reset between two clients turns the next
# one away. A script that calls display_start ends the display itself (its
# EXIT trap calls display_stop); with_display does that on its own.
[[ -n ${_orvane_display_sh:-} ]] && return 0
_orvane_display_sh=1
source "$(dirname "${BASH_SOURCE[0]}")/wait.sh"

display_pid=

display_start() {
  local screen=${1:-1280x720x24}
  shift || true
  local fd_file
  fd_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset "$@" 3>"$fd_file" >/dev/null 2>&1 &
  display_pid=$!
  if ! wait_until 30 grep -q '[0-9]' "$fd_file"; then
    rm -f "$fd_file"
    display_stop
    echo "display: Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=:$(head -n 1 "$fd_file")
  rm -f "$fd_file"
}

display_stop() {
  [[ -n $display_pid ]] || return 0
  # Xvfb's status is the signal's; callers may run under set -e.
  if kill "$display_pid" 2>/dev/null; then wait "$display_pid" 2>/dev/null || true; fi
  display_pid=
  return 0
}

with_display() {
  local screen=$1
  shift
  (
    trap display_stop EXIT
    display_start "$screen" || exit 1
    "$@"
  )
}
