# Counting checks and reporting them the one way every suite does. Source it, then:
#
#   pass NAME / fail NAME          count one check and print PASS or FAIL with it
#   skip NAME REASON               count one check that cannot run here, and why
#   check NAME COMMAND...          runs COMMAND; passes or fails NAME by its status
#                                  (77, "I cannot run here", skips it)
#   check_quietly NAME LOG COMMAND...
#                                  the same with COMMAND's output in LOG, whose end
#                                  is shown when it fails
#   checks_include NAME COMMAND... runs COMMAND, a suite that ends with its own
#                                  "NAME: N passed, M failed[, K skipped]" line,
#                                  and adds its counts; a suite that ends
#                                  otherwise, or whose exit status disagrees,
#                                  counts one failure more
#   checks_report PREFIX           prints "PREFIX: N passed, M failed" (and ", K
#                                  skipped" when some were) and returns 1 when
#                                  anything failed, else 77 when anything was
#                                  skipped, else 0
#
# With checks_log_dir set to a folder, check keeps each COMMAND's output in
# DIR/NN-NAME.log as check_quietly does, so a long suite's output stays short
# and every check's log can still be read afterwards.
[[ -n ${_orvane_checks_sh:-} ]] && return 0
_orvane_checks_sh=1

checks_passed=0
checks_failed=0
checks_skipped=0
checks_log_dir=

pass() { checks_passed=$((checks_passed + 1)); echo "PASS  $1"; }
fail() { checks_failed=$((checks_failed + 1)); echo "FAIL  $1"; }
skip() { checks_skipped=$((checks_skipped + 1)); echo "SKIP  $1 ($2)"; }

check() {
  local name=$1
  shift
  if [[ -n $checks_log_dir ]]; then
    local number
    printf -v number '%02d' $((checks_passed + checks_failed + checks_skipped + 1))
    check_quietly "$name" "$checks_log_dir/$number-$(tr -c 'A-Za-z0-9\n' '-' <<<"${name:0:40}").log" "$@"
  else
    local status=0
    "$@" || status=$?
    case $status in
      0) pass "$name" ;;
      77) skip "$name" "some or all of it cannot run here, as it says above" ;;
      *) fail "$name" ;;
    esac
  fi
}

check_quietly() {
  local name=$1 log=$2
  shift 2
  mkdir -p "$(dirname "$log")"
  local status=0
  "$@" >"$log" 2>&1 || status=$?
  case $status in
    0) pass "$name" ;;
    77) skip "$name" "$(tail -n 1 "$log")" ;;
    *)
      fail "$name (log: $log)"
      tail -n 20 "$log" | sed 's/^/      /'
      ;;
  esac
}

checks_include() {
  local name=$1 out status=0 report
  shift
  out=$(mktemp)
  "$@" | tee "$out" || status=$?
  report=$(tail -n 1 "$out")
  rm -f "$out"
  if [[ $report =~ ^"$name":\ ([0-9]+)\ passed,\ ([0-9]+)\ failed(,\ ([0-9]+)\ skipped)?$ ]]; then
    local passed=${BASH_REMATCH[1]} failed=${BASH_REMATCH[2]} skipped=${BASH_REMATCH[4]:-0}
    checks_passed=$((checks_passed + passed))
    checks_failed=$((checks_failed + failed))
    checks_skipped=$((checks_skipped + skipped))
    ((status != 77 || skipped == 0)) || status=0
    if (((status == 0) != (failed == 0))); then
      fail "$name exited with status $status after $failed failures"
    fi
  else
    fail "$name ended without its report (exit status $status)"
  fi
}

checks_report() {
  echo "$1: $checks_passed passed, $checks_failed failed$( ((checks_skipped == 0)) || echo ", $checks_skipped skipped")"
  ((checks_failed == 0)) || return 1
  ((checks_skipped == 0)) || return 77
}
