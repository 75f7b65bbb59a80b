#!/usr/bin/env bash
# The saver under every real program that runs hacks, one block each after
# one set-up (scripts/lib/saver-harness.sh): xscreensaver's blocks of
# test-xscreensaver.sh, then the others, each run as the unprivileged user on
# a display of its own with two 1024 x 768 monitors (scripts/lib/display.sh:
# GTK 3 counts monitors by RandR output, and Xvfb has one).
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
# finds its pictures where the build would install them. Not as root those
# blocks are skipped. Usage: test-savers.sh [BUILD_DIR]   (default: build,
# already built). The last line is "savers: N passed, M failed[, K skipped]";
# the exit status is 1 on a failure, else 77 when a block was skipped.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/test-xscreensaver.sh

# Our theme, hack and pictures where the programs look (scripts/lib/saver-user.sh).
lay_out_view() {
  [ -d "$prefix/share" ] || fail "no folder $prefix/share, where the build looks for the pictures"
  # The entry as a /usr build installs it: the view lays the hack there.
  sed "s|@ORVANE_FULL_HACK_DIR@|/usr/libexec/xscreensaver|" packaging/xscreensaver/orvane.desktop >"$work/orvane.desktop"
  chmod a+r "$work/orvane.desktop"
  view_add /usr/libexec/xscreensaver orvane "$work/bin/orvane" || fail "no view of the hacks' folder"
  view_add /usr/share/applications/screensavers orvane.desktop "$work/orvane.desktop" || fail "no view of the themes"
  view_add "$prefix/share" orvane "$work/data" || fail "no view of $prefix/share"
  display_start_monitors 2 1024x768 || fail "no display with two monitors"
}

every_hack_shows_nebula() {
  local pid pids_now
  pids_now=$(hack_pids) || return 1
  for pid in $pids_now; do shows_nebula "window-$pid" -id "$(hack_window "$pid")" || return 1; done
}
# One orvane per monitor, and the nebula on each: the left and right halves
# of the screen.
monitor_shows_nebula() {
  xwd -root -silent -display "$DISPLAY" | xwdtopnm 2>/dev/null | pamcut -left "$1" -width 1024 >"$work/monitor$1.ppm" &&
    nebula_shown "$work/monitor$1.ppm"
}
both_monitors() { [ "$(hack_pids | wc -l)" -eq 2 ] && monitor_shows_nebula 0 && monitor_shows_nebula 1024; }

# mate-screensaver, with the settings a user would pick in its preferences.
# No gvfs or accessibility bus: nothing here needs them.
mate_screensaver() {
  need mate-screensaver mate-screensaver-command mate-screensaver-preferences dbus-run-session gsettings Xorg xrandr
  lay_out_view
  local session_env=(env -i HOME="$home" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin LANG=C.UTF-8
                     GIO_USE_VFS=local GIO_USE_VOLUME_MONITOR=unix NO_AT_BRIDGE=1)
  log=$work/mate.log
  in_view "${as_user[@]}" "${session_env[@]}" dbus-run-session -- bash -c '
    gsettings set org.mate.screensaver themes "[\"screensavers-orvane\"]" &&
    gsettings set org.mate.screensaver mode single &&
    gsettings set org.mate.screensaver lock-enabled false &&
    exec mate-screensaver --no-daemon --debug' >"$log" 2>&1 &
  wait_until "$deadline" pgrep -u "$saver_user" -x mate-screensave >/dev/null || fail "mate-screensaver did not start"
  local daemon bus pid start
  daemon=$(pgrep -u "$saver_user" -x mate-screensave)
  bus=$(tr '\0' '\n' <"/proc/$daemon/environ" | grep '^DBUS_SESSION_BUS_ADDRESS=') || fail "mate-screensaver has no session bus"
  session_env+=("$bus")
  mate_command() { "${as_user[@]}" "${session_env[@]}" timeout 10 mate-screensaver-command "$@" >/dev/null 2>&1; }
  wait_until "$deadline" mate_command --query || fail "mate-screensaver does not answer"

  mate_command --activate || fail "mate-screensaver-command --activate"
  start=$(date +%s.%N)
  wait_until "$deadline" both_monitors ||
    fail "mate-screensaver does not show the nebula on each monitor (last look: $nebula_figures); orvane: $(hack_pids | tr '\n' ' ')"
  say "mate-screensaver shows the nebula on each monitor $(since "$start") s after --activate"
  for pid in $(hack_pids); do say "mate-screensaver runs $(command_line "$pid")with $(environment "$pid")"; done

  # Its unlock dialog stops the hack and goes on after: a frame of its own
  # after SIGCONT, and still the nebula.
  for pid in $(hack_pids); do
    kill -STOP "$pid"
    wait_until "$deadline" grep -q '^[^)]*) T' "/proc/$pid/stat" || fail "orvane $pid did not stop"
    shows_nebula stopped -id "$(hack_window "$pid")" || fail "no nebula while orvane $pid stopped ($nebula_figures)"
    kill -CONT "$pid"
    drawing() { shows_nebula resumed -id "$(hack_window "$pid")" && ! cmp -s "$work/stopped.ppm" "$work/resumed.ppm"; }
    wait_until "$deadline" drawing || fail "orvane $pid does not draw after SIGCONT ($nebula_figures)"
  done

  mate_command --deactivate || fail "mate-screensaver-command --deactivate"
  start=$(date +%s.%N)
  wait_until "$deadline" no_hack_left || fail "orvane still running after --deactivate: $(hack_pids | tr '\n' ' ')"
  say "orvane gone $(since "$start") s after --deactivate"
  ! grep -q '^orvane' "$log" || fail "orvane wrote to mate-screensaver's log: $(grep '^orvane' "$log" | head -3)"

  # Its preferences, in the same session: Orvane is the picked theme.
  log=$work/preferences.log
  in_view "${as_user[@]}" "${session_env[@]}" mate-screensaver-preferences >"$log" 2>&1 &
  local preferences=$!
  wait_until "$deadline" hack_pids >/dev/null || fail "mate-screensaver-preferences started no orvane"
  wait_until "$deadline" every_hack_shows_nebula ||
    fail "the preferences' preview does not show the nebula ($nebula_figures)"
  pid=$(hack_pids | head -n1)
  say "mate-screensaver-preferences' $(pamfile -size "$work/window-$pid.ppm" | tr ' ' x) preview shows the nebula: $(command_line "$pid")with $(environment "$pid")"
  stop "$preferences"
  wait_until "$deadline" no_hack_left || fail "orvane left behind after the preferences ended: $(hack_pids | tr '\n' ' ')"

  mate_command --exit || fail "mate-screensaver-command --exit"
}

# xsecurelock, with the line docs/linux.md gives: one saver per monitor, each
# with a decimal $XSCREENSAVER_WINDOW, ended with SIGTERM to its process group.
xsecurelock_block() {
  need xsecurelock Xorg xrandr
  lay_out_view
  log=$work/xsecurelock.log
  in_view "${as_user[@]}" env -i HOME="$home" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin \
    XSECURELOCK_SAVER=/usr/libexec/xscreensaver/orvane xsecurelock >"$log" 2>&1 &
  local locker=$! pid
  wait_until "$deadline" both_monitors ||
    fail "xsecurelock's savers do not show the nebula on each monitor ($nebula_figures; orvane: $(hack_pids | tr '\n' ' '))"
  for pid in $(hack_pids); do say "xsecurelock runs $(command_line "$pid")with $(environment "$pid")"; done
  stop "$locker"
  wait_until "$deadline" no_hack_left || fail "orvane left behind after xsecurelock ended: $(hack_pids | tr '\n' ' ')"
  ! grep -q '^orvane' "$log" || fail "orvane wrote to xsecurelock's output: $(grep '^orvane' "$log" | head -3)"
}

# Xfce's screensaver, which Debian 12 lacks, in a Debian 13 root with HEAD's
# .deb (built once per commit, as the release builds it), sharing this display
# and process table. The other programs stay on Debian 12, the oldest release
# supported: their Debian 13 versions run the same entry and command line,
# and would double the root and this suite's time.
xfce_screensaver() {
  need mmdebstrap dpkg-buildpackage Xorg xrandr
  display_start_monitors 2 1024x768 || fail "no display with two monitors"
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
    echo "$saver_user:x:$(id -u "$saver_user"):$(id -g "$saver_user")::/home/saver:/bin/sh" >>"$root/etc/passwd" &&
    chown "$saver_user" "$root/home/saver" && chroot_run "$root" dpkg -i /tmp/orvane.deb >"$work/dpkg.log" 2>&1 ||
    fail "the .deb does not install in the Debian 13 root: $(tail -3 "$work/dpkg.log")"
  xfce_env=(env -i HOME=/home/saver DISPLAY="$DISPLAY" PATH=/usr/bin:/bin LANG=C.UTF-8
            GIO_USE_VFS=local GIO_USE_VOLUME_MONITOR=unix NO_AT_BRIDGE=1)
  log=$work/xfce.log
  chroot_run "$root" "${as_user[@]}" "${xfce_env[@]}" dbus-run-session -- sh -c '
    xfconf-query -c xfce4-screensaver -p /saver/mode -n -t int -s 2 &&
    xfconf-query -c xfce4-screensaver -p /saver/themes/list -n -a -t string -s screensavers-orvane &&
    xfconf-query -c xfce4-screensaver -p /lock/enabled -n -t bool -s false &&
    exec xfce4-screensaver --debug' >"$log" 2>&1 &
  wait_until "$deadline" pgrep -u "$saver_user" -f '^xfce4-screensaver --debug' >/dev/null || fail "xfce4-screensaver did not start"
  pid=$(pgrep -u "$saver_user" -f '^xfce4-screensaver --debug')
  bus=$(tr '\0' '\n' <"/proc/$pid/environ" | grep '^DBUS_SESSION_BUS_ADDRESS=') || fail "xfce4-screensaver has no session bus"
  xfce_env+=("$bus")
  xfce() { chroot_run "$root" "${as_user[@]}" "${xfce_env[@]}" timeout 10 "$@" >/dev/null 2>&1; }
  wait_until "$deadline" xfce xfce4-screensaver-command --query || fail "xfce4-screensaver does not answer"

  xfce xfce4-screensaver-command --activate || fail "xfce4-screensaver-command --activate"
  # Each orvane in its own window: one per monitor as it counts them.
  wait_until "$deadline" every_hack_shows_nebula ||
    fail "xfce4-screensaver's orvane does not show the nebula ($nebula_figures; orvane: $(hack_pids | tr '\n' ' '))"
  for pid in $(hack_pids); do say "xfce4-screensaver runs $(command_line "$pid")with $(environment "$pid")"; done
  xfce xfce4-screensaver-command --deactivate || fail "xfce4-screensaver-command --deactivate"
  wait_until "$deadline" no_hack_left || fail "orvane still running after Xfce's --deactivate: $(hack_pids | tr '\n' ' ')"
  ! grep -q '^orvane' "$log" || fail "orvane wrote to xfce4-screensaver's log: $(grep '^orvane' "$log" | head -3)"

  chroot_run "$root" "${as_user[@]}" "${xfce_env[@]}" xfce4-screensaver-preferences >"$work/xfce-preferences.log" 2>&1 &
  wait_until "$deadline" every_hack_shows_nebula || fail "Xfce's preferences show no Orvane preview ($nebula_figures)"
  say "xfce4-screensaver-preferences' preview shows the nebula: $(command_line "$(hack_pids | head -n1)")"
  pkill -TERM -u "$saver_user" -f '^xfce4-screensaver-preferences'
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

saver_setup savers "${1:-build}"
xscreensaver_blocks
saver_block --root mate-screensaver mate_screensaver
saver_block --root xsecurelock xsecurelock_block
saver_block --root xfce4-screensaver xfce_screensaver
saver_report
