# shellcheck shell=bash
# Sourced by the test scripts.
# waits_for SECONDS COMMAND...: polls until the command succeeds; false when
# SECONDS pass first.
waits_for() {
  local limit=$(($(date +%s) + $1))
  shift
  until "$@"; do
    [ "$(date +%s)" -ge "$limit" ] && return 1
    sleep 0.2
  done
}
