# What every test of the saver under a real program that runs hacks shares:
# one set-up, then blocks, each one check. Source it, then:
#
#   saver_setup NAME BUILD   checks the tools and the build; sets build,
#                            prefix (its install prefix), saver_user, as_user
#                            (scripts/lib/saver-user.sh) and work, a folder the
#                            user can read (the repo may sit where it cannot)
#                            with work/bin/orvane and work/data/ (its pictures
#                            and tune), removed on exit
#   saver_block [--root] NAME FUNCTION
#                            the check NAME: FUNCTION in a subshell, with home
#                            (its own, the user's) and a view of its own; what
#                            it starts in the background, a display it starts
#                            and, as root, every process of the user end with
#                            it. --root: skipped when not root (the view needs it)
#   saver_report             "NAME: N passed, M failed[, K skipped]"
#
# Inside a block: fail MESSAGE ends it (with the end of $log, when set);
# say TEXT; need TOOL...; keep_log=FILE gets a copy of $log at the end;
# hack_pids, no_hack_left; command_line, environment, hack_window PID;
# shows_nebula NAME XWD_OPTION... (the capture in work/NAME.ppm, the rule of
# scripts/lib/nebula.sh); since START (a date +%s.%N); stop PID; deadline,
# the seconds for each thing waited for.
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
  saver_name=$1 block=$1 log=
  build=$(cd "$2" 2>/dev/null && pwd) || _block_fail "no build folder $2"
  need Xvfb xwd xwdtopnm pamcut pamfile pgrep setpriv
  [ -x "$build/src/linux/orvane" ] && [ -f "$build/data/supernova.ppm" ] ||
    _block_fail "build $build/src/linux/orvane and its data first"
  prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
  work=$(mktemp -d "/tmp/orvane-$saver_name-XXXXXX")
  trap 'rm -rf "$work"' EXIT
  trap 'exit 1' INT TERM HUP
  saver_user_init "$work" || _block_fail "no user to run the programs as"
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
    block=$name home=$work/home-$name log= keep_log= _block_said=
    view_root=$work/view-$name
    mkdir -p "$home"
    chown "$saver_user" "$home"
    trap _block_end EXIT
    trap 'exit 1' INT TERM HUP
    fail() { _block_fail "$@"; }
    "$2"
  )
  status=$?
  set -e
  if [ "$status" -eq 0 ]; then pass "$name"; else fail "$name"; fi
}

_block_end() {
  local status=$? command=$BASH_COMMAND pid
  ((status == 0)) || [ -n "$_block_said" ] || echo "$block: FAILED: $command (exit status $status)" >&2
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
  _block_said=1
  echo "$block: FAILED: $*" >&2
  [ -n "$log" ] && [ -f "$log" ] && grep -v '^\[' "$log" | tail -20 | sed 's/^/  log: /' >&2
  exit 1
}
say() { echo "$block: $*"; }
need() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || _block_fail "$tool is not installed (scripts/setup.sh test installs it)"
  done
}

hack_pids() { pgrep -u "$saver_user" -x orvane; }
no_hack_left() { ! hack_pids >/dev/null; }
command_line() { tr '\0' ' ' <"/proc/$1/cmdline"; }
environment() { tr '\0' '\n' <"/proc/$1/environ" | sort | tr '\n' ' '; }
hack_window() { tr '\0' '\n' <"/proc/$1/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p'; }
shows_nebula() {
  local name=$1
  shift
  xwd -silent "$@" 2>/dev/null | xwdtopnm >"$work/$name.ppm" 2>/dev/null && nebula_shown "$work/$name.ppm"
}
since() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }'; }
# The status of a process that ends is its signal's.
stop() {
  kill -TERM "$1" 2>/dev/null || return 0
  wait_until 10 bash -c "! kill -0 $1 2>/dev/null" || kill -KILL "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}
