#!/usr/bin/env bash
# The saver under Debian's own xscreensaver daemon, on a virtual display of its
# own with two screens (two monitors as X screens): a hand-made ~/.xscreensaver gets orvane from
# orvane-xscreensaver-setup, the daemon is told to select it (each monitor
# must show its own nebula), to deactivate and to exit (no orvane may be
# left, none may have written to the daemon's log, each must have died of
# the daemon's SIGTERM). The daemon refuses to run hacks as root, so as root
# this runs it as an unprivileged user, created if missing.
# Usage: test-xscreensaver.sh [BUILD_DIR]   (default: build, already built)
# ORVANE_XSS_CAPTURE=FILE.ppm keeps a capture of the screen while the saver runs;
# ORVANE_XSS_LOG=FILE keeps the daemon's log; ORVANE_XSS_SETTINGS_CAPTURE=FILE.ppm
# the screen with the settings program's preview.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" 2>/dev/null && pwd) || { echo "xscreensaver test: no build folder ${1:-build}" >&2; exit 1; }
hack=$build/src/linux/orvane
deadline=30  # seconds for each thing we wait for; generous, for a loaded machine

fail() {
  echo "xscreensaver test: FAILED: $*" >&2
  [ -n "${ORVANE_XSS_LOG:-}" ] && [ -f "${work:-}/daemon.log" ] && cp "$work/daemon.log" "$ORVANE_XSS_LOG"
  [ -n "${work:-}" ] && [ -f "$work/daemon.log" ] && sed 's/^/  daemon: /' "$work/daemon.log" | tail -20 >&2
  exit 1
}
for tool in xscreensaver xscreensaver-command Xvfb xwd xwdtopnm pamcut pamfile pgrep setpriv; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/setup.sh test installs it)"
done
[ -x "$hack" ] && [ -f "$build/data/supernova.ppm" ] || fail "build $hack and its data first"

source scripts/lib/wait.sh
source scripts/lib/nebula.sh
source scripts/lib/display.sh
source scripts/lib/saver-user.sh

work=$(mktemp -d /tmp/orvane-xscreensaver-XXXXXX)
saver_user_init "$work" || fail "no user to run the daemon as"
user=$saver_user
daemon_pid=
# stop PID: asks it to end, then insists; the daemon reaps its own hacks if it can.
stop() {
  kill -TERM "$1" 2>/dev/null || return 0
  wait_until 10 bash -c "! kill -0 $1 2>/dev/null" || kill -KILL "$1" 2>/dev/null || true
  # Its status is the signal's.
  wait "$1" 2>/dev/null || true
}
settings_pid=
cleanup() {
  local pid
  [ -n "$daemon_pid" ] && stop "$daemon_pid"
  [ -n "$settings_pid" ] && stop "$settings_pid"
  for pid in $(pgrep -u "$user" -x orvane 2>/dev/null); do kill -KILL "$pid" 2>/dev/null || true; done
  display_stop
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# The repo may sit in a folder that user cannot enter: give it copies.
mkdir -p "$work/home" "$work/data" "$work/bin"
cp "$hack" "$work/bin/orvane"
cp packaging/xscreensaver/orvane-xscreensaver-setup "$work/bin/"
cp "$build/data/supernova.ppm" "$build/data/Orvane.ppm" "$build/data/music.mid" "$work/data/"
# A user's own file with a list of their own; the set-up command adds orvane
# as its third entry.
cat >"$work/home/.xscreensaver" <<'CONFIG'
timeout:	1:00:00
cycle:		0:00:00
lock:		False
fade:		False
unfade:		False
splash:		False
dpmsEnabled:	False
mode:		one
selected:	0
programs:	\
		maze --root		\n\
  - GL:		superquadrics --root	\n\

CONFIG
chmod -R a+rX "$work"
chown -R "$user" "$work/home"
# Two monitors: xscreensaver 6.06 counts monitors by RandR outputs and
# Xinerama heads, and Xvfb has one output (monitors added with xrandr
# --setmonitor are not looked at) and lays Xinerama heads on top of each
# other; two X screens it does run one hack on each.
display_start 1280x720x24 -screen 1 1280x720x24 -ac || fail "Xvfb did not start"
display=$DISPLAY

user_env=(env -i HOME="$work/home" DISPLAY="$display" PATH="$work/bin:/usr/bin:/bin"
          ORVANE_DATA_DIR="$work/data")
"${as_user[@]}" "${user_env[@]}" orvane-xscreensaver-setup >"$work/setup.log" 2>&1 ||
  fail "orvane-xscreensaver-setup: $(cat "$work/setup.log")"
grep -q '^  GL: orvane --root' "$work/home/.xscreensaver" || fail "the set-up command added no orvane"

# xscreensaver runs hacks from /usr/libexec/xscreensaver ahead of $PATH, and
# its settings program reads their settings files only from
# /usr/share/xscreensaver/config: ours are laid over both (scripts/lib/saver-user.sh).
cp packaging/xscreensaver/orvane.xml "$work/"
chmod a+r "$work/orvane.xml"
view_add /usr/libexec/xscreensaver orvane "$work/bin/orvane" || fail "no view of the hacks' folder"
view_add /usr/share/xscreensaver/config orvane.xml "$work/orvane.xml" || fail "no view of the settings files"
if [ "$(id -u)" -ne 0 ] && [ -e /usr/libexec/xscreensaver/orvane ]; then
  fail "the installed /usr/libexec/xscreensaver/orvane would run instead of the one under test (as root this test hides it)"
fi

in_view "${as_user[@]}" "${user_env[@]}" xscreensaver --no-splash --verbose >"$work/daemon.log" 2>&1 &
daemon_pid=$!
command_ok() { "${as_user[@]}" "${user_env[@]}" timeout 10 xscreensaver-command "$@" >/dev/null 2>&1; }
wait_until "$deadline" command_ok -time || fail "the daemon did not answer"

hack_pids() { pgrep -u "$user" -x orvane; }
no_hack_left() { ! hack_pids >/dev/null; }
two_hacks() { [ "$(hack_pids | wc -l)" -eq 2 ]; }

# The nebula on screen $1 (the rule of scripts/lib/nebula.sh).
shows_nebula() {
  xwd -root -silent -display "$display.$1" | xwdtopnm >"$work/screen$1.ppm" 2>/dev/null &&
    nebula_shown "$work/screen$1.ppm"
}
shows_two_nebulae() { shows_nebula 0 && shows_nebula 1; }

# The third entry of the list: orvane, as the set-up command put it there.
command_ok -select 3 || fail "xscreensaver-command -select 3"
wait_until "$deadline" two_hacks || fail "the daemon did not start one orvane per monitor: $(hack_pids | wc -l) running"
start=$(date +%s.%N)
wait_until "$deadline" shows_two_nebulae ||
  fail "the monitors do not each show the nebula (last look: $nebula_figures)"
echo "xscreensaver test: a nebula on each of two monitors $(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }') s after the two orvane started"
# ORVANE_XSS_CAPTURE=FILE.ppm keeps the screen as the daemon showed it.
if [ -n "${ORVANE_XSS_CAPTURE:-}" ]; then
  xwd -root -silent -display "$display.0" | xwdtopnm >"$ORVANE_XSS_CAPTURE" 2>/dev/null
fi

# Selecting it again while it runs makes the daemon stop both and start two
# more: it reaps the old ones while it still watches, and logs how they ended.
first_pids=$(hack_pids | sort | tr '\n' ' ') || true # none left: fresh_pair says so
fresh_pair() { two_hacks && [ "$(hack_pids | sort | tr '\n' ' ')" != "$first_pids" ] && ! hack_pids | grep -qw -f <(echo "$first_pids" | tr ' ' '\n' | grep .); }
command_ok -select 3 || fail "xscreensaver-command -select 3, a second time"
wait_until "$deadline" fresh_pair || fail "the daemon did not replace the two orvane: $(hack_pids | tr '\n' ' ') (were $first_pids)"
wait_until "$deadline" grep -q 'killing pid' "$work/daemon.log" || fail "the daemon did not say it stopped orvane"

command_ok -deactivate || fail "xscreensaver-command -deactivate"
start=$(date +%s.%N)
wait_until "$deadline" no_hack_left || fail "orvane still running after -deactivate: $(hack_pids | tr '\n' ' ')"
echo "xscreensaver test: orvane gone $(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }') s after -deactivate"

command_ok -exit || fail "xscreensaver-command -exit"
wait_until "$deadline" bash -c "! kill -0 $daemon_pid 2>/dev/null" || fail "the daemon did not exit"
wait "$daemon_pid" 2>/dev/null || true
daemon_pid=
no_hack_left || fail "orvane left behind after -exit"

# Hacks say nothing unless something is wrong, and die of the SIGTERM that
# stops them; the daemon names any other end "exited abnormally".
grep -q 'orvane' "$work/daemon.log" || fail "the daemon's log never names orvane: is --verbose still logging?"
# The daemon's own lines name their program; its banner is indented.
foreign() { grep -v -e '^xscreensaver' -e '^[[:space:]]' -e '^$' "$work/daemon.log"; }
if foreign >/dev/null || grep -q 'abnormally' "$work/daemon.log"; then
  fail "lines in the daemon's log that orvane wrote or caused: $(foreign | head -3; grep 'abnormally' "$work/daemon.log" | head -3)"
fi

[ -n "${ORVANE_XSS_LOG:-}" ] && cp "$work/daemon.log" "$ORVANE_XSS_LOG"
echo "xscreensaver test: the daemon's log holds $(wc -c <"$work/daemon.log") bytes for one cycle on two monitors, none from orvane"

# The settings program, with Orvane picked in a file it wrote itself plus the
# set-up command's entry, and our settings file laid where it looks (above).
if [ "$(id -u)" -ne 0 ]; then
  echo "xscreensaver test: the settings program's preview needs root for its mount namespace; not run"
  echo "xscreensaver test: passed"
  exit 0
fi
command -v xscreensaver-settings >/dev/null ||
  fail "xscreensaver-settings is not installed (scripts/setup.sh test installs it)"
mkdir -p "$work/settings-home"
cp tests/hack/xscreensaver-files/written-by-settings "$work/settings-home/.xscreensaver"
chown -R "$user" "$work/settings-home"
"${as_user[@]}" env -i HOME="$work/settings-home" PATH="$work/bin:/usr/bin:/bin" \
  orvane-xscreensaver-setup >/dev/null 2>&1 || fail "orvane-xscreensaver-setup on a file the settings program wrote"
# Orvane is the last entry; pick it, as choosing it in the list would.
entries=$(awk '/^programs:/ { inside = 1 } inside && /\\n\\?$/ { n++ } inside && !/\\$/ { inside = 0 } END { print n }' \
  "$work/settings-home/.xscreensaver")
sed -i "s/^mode:.*/mode:\t\tone/; s/^selected:.*/selected:\t$((entries - 1))/" "$work/settings-home/.xscreensaver"
in_view "${as_user[@]}" env -i HOME="$work/settings-home" DISPLAY="$display.0" \
  PATH=/usr/bin:/bin ORVANE_DATA_DIR="$work/data" xscreensaver-settings >"$work/settings.log" 2>&1 &
settings_pid=$!
preview_pid() { pgrep -u "$user" -x orvane | head -n1; }
wait_until "$deadline" preview_pid >/dev/null || fail "the settings program started no orvane: $(cat "$work/settings.log")"
pid=$(preview_pid)
args=$(tr '\0' ' ' <"/proc/$pid/cmdline")
wid=$(echo "$args" | grep -o -- '--window-id 0x[0-9a-fA-F]*' | cut -d' ' -f2) || true
[ -n "$wid" ] || fail "the preview's orvane was not given a window: $args"
preview_shows_nebula() {
  xwd -silent -display "$display.0" -id "$wid" 2>/dev/null | xwdtopnm >"$work/preview.ppm" 2>/dev/null &&
    nebula_shown "$work/preview.ppm"
}
wait_until "$deadline" preview_shows_nebula ||
  fail "the preview $wid does not show the nebula ($nebula_figures); orvane: $args"
kill -0 "$pid" 2>/dev/null || fail "the preview's orvane is gone"
echo "xscreensaver test: the settings program's preview shows the nebula: $args"
if [ -n "${ORVANE_XSS_SETTINGS_CAPTURE:-}" ]; then
  xwd -root -silent -display "$display.0" | xwdtopnm >"$ORVANE_XSS_SETTINGS_CAPTURE" 2>/dev/null
fi
stop "$settings_pid"
settings_pid=
echo "xscreensaver test: passed"
