#!/usr/bin/env bash
# Applies each deliberate fault of tests/mutants.txt alone to a scratch copy of
# the repo, rebuilds it and runs the suite that must catch it. Prints the
# faults that no test caught, the broken entries and a score.
#
#   scripts/test-mutants.sh [--list FILE] [--only TEXT] [--scratch DIR]
#
#   --list FILE    the list of faults (default tests/mutants.txt)
#   --only TEXT    only the faults whose heading contains TEXT
#   --scratch DIR  where the copy and its build live (default build-mutants);
#                  kept between runs, so later runs rebuild incrementally
#
# A fault whose "-" text does not occur exactly once in its file is a broken
# entry: reported, and not counted as caught. A fault that breaks the build
# counts as caught and is listed apart. Exit code 0 when every fault is caught.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
list=$root/tests/mutants.txt
only=
scratch=$root/build-mutants
while [ $# -gt 0 ]; do
  case $1 in
    --list) list=$(cd "$(dirname "$2")" && pwd)/$(basename "$2"); shift 2 ;;
    --only) only=$2; shift 2 ;;
    --scratch) scratch=$(mkdir -p "$2" && cd "$2" && pwd); shift 2 ;;
    *) echo "usage: $0 [--list FILE] [--only TEXT] [--scratch DIR]" >&2; exit 2 ;;
  esac
done
exec </dev/null

bash scripts/setup.sh test || exit 1
source scripts/lib/display.sh

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
    cmake -S "$copy" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || return 1
  fi
  cmake --build "$build"
}

# run_suite SUITE: 0 when the suite passes (the fault went unnoticed).
run_suite() {
  case $1 in
    native)
      (cd "$build" && with_display 1280x720x24 \
        ctest -j2 --stop-on-failure --timeout 120 --no-tests=error --output-on-failure)
      ;;
    windows)
      (cd "$copy" && bash scripts/test-windows.sh "$build")
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
survivors=() broken=() build_breaks=()
for i in "${!headings[@]}"; do
  heading=${headings[$i]} suite=${suites[$i]} file=${files[$i]} m=${minus[$i]} p=${plus[$i]}
  [ -n "$only" ] && [[ $heading != *"$only"* ]] && continue
  total=$((total + 1))
  n=$((i + 1))
  if [ -z "$m" ] || [ ! -f "$copy/$file" ]; then
    broken+=("$heading (no file, or no \"-\" and \"+\" line)")
    echo "[$n] BROKEN  $heading"
    continue
  fi
  # read stops at the end of the file, with status 1.
  IFS= read -r -d '' content <"$copy/$file" || true
  rest=${content//"$m"/}
  count=$(((${#content} - ${#rest}) / ${#m}))
  if [ "$count" -ne 1 ]; then
    broken+=("$heading (\"-\" text found $count times)")
    echo "[$n] BROKEN  $heading: the \"-\" text occurs $count times"
    continue
  fi
  printf '%s' "${content/"$m"/"$p"}" >"$copy/$file"
  start=$(date +%s)
  if ! build_native >"$log/$n-build.log" 2>&1; then
    caught=$((caught + 1))
    build_breaks+=("$heading")
    echo "[$n] caught (build breaks)  $heading"
  elif run_suite "$suite" >"$log/$n-$suite.log" 2>&1; then
    survivors+=("$heading")
    echo "[$n] NOT CAUGHT  $heading  ($(($(date +%s) - start)) s)"
  else
    caught=$((caught + 1))
    first=$(grep -m1 -E 'Test +#[0-9]+: .*(\*\*\*|Failed|Not Run)' "$log/$n-$suite.log" |
      sed 's/.*Test *#[0-9]*: \([^ ]*\).*/\1/') || true
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
if [ ${#survivors[@]} -gt 0 ]; then
  echo "faults no test caught:"
  printf '  %s\n' "${survivors[@]}"
fi
echo "mutants: $caught of $total caught"
[ "$caught" -eq "$total" ]
