# What every test of the saver under a real program that runs hacks shares:
# one set-up, then blocks, each one check. Source it, then:
#
#   saver_setup NAME BUILD         checks the tools and the build, makes the
#                                  work folder with copies the unprivileged
#                                  user can read (the repo may sit where it
#                                  cannot): work/bin/orvane, work/data/ (the
#                                  pictures and the tune), and sets work, build,
#                                  prefix (where the build looks for its data),
#                                  saver_user, as_user; cleans up on exit
#   saver_block [--root] NAME FUNCTION
#                                  runs FUNCTION in a subshell of its own as the
#                                  check NAME (with --root: skipped when not
#                                  root, as the private view needs it). It gets
#                                  home, its own home folder, and a view of its
#                                  own (scripts/lib/saver-user.sh); whatever it
#                                  starts ends with it, and so does a display
#                                  it starts (scripts/lib/display.sh)
#   saver_report                   "NAME: N passed, M failed[, K skipped]"
#
# Inside a block:
#   fail MESSAGE                   ends the block as failed (in place of
#                                  checks.sh's), with the end of $log (the
#                                  program's log, when set)
#   say TEXT                       a line of what was seen, named by the block
#   need TOOL...                   fails the block when a tool is missing
#   keep_log=FILE                  copies $log there when the block ends
#   hack_pids, no_hack_left        the user's running orvane
#   command_line PID, environment PID, hack_window PID
#                                  what the program that started PID gave it
#   window_shows_nebula WINDOW NAME   the nebula in WINDOW (display $DISPLAY),
#                                  captured in work/NAME.ppm (nebula_figures
#                                  says what it saw: scripts/lib/nebula.sh)
#   since START                    seconds since START (date +%s.%N)
#   stop PID                       asks it to end, then insists
#   deadline                       seconds for each thing waited for
[[ -n ${_orvane_saver_harness_sh:-} ]] && return 0
_orvane_saver_harness_sh=1
_saver_lib=$(dirname "${BASH_SOURCE[0]}")
source "$_saver_lib/checks.sh"
source "$_saver_lib/wait.sh"
source "$_saver_lib/nebula.sh"
source "$_saver_lib/display.sh"
source "$_saver_lib/saver-user.sh"

deadline=30 # generous, for a loaded machine
saver_name=
work=

saver_setup() {
  saver_name=$1
  build=$(cd "$2" 2>/dev/null && pwd) || { echo "$saver_name: no build folder $2" >&2; exit 1; }
  local tool
  for tool in Xvfb xwd xwdtopnm pamcut pamfile pgrep setpriv; do
    command -v "$tool" >/dev/null || { echo "$saver_name: $tool is not installed (scripts/setup.sh test installs it)" >&2; exit 1; }
  done
  [ -x "$build/src/linux/orvane" ] && [ -f "$build/data/supernova.ppm" ] ||
    { echo "$saver_name: build $build/src/linux/orvane and its data first" >&2; exit 1; }
  prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
  work=$(mktemp -d "/tmp/orvane-$saver_name-XXXXXX")
  trap 'rm -rf "$work"' EXIT
  trap 'exit 1' INT TERM HUP
  saver_user_init "$work" || { echo "$saver_name: no user to run the programs as" >&2; exit 1; }
  mkdir -p "$work/data" "$work/bin"
  cp "$build/src/linux/orvane" "$work/bin/orvane"
  cp "$build/data/supernova.ppm" "$build/data/Orvane.ppm" "$build/data/music.mid" "$work/data/"
  chmod -R a+rX "$work"
}

saver_block() {
  local root=0 name status=0
  if [ "$1" = --root ]; then root=1; shift; fi
  name=$1
  if ((root)) && [ "$(id -u)" -ne 0 ]; then
    skip "$name" "needs root for the private view of the system folders"
    return 0
  fi
  echo "== $name"
  set +e
  (
    set -euo pipefail
    block=$name home=$work/home-$name log= keep_log=
    view_root=$work/view-$name
    mkdir -p "$home"
    chown "$saver_user" "$home"
    trap _block_end EXIT
    fail() { _block_fail "$@"; }
    "$2"
  )
  status=$?
  set -e
  if [ "$status" -eq 0 ]; then pass "$name"; else fail "$name"; fi
}

_block_end() {
  local pid
  for pid in $(jobs -p); do stop "$pid"; done
  # As root the user is the test's own: whatever its session left (a bus, dconf).
  if [ "$(id -u)" -eq 0 ]; then
    for pid in $(pgrep -u "$saver_user"); do kill -KILL "$pid" 2>/dev/null || true; done
  else
    for pid in $(hack_pids); do kill -KILL "$pid" 2>/dev/null || true; done
  fi
  display_stop
  if [ -n "$keep_log" ] && [ -f "$log" ]; then cp "$log" "$keep_log"; fi
}

saver_report() { checks_report "$saver_name"; }

_block_fail() {
  echo "$block: FAILED: $*" >&2
  [ -n "$log" ] && [ -f "$log" ] && grep -v '^\[' "$log" | tail -20 | sed 's/^/  log: /' >&2
  exit 1
}
say() { echo "$block: $*"; }
need() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/setup.sh test installs it)"
  done
}

hack_pids() { pgrep -u "$saver_user" -x orvane; }
no_hack_left() { ! hack_pids >/dev/null; }
command_line() { tr '\0' ' ' <"/proc/$1/cmdline"; }
environment() { tr '\0' '\n' <"/proc/$1/environ" | sort | tr '\n' ' '; }
hack_window() { tr '\0' '\n' <"/proc/$1/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p'; }
window_shows_nebula() {
  xwd -silent -display "$DISPLAY" -id "$1" 2>/dev/null | xwdtopnm >"$work/$2.ppm" 2>/dev/null &&
    nebula_shown "$work/$2.ppm"
}
since() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }'; }
# The status of a process that ends is its signal's.
stop() {
  kill -TERM "$1" 2>/dev/null || return 0
  wait_until 10 bash -c "! kill -0 $1 2>/dev/null" || kill -KILL "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}
