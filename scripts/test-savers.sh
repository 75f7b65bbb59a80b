#!/usr/bin/env bash
# The saver under the other real programs that run hacks, each run as the
# unprivileged user of test-xscreensaver.sh on a display of its own with two
# 1024 x 768 monitors (scripts/lib/display.sh: GTK 3 counts monitors by RandR
# output, and Xvfb has one).
#
# - mate-screensaver, in a session bus of its own (dbus-run-session) with
#   gsettings set there to the single theme screensavers-orvane:
#   --activate must put an orvane on each monitor, each monitor showing the
#   nebula; a SIGSTOP and SIGCONT must leave each drawing; --deactivate must
#   end every orvane, and none may write to its log.
# - mate-screensaver-preferences, Orvane picked: its preview area shows the
#   nebula; no orvane is left when it ends.
# - xsecurelock with the hack as its saver: one orvane per monitor, each
#   monitor shows the nebula, none is left when xsecurelock ends.
# - xfce4-screensaver in a Debian 13 root with HEAD's .deb installed: as
#   mate-screensaver, its preferences' preview, and the tune's theme.
#
# The programs look for themes, hacks and the hack's pictures only in system
# folders, and mate-screensaver hands the hack a cut-down environment: as root
# a private view lays ours there (scripts/lib/saver-user.sh), and the hack
# finds its pictures where the build would install them. Not as root it is
# not run. Usage: test-savers.sh [BUILD_DIR]   (default: build, already built)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" 2>/dev/null && pwd) || { echo "savers test: no build folder ${1:-build}" >&2; exit 1; }
hack=$build/src/linux/orvane
deadline=30 # seconds for each thing we wait for; generous, for a loaded machine

log=
fail() {
  echo "savers test: FAILED: $*" >&2
  [ -n "$log" ] && [ -f "$log" ] && grep -v '^\[' "$log" | tail -20 | sed 's/^/  log: /' >&2
  exit 1
}
if [ "$(id -u)" -ne 0 ]; then
  echo "savers test: needs root for the private view of the system folders; not run"
  exit 0
fi
for tool in mate-screensaver mate-screensaver-command mate-screensaver-preferences dbus-run-session \
  gsettings xsecurelock Xorg xrandr xwd xwdtopnm pamcut pamfile pgrep setpriv unshare mmdebstrap dpkg-buildpackage; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/setup.sh test installs it)"
done
[ -x "$hack" ] && [ -f "$build/data/supernova.ppm" ] || fail "build $hack and its data first"
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
[ -d "$prefix/share" ] || fail "no folder $prefix/share, where the build looks for the pictures"

source scripts/lib/wait.sh
source scripts/lib/nebula.sh
source scripts/lib/display.sh
source scripts/lib/saver-user.sh

work=$(mktemp -d /tmp/orvane-savers-XXXXXX)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  # Whatever the session started as the test's own user (its bus, dconf).
  if [ -n "$saver_user" ]; then
    for pid in $(pgrep -u "$saver_user" 2>/dev/null); do kill -KILL "$pid" 2>/dev/null || true; done
  fi
  display_stop
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
saver_user_init "$work" || fail "no user to run the programs as"
user=$saver_user

mkdir -p "$work/home" "$work/data" "$work/bin"
cp "$hack" "$work/bin/orvane"
cp "$build/data/supernova.ppm" "$build/data/Orvane.ppm" "$build/data/music.mid" "$work/data/"
sed "s|@ORVANE_FULL_HACK_DIR@|/usr/libexec/xscreensaver|" packaging/xscreensaver/orvane.desktop >"$work/orvane.desktop"
chmod -R a+rX "$work"
chown -R "$user" "$work/home"
view_add /usr/libexec/xscreensaver orvane "$work/bin/orvane" || fail "no view of the hacks' folder"
view_add /usr/share/applications/screensavers orvane.desktop "$work/orvane.desktop" || fail "no view of the themes"
view_add "$prefix/share" orvane "$work/data" || fail "no view of $prefix/share"

display_start_monitors 2 1024x768 || fail "no display with two monitors"
display=$DISPLAY

hack_pids() { pgrep -u "$user" -x orvane; }
no_hack_left() { ! hack_pids >/dev/null; }
# What the program that started hack $1 gave it.
command_line() { tr '\0' ' ' <"/proc/$1/cmdline"; }
environment() { tr '\0' '\n' <"/proc/$1/environ" | sort | tr '\n' ' '; }
hack_window() { tr '\0' '\n' <"/proc/$1/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p'; }
# The nebula in window $1 (the rule of scripts/lib/nebula.sh); $2 names the capture.
window_shows_nebula() {
  xwd -silent -display "$display" -id "$1" 2>/dev/null | xwdtopnm >"$work/$2.ppm" 2>/dev/null &&
    nebula_shown "$work/$2.ppm"
}
every_hack_shows_nebula() {
  local pid pids_now
  pids_now=$(hack_pids) || return 1
  for pid in $pids_now; do window_shows_nebula "$(hack_window "$pid")" "window-$pid" || return 1; done
}
# One orvane per monitor, and the nebula on each: the left and right halves
# of the screen.
monitor_shows_nebula() {
  xwd -root -silent -display "$display" | xwdtopnm 2>/dev/null | pamcut -left "$1" -width 1024 >"$work/monitor$1.ppm" &&
    nebula_shown "$work/monitor$1.ppm"
}
both_monitors() { [ "$(hack_pids | wc -l)" -eq 2 ] && monitor_shows_nebula 0 && monitor_shows_nebula 1024; }
since() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }'; }

# mate-screensaver, with the settings a user would pick in its preferences.
# No gvfs or accessibility bus: nothing here needs them.
session_env=(env -i HOME="$work/home" DISPLAY="$display" PATH=/usr/bin:/bin LANG=C.UTF-8
             GIO_USE_VFS=local GIO_USE_VOLUME_MONITOR=unix NO_AT_BRIDGE=1)
log=$work/mate.log
in_view "${as_user[@]}" "${session_env[@]}" dbus-run-session -- bash -c '
  gsettings set org.mate.screensaver themes "[\"screensavers-orvane\"]" &&
  gsettings set org.mate.screensaver mode single &&
  gsettings set org.mate.screensaver lock-enabled false &&
  exec mate-screensaver --no-daemon --debug' >"$log" 2>&1 &
pids+=($!)
wait_until "$deadline" pgrep -u "$user" -x mate-screensave >/dev/null || fail "mate-screensaver did not start"
daemon=$(pgrep -u "$user" -x mate-screensave)
bus=$(tr '\0' '\n' <"/proc/$daemon/environ" | grep '^DBUS_SESSION_BUS_ADDRESS=') || fail "mate-screensaver has no session bus"
session_env+=("$bus")
mate_command() { "${as_user[@]}" "${session_env[@]}" timeout 10 mate-screensaver-command "$@" >/dev/null 2>&1; }
wait_until "$deadline" mate_command --query || fail "mate-screensaver does not answer"

mate_command --activate || fail "mate-screensaver-command --activate"
start=$(date +%s.%N)
wait_until "$deadline" both_monitors ||
  fail "mate-screensaver does not show the nebula on each monitor (last look: $nebula_figures); orvane: $(hack_pids | tr '\n' ' ')"
echo "savers test: mate-screensaver shows the nebula on each monitor $(since "$start") s after --activate"
for pid in $(hack_pids); do echo "savers test: mate-screensaver runs $(command_line "$pid")with $(environment "$pid")"; done

# Its unlock dialog stops the hack and goes on after: a frame of its own
# after SIGCONT, and still the nebula.
for pid in $(hack_pids); do
  kill -STOP "$pid"
  wait_until "$deadline" grep -q '^[^)]*) T' "/proc/$pid/stat" || fail "orvane $pid did not stop"
  window_shows_nebula "$(hack_window "$pid")" stopped || fail "no nebula while orvane $pid stopped ($nebula_figures)"
  kill -CONT "$pid"
  drawing() { window_shows_nebula "$(hack_window "$pid")" resumed && ! cmp -s "$work/stopped.ppm" "$work/resumed.ppm"; }
  wait_until "$deadline" drawing || fail "orvane $pid does not draw after SIGCONT ($nebula_figures)"
done

mate_command --deactivate || fail "mate-screensaver-command --deactivate"
start=$(date +%s.%N)
wait_until "$deadline" no_hack_left || fail "orvane still running after --deactivate: $(hack_pids | tr '\n' ' ')"
echo "savers test: orvane gone $(since "$start") s after --deactivate"
! grep -q '^orvane' "$log" || fail "orvane wrote to mate-screensaver's log: $(grep '^orvane' "$log" | head -3)"

# Its preferences, in the same session: Orvane is the picked theme.
log=$work/preferences.log
in_view "${as_user[@]}" "${session_env[@]}" mate-screensaver-preferences >"$log" 2>&1 &
preferences=$!
pids+=("$preferences")
wait_until "$deadline" hack_pids >/dev/null || fail "mate-screensaver-preferences started no orvane"
wait_until "$deadline" every_hack_shows_nebula ||
  fail "the preferences' preview does not show the nebula ($nebula_figures)"
pid=$(hack_pids | head -n1)
echo "savers test: mate-screensaver-preferences' $(pamfile -size "$work/window-$pid.ppm" | tr ' ' x) preview shows the nebula: $(command_line "$pid")with $(environment "$pid")"
kill -TERM "$preferences"
wait "$preferences" 2>/dev/null || true
wait_until "$deadline" no_hack_left || fail "orvane left behind after the preferences ended: $(hack_pids | tr '\n' ' ')"

mate_command --exit || fail "mate-screensaver-command --exit"

# xsecurelock, with the line docs/linux.md gives: one saver per monitor, each
# with a decimal $XSCREENSAVER_WINDOW, ended with SIGTERM to its process group.
log=$work/xsecurelock.log
in_view "${as_user[@]}" env -i HOME="$work/home" DISPLAY="$display" PATH=/usr/bin:/bin \
  XSECURELOCK_SAVER=/usr/libexec/xscreensaver/orvane xsecurelock >"$log" 2>&1 &
locker=$!
pids+=("$locker")
wait_until "$deadline" both_monitors ||
  fail "xsecurelock's savers do not show the nebula on each monitor ($nebula_figures; orvane: $(hack_pids | tr '\n' ' '))"
for pid in $(hack_pids); do echo "savers test: xsecurelock runs $(command_line "$pid")with $(environment "$pid")"; done
kill -TERM "$locker"
wait "$locker" 2>/dev/null || true
wait_until "$deadline" no_hack_left || fail "orvane left behind after xsecurelock ended: $(hack_pids | tr '\n' ' ')"
! grep -q '^orvane' "$log" || fail "orvane wrote to xsecurelock's output: $(grep '^orvane' "$log" | head -3)"

# Xfce's screensaver, which Debian 12 lacks, in a Debian 13 root with HEAD's
# .deb (built once per commit, as the release builds it), sharing this display
# and process table. The other programs stay on Debian 12, the oldest release
# supported: their Debian 13 versions run the same entry and command line,
# and would double the root and this suite's time.
xfce_screensaver_test() {
  local root=$work/xfce-root tar bus pid xfce_env
  source scripts/lib/chroot.sh
  source scripts/lib/debian-package.sh
  { debian_source_tar "$work/orvane.tar.gz" &&
    debian_packages "$work/orvane.tar.gz" "${ORVANE_RELEASE_BUILD:-build-release}/debian"; } >"$work/deb.log" 2>&1 ||
    fail "HEAD's .deb did not build (log: $work/deb.log)"
  tar=$(chroot_tarball trixie xfce --variant=apt --include=xfce4-screensaver,xfconf,dbus-daemon \
    --customize-hook="chroot \"\$1\" apt-get satisfy -qq -y --no-install-recommends '$(dpkg-deb -f "$debian_deb" Depends)'") ||
    fail "no Debian 13 root"
  # The user, known there too: the session bus asks for its name.
  chroot_unpack "$tar" "$root" && cp "$debian_deb" "$root/tmp/orvane.deb" && mkdir -p "$root/home/saver" &&
    echo "$user:x:$(id -u "$user"):$(id -g "$user")::/home/saver:/bin/sh" >>"$root/etc/passwd" &&
    chown "$user" "$root/home/saver" && chroot_run "$root" dpkg -i /tmp/orvane.deb >"$work/dpkg.log" 2>&1 ||
    fail "the .deb does not install in the Debian 13 root: $(tail -3 "$work/dpkg.log")"
  xfce_env=(env -i HOME=/home/saver DISPLAY="$display" PATH=/usr/bin:/bin LANG=C.UTF-8
            GIO_USE_VFS=local GIO_USE_VOLUME_MONITOR=unix NO_AT_BRIDGE=1)
  log=$work/xfce.log
  chroot_run "$root" "${as_user[@]}" "${xfce_env[@]}" dbus-run-session -- sh -c '
    xfconf-query -c xfce4-screensaver -p /saver/mode -n -t int -s 2 &&
    xfconf-query -c xfce4-screensaver -p /saver/themes/list -n -a -t string -s screensavers-orvane &&
    xfconf-query -c xfce4-screensaver -p /lock/enabled -n -t bool -s false &&
    exec xfce4-screensaver --debug' >"$log" 2>&1 &
  pids+=($!)
  wait_until "$deadline" pgrep -u "$user" -f '^xfce4-screensaver --debug' >/dev/null || fail "xfce4-screensaver did not start"
  pid=$(pgrep -u "$user" -f '^xfce4-screensaver --debug')
  bus=$(tr '\0' '\n' <"/proc/$pid/environ" | grep '^DBUS_SESSION_BUS_ADDRESS=') || fail "xfce4-screensaver has no session bus"
  xfce_env+=("$bus")
  xfce() { chroot_run "$root" "${as_user[@]}" "${xfce_env[@]}" timeout 10 "$@" >/dev/null 2>&1; }
  wait_until "$deadline" xfce xfce4-screensaver-command --query || fail "xfce4-screensaver does not answer"

  xfce xfce4-screensaver-command --activate || fail "xfce4-screensaver-command --activate"
  # Each orvane in its own window: one per monitor as it counts them.
  wait_until "$deadline" every_hack_shows_nebula ||
    fail "xfce4-screensaver's orvane does not show the nebula ($nebula_figures; orvane: $(hack_pids | tr '\n' ' '))"
  for pid in $(hack_pids); do echo "savers test: xfce4-screensaver runs $(command_line "$pid")with $(environment "$pid")"; done
  xfce xfce4-screensaver-command --deactivate || fail "xfce4-screensaver-command --deactivate"
  wait_until "$deadline" no_hack_left || fail "orvane still running after Xfce's --deactivate: $(hack_pids | tr '\n' ' ')"
  ! grep -q '^orvane' "$log" || fail "orvane wrote to xfce4-screensaver's log: $(grep '^orvane' "$log" | head -3)"

  chroot_run "$root" "${as_user[@]}" "${xfce_env[@]}" xfce4-screensaver-preferences >"$work/xfce-preferences.log" 2>&1 &
  pids+=($!)
  wait_until "$deadline" every_hack_shows_nebula || fail "Xfce's preferences show no Orvane preview ($nebula_figures)"
  echo "savers test: xfce4-screensaver-preferences' preview shows the nebula: $(command_line "$(hack_pids | head -n1)")"
  pkill -TERM -u "$user" -f '^xfce4-screensaver-preferences'
  wait_until "$deadline" no_hack_left || fail "orvane left behind after Xfce's preferences ended"

  # The tune's own theme: the same hack, with --music.
  xfce xfconf-query -c xfce4-screensaver -p /saver/themes/list -a -t string -s screensavers-orvane-music &&
    xfce xfce4-screensaver-command --activate || fail "xfce4-screensaver-command --activate with the tune's theme"
  wait_until "$deadline" hack_pids >/dev/null || fail "the tune's theme started no orvane"
  for pid in $(hack_pids); do [ "$(command_line "$pid")" = "/usr/libexec/xscreensaver/orvane --root --music " ] ||
    fail "the tune's theme runs $(command_line "$pid")"; done
  xfce xfce4-screensaver-command --deactivate && wait_until "$deadline" no_hack_left ||
    fail "orvane still running after Xfce's --deactivate of the tune's theme"
  xfce xfce4-screensaver-command --exit || true
}
xfce_screensaver_test
echo "savers test: passed"
