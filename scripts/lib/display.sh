# Private virtual displays for scripts and tests. Source it, then:
#
#   display_start [WxHxD] [Xvfb options...]   starts Xvfb on a number it picks
#                                              itself, exports DISPLAY
#   display_start_monitors N WxH               as root: one X screen of N monitors
#                                              of WxH side by side, exports DISPLAY
#   display_stop                               ends it (also on exit, once set)
#   with_display WxHxD COMMAND...              COMMAND on a display of its own;
#                                              returns COMMAND's status
#
# Xvfb chooses the number (-displayfd), so parallel runs never race for one,
# and it never resets (-noreset): a reset between two clients turns the next
# one away. A script that calls display_start ends the display itself (its
# EXIT trap calls display_stop); with_display does that on its own.
#
# Xvfb has one RandR output per screen, and programs that count monitors by
# output (GTK 3's) see one there whatever xrandr --setmonitor adds: for those,
# display_start_monitors runs the X server with its dummy video driver, one
# output per monitor. It shares the console it finds and never switches it.
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

display_dir=

display_start_monitors() {
  local count=$1 size=$2 width=${2%x*} height=${2#*x} dir i
  [[ $(id -u) -eq 0 ]] || { echo "display: monitors of their own need root" >&2; return 1; }
  dir=$(mktemp -d)
  display_dir=$dir
  cat >"$dir/xorg.conf" <<CONF
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam $((width * height * count * 4 / 1024 + 4096))
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual $((width * count)) $height
  EndSubSection
EndSection
CONF
  Xorg -config "$dir/xorg.conf" -logfile "$dir/xorg.log" -displayfd 3 -nolisten tcp -noreset \
    -sharevts -novtswitch 3>"$dir/display" >/dev/null 2>&1 &
  display_pid=$!
  if ! wait_until 30 grep -q '[0-9]' "$dir/display"; then
    display_stop
    echo "display: the X server with the dummy driver did not start" >&2
    return 1
  fi
  export DISPLAY=:$(head -n 1 "$dir/display")
  for ((i = 0; i < count; i++)); do
    ((i == 0)) || xrandr --addmode "DUMMY$i" "$size" || return 1
    xrandr --output "DUMMY$i" --mode "$size" --pos $((width * i))x0 || return 1
  done
}

display_stop() {
  [[ -n $display_pid ]] || return 0
  # Xvfb's status is the signal's; callers may run under set -e.
  if kill "$display_pid" 2>/dev/null; then wait "$display_pid" 2>/dev/null || true; fi
  display_pid=
  [[ -z $display_dir ]] || rm -rf "$display_dir"
  display_dir=
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
