#!/usr/bin/env bash
# Builds the libFuzzer targets (clang 14, AddressSanitizer and
# UndefinedBehaviorSanitizer, folder build-fuzz) and runs each one for a short
# while from its seed corpus in tests/fuzz/corpus/. Exit code 0 only when no
# target crashes, hangs, leaks or runs out of memory.
#
#   scripts/test-fuzz.sh [SECONDS]     time per target, default 20
#
# New inputs found along the way go to build-fuzz/corpus/<target>/, so the
# seeds in the repo stay as they are; a crashing input is saved as
# build-fuzz/artifacts/<target>/crash-* and named in the output.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-20}

bash scripts/setup.sh test </dev/null || exit 1
source scripts/lib/display.sh

cmake --workflow --preset fuzz || exit 1

targets=(fuzz_ppm_loaders fuzz_settings fuzz_command_line fuzz_parse_decimal)
# The loaders need an OpenGL context: one virtual display for all of them.
needs_display=(fuzz_ppm_loaders)

# run_one TARGET: one short run; libFuzzer's exit code is non-zero on any finding.
run_one() {
  local t=$1
  local out=build-fuzz/corpus/$t artifacts=build-fuzz/artifacts/$t
  mkdir -p "$out" "$artifacts"
  local cmd=("build-fuzz/tests/fuzz/$t" "$out" "tests/fuzz/corpus/$t"
             -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560
             -max_len=8192 -close_fd_mask=3 -print_final_stats=1
             -artifact_prefix="$artifacts/")
  if [[ " ${needs_display[*]} " == *" $t "* ]]; then
    with_display 640x480x24 "${cmd[@]}" </dev/null
  else
    "${cmd[@]}" </dev/null
  fi
}

# The same sanitizer options as the asan preset's test suite.
eval "$(cmake -P "$root/scripts/lib/sanitizer-options.cmake")" || exit 1

failed=()
for t in "${targets[@]}"; do
  echo "== $t (${seconds}s)"
  log=build-fuzz/$t.log
  if run_one "$t" >"$log" 2>&1; then
    { grep -E '^stat::number_of_executed_units|^Done ' "$log" || true; } | tr '\n' ' '
    echo
    echo "== $t: passed"
  else
    tail -n 60 "$log"
    echo "== $t: FAILED (log: $log, inputs: build-fuzz/artifacts/$t/)"
    failed+=("$t")
  fi
done

if [ ${#failed[@]} -eq 0 ]; then
  echo "fuzz: all ${#targets[@]} targets passed"
  exit 0
fi
echo "fuzz: FAILED: ${failed[*]}"
exit 1
