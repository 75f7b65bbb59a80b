# Waiting for an event with a deadline, never for a fixed time. Source it, then:
#
#   wait_until SECONDS COMMAND...   runs COMMAND every tenth of a second until it
#                                   succeeds (0) or SECONDS have passed (1)
[[ -n ${_orvane_wait_sh:-} ]] && return 0
_orvane_wait_sh=1

wait_until() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}
