# Counting checks and reporting them the one way every suite does. Source it, then:
#
#   pass NAME / fail NAME          count one check and print PASS or FAIL with it
#   check NAME COMMAND...          runs COMMAND; passes or fails NAME by its status
#   check_quietly NAME LOG COMMAND...
#                                  the same with COMMAND's output in LOG, whose end
#                                  is shown when it fails
#   checks_report PREFIX           prints "PREFIX: N passed, M failed" and returns
#                                  non-zero when anything failed
[[ -n ${_orvane_checks_sh:-} ]] && return 0
_orvane_checks_sh=1

checks_passed=0
checks_failed=0

pass() { checks_passed=$((checks_passed + 1)); echo "PASS  $1"; }
fail() { checks_failed=$((checks_failed + 1)); echo "FAIL  $1"; }

check() {
  local name=$1
  shift
  if "$@"; then pass "$name"; else fail "$name"; fi
}

check_quietly() {
  local name=$1 log=$2
  shift 2
  mkdir -p "$(dirname "$log")"
  if "$@" >"$log" 2>&1; then
    pass "$name"
  else
    fail "$name (log: $log)"
    tail -n 20 "$log" | sed 's/^/      /'
  fi
}

checks_report() {
  echo "$1: $checks_passed passed, $checks_failed failed"
  [[ $checks_failed -eq 0 ]]
}
