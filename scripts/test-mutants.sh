#!/usr/bin/env bash
# Applies each deliberate fault of tests/mutants.txt alone to a scratch copy of
# the repo, rebuilds it and runs the suite that must catch it. Prints the
# faults that no test caught, the broken entries, a score per file, per suite
# and in all, and the source files that have no fault in the list.
#
#   scripts/test-mutants.sh [--list FILE] [--only TEXT] [--suite SUITE] [--scratch DIR]
#
#   --list FILE    the list of faults (default tests/mutants.txt)
#   --only TEXT    only the faults whose heading contains TEXT
#   --suite SUITE  only the faults of one suite: native, windows or web. Without
#                  it all run in one pass; the windows ones only when wine is
#                  installed (they are reported as skipped otherwise)
#   --scratch DIR  where the copy and its build live (default build-mutants);
#                  kept between runs, so later runs rebuild incrementally
#
# A fault whose "-" text does not occur exactly once in its file is a broken
# entry: reported, and not counted as caught. A fault that breaks the build
# counts as caught and is listed apart. An [equivalent] entry is a change that
# cannot matter, with the reason in its heading: its text is checked, it is
# not run and not scored. Exit code 0 when every fault run is caught.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
list=$root/tests/mutants.txt
only=
suite_wanted=
scratch=$root/build-mutants
while [ $# -gt 0 ]; do
  case $1 in
    --list) list=$(cd "$(dirname "$2")" && pwd)/$(basename "$2"); shift 2 ;;
    --only) only=$2; shift 2 ;;
    --suite) suite_wanted=$2; shift 2 ;;
    --scratch) scratch=$(mkdir -p "$2" && cd "$2" && pwd); shift 2 ;;
    *) echo "usage: $0 [--list FILE] [--only TEXT] [--suite SUITE] [--scratch DIR]" >&2; exit 2 ;;
  esac
done
case $suite_wanted in
  '' | native | windows | web) ;;
  *) echo "$0: --suite is native, windows or web, not $suite_wanted" >&2; exit 2 ;;
esac
exec </dev/null

bash scripts/setup.sh test || exit 1
source scripts/lib/display.sh
source scripts/lib/junit.sh
# The Windows suite runs Orvane.scr and its tests under wine's 64-bit loader,
# which Debian keeps outside the PATH.
have_wine=0
if [ -x /usr/lib/wine/wine64 ] || command -v wine64 >/dev/null 2>&1; then have_wine=1; fi
if [ "$suite_wanted" = windows ] && [ $have_wine -eq 0 ]; then
  echo "$0: --suite windows needs wine64, which is not installed" >&2
  exit 1
fi

copy=$scratch/src
build=$scratch/build
log=$scratch/log
mkdir -p "$copy" "$build" "$log"

# The scratch copy: the working tree as it stands, without builds or history.
# Only files whose content differs are copied, and they get a fresh time (an
# old time could be older than objects built from their earlier content), so
# the build stays incremental and right.
sync_copy() {
  local wanted=$scratch/files.txt present=$scratch/present.txt f
  (cd "$root" && git ls-files -co --exclude-standard | sort) >"$wanted"
  (cd "$copy" && find . -type f | sed 's|^\./||' | sort) >"$present"
  # Files gone from the tree go from the copy too (sources are globbed).
  comm -13 "$wanted" "$present" | (cd "$copy" && xargs -r -d '\n' rm -f)
  while IFS= read -r f; do
    [ -f "$root/$f" ] || continue
    cmp -s "$root/$f" "$copy/$f" && continue
    mkdir -p "$copy/$(dirname "$f")"
    cp "$root/$f" "$copy/$f"
  done <"$wanted"
}

# Restores one file of the copy from the tree. It gets a new time, so the next
# build recompiles it and the fault's objects do not linger.
restore() { cp "$root/$1" "$copy/$1"; }

# build_native: configures once, then rebuilds what changed.
build_native() {
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$copy" --preset default -B "$build" >/dev/null || return 1
  fi
  cmake --build "$build"
}

# run_suite SUITE: 0 when the suite passes (the fault went unnoticed); junit
# names the JUnit file of its ctest run, if any.
run_suite() {
  junit=
  case $1 in
    native)
      junit=$log/native.xml
      rm -f "$junit"
      (cd "$build" && with_display 1280x720x24 \
        ctest -j2 --stop-on-failure --timeout 120 --no-tests=error --output-on-failure --output-junit "$junit")
      ;;
    windows)
      junit=$build/build-win64/test-logs/ctest.xml
      (cd "$copy" && bash scripts/test-windows.sh --first-failure "$build")
      ;;
    web)
      (cd "$copy" && bash scripts/test-web.sh)
      ;;
    *)
      echo "unknown suite [$1]"
      return 2
      ;;
  esac
}

# --- the list ------------------------------------------------------------------
headings=() suites=() files=() minus=() plus=()
parse_list() {
  local line heading="" suite="" file="" m="" p="" have_m=0 have_p=0
  flush() {
    if [ -n "$heading" ]; then
      headings+=("$heading") suites+=("$suite") files+=("$file")
      if [ $have_m -eq 1 ] && [ $have_p -eq 1 ]; then minus+=("$m"); else minus+=(""); fi
      plus+=("$p")
    fi
    heading="" suite="" file="" m="" p="" have_m=0 have_p=0
  }
  while IFS= read -r line || [ -n "$line" ]; do
    case $line in
      '#'*) ;;
      '') flush ;;
      '['*)
        flush
        heading=$line
        suite=${line#[}
        suite=${suite%%]*}
        file=${line#*] }
        file=${file%%:*}
        ;;
      '- '*) m=${line#- }; have_m=1 ;;
      '-') m=""; have_m=1 ;;
      '+ '*) p=${line#+ }; have_p=1 ;;
      '+') p=""; have_p=1 ;;
      *) heading="$heading (stray line: $line)"; have_m=0 ;;
    esac
  done <"$list"
  flush
}
parse_list

echo "mutants: ${#headings[@]} faults in ${list#$root/}; scratch copy in $scratch"
sync_copy
echo "mutants: building the unchanged copy"
if ! build_native >"$log/baseline-build.log" 2>&1; then
  echo "mutants: the unchanged copy does not build (log: $log/baseline-build.log)"
  exit 1
fi

caught=0 total=0
survivors=() broken=() build_breaks=() equivalents=() skipped=()
# Scores per suite and per file, each "caught total".
declare -A suite_score=() file_score=()
scored=0
record() {  # record SUITE FILE HIT(0 or 1)
  scored=$((scored + 1))
  local pair=${suite_score[$1]:-"0 0"}
  suite_score[$1]="$((${pair% *} + $3)) $((${pair#* } + 1))"
  pair=${file_score[$2]:-"0 0"}
  file_score[$2]="$((${pair% *} + $3)) $((${pair#* } + 1))"
}
for i in "${!headings[@]}"; do
  heading=${headings[$i]} suite=${suites[$i]} file=${files[$i]} m=${minus[$i]} p=${plus[$i]}
  [ -n "$only" ] && [[ $heading != *"$only"* ]] && continue
  if [ -n "$suite_wanted" ] && [ "$suite" != "$suite_wanted" ] && [ "$suite" != equivalent ]; then
    continue
  fi
  n=$((i + 1))
  if [ "$suite" = windows ] && [ $have_wine -eq 0 ]; then
    skipped+=("$heading")
    continue
  fi
  [ "$suite" = equivalent ] || total=$((total + 1))
  if [ -z "$m" ] || [ ! -f "$copy/$file" ]; then
    broken+=("$heading (no file, or no \"-\" and \"+\" line)")
    echo "[$n] BROKEN  $heading"
    [ "$suite" = equivalent ] || record "$suite" "$file" 0
    continue
  fi
  # read stops at the end of the file, with status 1.
  IFS= read -r -d '' content <"$copy/$file" || true
  rest=${content//"$m"/}
  count=$(((${#content} - ${#rest}) / ${#m}))
  if [ "$count" -ne 1 ]; then
    broken+=("$heading (\"-\" text found $count times)")
    echo "[$n] BROKEN  $heading: the \"-\" text occurs $count times"
    [ "$suite" = equivalent ] || record "$suite" "$file" 0
    continue
  fi
  if [ "$suite" = equivalent ]; then
    equivalents+=("$heading")
    continue
  fi
  printf '%s' "${content/"$m"/"$p"}" >"$copy/$file"
  start=$(date +%s)
  if ! build_native >"$log/$n-build.log" 2>&1; then
    caught=$((caught + 1))
    build_breaks+=("$heading")
    record "$suite" "$file" 1
    echo "[$n] caught (build breaks)  $heading"
  elif run_suite "$suite" >"$log/$n-$suite.log" 2>&1; then
    survivors+=("$heading")
    record "$suite" "$file" 0
    echo "[$n] NOT CAUGHT  $heading  ($(($(date +%s) - start)) s)"
  else
    caught=$((caught + 1))
    record "$suite" "$file" 1
    first=$(junit_results "$junit" 2>/dev/null | sed -n 's/^failed //p' | head -n1) || true
    echo "[$n] caught  $heading${first:+  (by $first)}  ($(($(date +%s) - start)) s)"
  fi
  restore "$file"
done
# Leave the copy's build matching the tree.
build_native >/dev/null 2>&1 || echo "mutants: the copy no longer builds unchanged"

echo
if [ ${#build_breaks[@]} -gt 0 ]; then
  echo "faults that break the build (counted as caught):"
  printf '  %s\n' "${build_breaks[@]}"
fi
if [ ${#broken[@]} -gt 0 ]; then
  echo "broken entries (not counted as caught):"
  printf '  %s\n' "${broken[@]}"
fi
if [ ${#equivalents[@]} -gt 0 ]; then
  echo "equivalent changes (not run, not scored):"
  printf '  %s\n' "${equivalents[@]}"
fi
if [ ${#skipped[@]} -gt 0 ]; then
  echo "windows faults skipped, no wine64: ${#skipped[@]}"
fi
if [ ${#survivors[@]} -gt 0 ]; then
  echo "faults no test caught:"
  printf '  %s\n' "${survivors[@]}"
fi
if [ $scored -gt 0 ]; then
  echo "score per file:"
  for f in $(printf '%s\n' "${!file_score[@]}" | sort); do
    pair=${file_score[$f]}
    printf '  %-40s %s of %s\n' "$f" "${pair% *}" "${pair#* }"
  done
fi
# Every source file should have faults of its own; those without stand out.
# (Whole list, whatever --only or --suite chose.)
unguarded=$(cd "$root" && git ls-files -co --exclude-standard -- 'src/*.cpp' 'apps/*.cpp' |
  while IFS= read -r f; do
    printf '%s\n' "${files[@]}" | grep -qxF "$f" || echo "$f"
  done)
if [ -n "$unguarded" ]; then
  echo "source files without faults in the list:"
  printf '  %s\n' $unguarded
fi
for s in native windows; do
  [ -n "${suite_score[$s]:-}" ] || continue
  pair=${suite_score[$s]}
  echo "mutants $s: ${pair% *} of ${pair#* } caught"
done
echo "mutants: $caught of $total caught"
[ "$caught" -eq "$total" ]
