#!/usr/bin/env bash
# The saver under Debian's own xscreensaver daemon, on a virtual display of its
# own with two screens (two monitors as X screens): a hand-made ~/.xscreensaver gets orvane from
# orvane-xscreensaver-setup, the daemon is told to select it (each monitor
# must show its own nebula), to deactivate and to exit (no orvane may be
# left, none may have written to the daemon's log, each must have died of
# the daemon's SIGTERM). The daemon refuses to run hacks as root, so as root
# this runs it as an unprivileged user, created if missing.
# Usage: test-xscreensaver.sh [BUILD_DIR]   (default: build, already built);
# test-savers.sh runs these blocks too, beside the other programs'.
# ORVANE_XSS_CAPTURE=FILE.ppm keeps a capture of the screen while the saver runs;
# ORVANE_XSS_LOG=FILE keeps the daemon's log; ORVANE_XSS_SETTINGS_CAPTURE=FILE.ppm
# the screen with the settings program's preview.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/lib/saver-harness.sh

xscreensaver_daemon() {
  need xscreensaver xscreensaver-command
  keep_log=${ORVANE_XSS_LOG:-}
  log=$work/daemon.log
  cp packaging/xscreensaver/orvane-xscreensaver-setup "$work/bin/"
  # A user's own file with a list of their own; the set-up command adds orvane
  # as its third entry.
  cat >"$home/.xscreensaver" <<'CONFIG'
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
  chown -R "$saver_user" "$home"
  # Two monitors: xscreensaver 6.06 counts monitors by RandR outputs and
  # Xinerama heads, and Xvfb has one output (monitors added with xrandr
  # --setmonitor are not looked at) and lays Xinerama heads on top of each
  # other; two X screens it does run one hack on each.
  display_start 1280x720x24 -screen 1 1280x720x24 -ac || fail "Xvfb did not start"
  local user_env=(env -i HOME="$home" DISPLAY="$DISPLAY" PATH="$work/bin:/usr/bin:/bin" ORVANE_DATA_DIR="$work/data")
  "${as_user[@]}" "${user_env[@]}" orvane-xscreensaver-setup >"$work/setup.log" 2>&1 ||
    fail "orvane-xscreensaver-setup: $(cat "$work/setup.log")"
  grep -q '^  GL: orvane --root' "$home/.xscreensaver" || fail "the set-up command added no orvane"

  # xscreensaver runs hacks from /usr/libexec/xscreensaver ahead of $PATH:
  # ours is laid over it (scripts/lib/saver-user.sh).
  view_add /usr/libexec/xscreensaver orvane "$work/bin/orvane" || fail "no view of the hacks' folder"
  if [ "$(id -u)" -ne 0 ] && [ -e /usr/libexec/xscreensaver/orvane ]; then
    fail "the installed /usr/libexec/xscreensaver/orvane would run instead of the one under test (as root this test hides it)"
  fi

  in_view "${as_user[@]}" "${user_env[@]}" xscreensaver --no-splash --verbose >"$log" 2>&1 &
  local daemon_pid=$!
  command_ok() { "${as_user[@]}" "${user_env[@]}" timeout 10 xscreensaver-command "$@" >/dev/null 2>&1; }
  wait_until "$deadline" command_ok -time || fail "the daemon did not answer"

  two_hacks() { [ "$(hack_pids | wc -l)" -eq 2 ]; }
  shows_two_nebulae() { shows_nebula screen0 -root -display "$DISPLAY.0" && shows_nebula screen1 -root -display "$DISPLAY.1"; }

  # The third entry of the list: orvane, as the set-up command put it there.
  command_ok -select 3 || fail "xscreensaver-command -select 3"
  wait_until "$deadline" two_hacks || fail "the daemon did not start one orvane per monitor: $(hack_pids | wc -l) running"
  local start=$(date +%s.%N)
  wait_until "$deadline" shows_two_nebulae ||
    fail "the monitors do not each show the nebula (last look: $nebula_figures)"
  say "a nebula on each of two monitors $(since "$start") s after the two orvane started"
  [ -z "${ORVANE_XSS_CAPTURE:-}" ] || cp "$work/screen0.ppm" "$ORVANE_XSS_CAPTURE"

  # Selecting it again while it runs makes the daemon stop both and start two
  # more: it reaps the old ones while it still watches, and logs how they ended.
  first_pids=$(hack_pids | sort | tr '\n' ' ') || true # none left: fresh_pair says so
  fresh_pair() { two_hacks && [ "$(hack_pids | sort | tr '\n' ' ')" != "$first_pids" ] && ! hack_pids | grep -qw -f <(echo "$first_pids" | tr ' ' '\n' | grep .); }
  command_ok -select 3 || fail "xscreensaver-command -select 3, a second time"
  wait_until "$deadline" fresh_pair || fail "the daemon did not replace the two orvane: $(hack_pids | tr '\n' ' ') (were $first_pids)"
  wait_until "$deadline" grep -q 'killing pid' "$log" || fail "the daemon did not say it stopped orvane"

  command_ok -deactivate || fail "xscreensaver-command -deactivate"
  start=$(date +%s.%N)
  wait_until "$deadline" no_hack_left || fail "orvane still running after -deactivate: $(hack_pids | tr '\n' ' ')"
  say "orvane gone $(since "$start") s after -deactivate"

  command_ok -exit || fail "xscreensaver-command -exit"
  wait_until "$deadline" bash -c "! kill -0 $daemon_pid 2>/dev/null" || fail "the daemon did not exit"
  wait "$daemon_pid" 2>/dev/null || true
  no_hack_left || fail "orvane left behind after -exit"

  # Hacks say nothing unless something is wrong, and die of the SIGTERM that
  # stops them; the daemon names any other end "exited abnormally".
  grep -q 'orvane' "$log" || fail "the daemon's log never names orvane: is --verbose still logging?"
  # The daemon's own lines name their program; its banner is indented.
  foreign() { grep -v -e '^xscreensaver' -e '^[[:space:]]' -e '^$' "$log"; }
  if foreign >/dev/null || grep -q 'abnormally' "$log"; then
    fail "lines in the daemon's log that orvane wrote or caused: $(foreign | head -3; grep 'abnormally' "$log" | head -3)"
  fi
  say "the daemon's log holds $(wc -c <"$log") bytes for one cycle on two monitors, none from orvane"
}

# The settings program, with Orvane picked in a file it wrote itself plus the
# set-up command's entry; it reads the hacks' settings files only from
# /usr/share/xscreensaver/config, where ours is laid.
xscreensaver_settings() {
  need xscreensaver-settings
  log=$work/settings.log
  cp packaging/xscreensaver/orvane-xscreensaver-setup "$work/bin/"
  cp packaging/xscreensaver/orvane.xml "$work/"
  chmod a+r "$work/orvane.xml"
  view_add /usr/libexec/xscreensaver orvane "$work/bin/orvane" || fail "no view of the hacks' folder"
  view_add /usr/share/xscreensaver/config orvane.xml "$work/orvane.xml" || fail "no view of the settings files"
  cp tests/hack/xscreensaver-files/written-by-settings "$home/.xscreensaver"
  chown -R "$saver_user" "$home"
  "${as_user[@]}" env -i HOME="$home" PATH="$work/bin:/usr/bin:/bin" \
    orvane-xscreensaver-setup >/dev/null 2>&1 || fail "orvane-xscreensaver-setup on a file the settings program wrote"
  # Orvane is the last entry; pick it, as choosing it in the list would.
  local entries
  entries=$(awk '/^programs:/ { inside = 1 } inside && /\\n\\?$/ { n++ } inside && !/\\$/ { inside = 0 } END { print n }' \
    "$home/.xscreensaver")
  sed -i "s/^mode:.*/mode:\t\tone/; s/^selected:.*/selected:\t$((entries - 1))/" "$home/.xscreensaver"
  display_start 1280x720x24 -ac || fail "Xvfb did not start"
  in_view "${as_user[@]}" env -i HOME="$home" DISPLAY="$DISPLAY" \
    PATH=/usr/bin:/bin ORVANE_DATA_DIR="$work/data" xscreensaver-settings >"$log" 2>&1 &
  preview_pid() { hack_pids | head -n1; }
  wait_until "$deadline" preview_pid >/dev/null || fail "the settings program started no orvane"
  local pid args wid
  pid=$(preview_pid)
  args=$(command_line "$pid")
  wid=$(echo "$args" | grep -o -- '--window-id 0x[0-9a-fA-F]*' | cut -d' ' -f2) || true
  [ -n "$wid" ] || fail "the preview's orvane was not given a window: $args"
  wait_until "$deadline" shows_nebula preview -id "$wid" ||
    fail "the preview $wid does not show the nebula ($nebula_figures); orvane: $args"
  kill -0 "$pid" 2>/dev/null || fail "the preview's orvane is gone"
  say "the settings program's preview shows the nebula: $args"
  if [ -n "${ORVANE_XSS_SETTINGS_CAPTURE:-}" ]; then
    xwd -root -silent -display "$DISPLAY" | xwdtopnm >"$ORVANE_XSS_SETTINGS_CAPTURE" 2>/dev/null
  fi
}

xscreensaver_blocks() {
  saver_block xscreensaver xscreensaver_daemon
  saver_block --root xscreensaver-settings xscreensaver_settings
}

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
  saver_setup xscreensaver "${1:-build}"
  xscreensaver_blocks
  saver_report
fi
