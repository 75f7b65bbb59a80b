#!/usr/bin/env bash
# The saver under Debian's own xscreensaver daemon, on a virtual display of its
# own: configured to run only orvane, the daemon is told to activate (the
# screen must show the nebula), to deactivate and to exit (no orvane may be
# left). The daemon refuses to run hacks as root, so as root this runs it as
# an unprivileged user, created if missing.
# Usage: test-xscreensaver.sh [BUILD_DIR]   (default: build, already built)
# ORVANE_XSS_CAPTURE=FILE.ppm keeps a capture of the screen while the saver runs.
set -uo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" 2>/dev/null && pwd) || { echo "xscreensaver test: no build folder ${1:-build}" >&2; exit 1; }
hack=$build/src/linux/orvane
deadline=30  # seconds for each thing we wait for; generous, for a loaded machine

fail() {
  echo "xscreensaver test: FAILED: $*" >&2
  [ -n "${work:-}" ] && [ -f "$work/daemon.log" ] && sed 's/^/  daemon: /' "$work/daemon.log" | tail -20 >&2
  exit 1
}
for tool in xscreensaver xscreensaver-command Xvfb xwd xwdtopnm pamcut pamthreshold pamsumm pgrep setpriv; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/setup.sh test installs it)"
done
[ -x "$hack" ] && [ -f "$build/data/supernova.ppm" ] || fail "build $hack and its data first"

# waits_for SECONDS COMMAND...: polls until the command succeeds.
waits_for() {
  local limit=$(($(date +%s) + $1))
  shift
  until "$@"; do
    [ "$(date +%s)" -ge "$limit" ] && return 1
    sleep 0.2
  done
}

if [ "$(id -u)" -eq 0 ]; then
  user=orvane-saver-test
  id -u "$user" >/dev/null 2>&1 ||
    useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user" ||
    fail "cannot create the user $user"
  as_user=(setpriv --reuid="$(id -u "$user")" --regid="$(id -g "$user")" --clear-groups)
else
  user=$(id -un)
  as_user=()
fi

work=$(mktemp -d /tmp/orvane-xscreensaver-XXXXXX)
xvfb_pid=
daemon_pid=
# stop PID: asks it to end, then insists; the daemon reaps its own hacks if it can.
stop() {
  kill -TERM "$1" 2>/dev/null || return 0
  waits_for 10 bash -c "! kill -0 $1 2>/dev/null" || kill -KILL "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}
cleanup() {
  local pid
  [ -n "$daemon_pid" ] && stop "$daemon_pid"
  for pid in $(pgrep -u "$user" -f "^$work/orvane" 2>/dev/null); do kill -KILL "$pid" 2>/dev/null; done
  [ -n "$xvfb_pid" ] && stop "$xvfb_pid"
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# The repo may sit in a folder that user cannot enter: give it copies.
mkdir -p "$work/home" "$work/data"
cp "$hack" "$work/orvane"
cp "$build/data/supernova.ppm" "$build/data/Orvane.ppm" "$build/data/music.mid" "$work/data/"
cat >"$work/home/.xscreensaver" <<CONFIG
timeout:	1:00:00
cycle:		0:00:00
lock:		False
fade:		False
unfade:		False
splash:		False
dpmsEnabled:	False
mode:		one
selected:	0
programs:	GL: $work/orvane --root --seed 1 \n
CONFIG
chmod 755 "$work" "$work/data"
chown -R "$user" "$work/home"

: >"$work/display"
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp -ac 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
waits_for "$deadline" grep -q '[0-9]' "$work/display" || fail "Xvfb did not start"
display=:$(head -n1 "$work/display")

user_env=(env -i HOME="$work/home" DISPLAY="$display" PATH=/usr/bin:/bin
          ORVANE_DATA_DIR="$work/data")
"${as_user[@]}" "${user_env[@]}" xscreensaver --no-splash --verbose >"$work/daemon.log" 2>&1 &
daemon_pid=$!
command_ok() { "${as_user[@]}" "${user_env[@]}" timeout 10 xscreensaver-command "$@" >/dev/null 2>&1; }
waits_for "$deadline" command_ok -time || fail "the daemon did not answer"

hack_pids() { pgrep -u "$user" -f "^$work/orvane"; }
no_hack_left() { ! hack_pids >/dev/null; }

# Fraction of lit pixels in a box of the screen (fractions of 1280 x 720).
lit() {
  xwd -root -silent -display "$display" | xwdtopnm 2>/dev/null |
    pamcut -left "$1" -top "$2" -width "$3" -height "$4" |
    pamthreshold -simple -threshold 0.31 2>/dev/null | pamsumm -mean -brief 2>/dev/null
}
above() { awk -v v="$1" -v t="$2" 'BEGIN { exit !(v != "" && v + 0 > t + 0) }'; }
shows_nebula() {
  above "$(lit 896 497 192 58)" 0.01 && above "$(lit 512 252 256 216)" 0.05
}

command_ok -activate || fail "xscreensaver-command -activate"
waits_for "$deadline" hack_pids >/dev/null || fail "the daemon did not start orvane"
start=$(date +%s.%N)
waits_for "$deadline" shows_nebula || fail "the screen does not show the nebula (title $(lit 896 497 192 58), cloud $(lit 512 252 256 216))"
echo "xscreensaver test: nebula on screen $(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }') s after orvane started (title lit $(lit 896 497 192 58), cloud lit $(lit 512 252 256 216))"
# ORVANE_XSS_CAPTURE=FILE.ppm keeps the screen as the daemon showed it.
if [ -n "${ORVANE_XSS_CAPTURE:-}" ]; then
  xwd -root -silent -display "$display" | xwdtopnm >"$ORVANE_XSS_CAPTURE" 2>/dev/null
fi

command_ok -deactivate || fail "xscreensaver-command -deactivate"
start=$(date +%s.%N)
waits_for "$deadline" no_hack_left || fail "orvane still running after -deactivate: $(hack_pids | tr '\n' ' ')"
echo "xscreensaver test: orvane gone $(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }') s after -deactivate"

command_ok -exit || fail "xscreensaver-command -exit"
waits_for "$deadline" bash -c "! kill -0 $daemon_pid 2>/dev/null" || fail "the daemon did not exit"
wait "$daemon_pid" 2>/dev/null
daemon_pid=
no_hack_left || fail "orvane left behind after -exit"
echo "xscreensaver test: passed"
