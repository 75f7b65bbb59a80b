#!/usr/bin/env bash
# orvane-xscreensaver-setup against real ~/.xscreensaver files: none at all,
# one xscreensaver-settings 6.06 wrote, one that already names orvane, one
# kept by hand; each run twice, then with --remove. The daemon's own reading
# of the result is in scripts/test-xscreensaver.sh.
# Usage: setup_command_test.sh SETUP_COMMAND FILES_DIR
set -uo pipefail
setup=$1
files=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what" >&2; failures=$((failures + 1)); fi
}
run() { HOME=$work/home sh "$setup" "$@" >"$work/out" 2>&1; }
entries() {  # the programs entries that run orvane, one a line
  grep -c '^[ 	]*-\{0,1\}[ 	]*GL:[ 	]*\([^ 	]*/\)\{0,1\}orvane --root' "$1"
}
# The old file plus one line, ours, inside the programs setting (every line
# from "programs:" down to it goes on with a backslash).
only_ours_added() {
  local changes
  changes=$(diff "$1" "$2" | grep '^[<>]')
  [[ $changes == "> "*"GL: orvane --root"* && $changes != *$'\n'* ]] &&
    awk '/^[ \t]*programs[ \t]*:/ { inside = 1 }
         inside && /GL: orvane --root/ { found = 1; exit }
         inside && !/\\$/ { inside = 0 }
         END { exit !found }' "$2"
}

mkdir -p "$work/home"
home_file=$work/home/.xscreensaver

# None: a file with just the list, which xscreensaver fills up with its own.
rm -f "$home_file"
check "no file: it writes one" run
check "no file: the new file is the programs list with orvane alone" \
  test "$(tr -s '\t ' ' ' <"$home_file")" = "$(printf 'programs: \\\n GL: orvane --root \\n')"
cp "$home_file" "$work/first"
check "no file: a second run changes nothing" run
check "no file: ... and says so" grep -q "already names orvane" "$work/out"
check "no file: ... and the file is the same" cmp -s "$home_file" "$work/first"
check "no file: nothing to back up" test ! -e "$home_file.orvane-backup"

# Written by the settings program: our line goes in, nothing else changes,
# and --remove gives the very same bytes back.
for name in written-by-settings hand-made; do
  cp "$files/$name" "$home_file"
  chmod 640 "$home_file"
  check "$name: it adds orvane" run
  check "$name: exactly one orvane entry" test "$(entries "$home_file")" = 1
  check "$name: only that line added" only_ours_added "$files/$name" "$home_file"
  check "$name: the backup is the old file" cmp -s "$home_file.orvane-backup" "$files/$name"
  check "$name: the file keeps its mode" test "$(stat -c %a "$home_file")" = 640
  cp "$home_file" "$work/added"
  check "$name: a second run changes nothing" run
  check "$name: ... and the file is the same" cmp -s "$home_file" "$work/added"
  check "$name: --remove takes it out" run --remove
  check "$name: ... giving the old file back" cmp -s "$home_file" "$files/$name"
  rm -f "$home_file.orvane-backup"
done

# Already naming orvane (here a disabled entry with other options): the
# user's choice stays.
cp "$files/names-orvane" "$home_file"
check "names orvane: runs fine" run
check "names orvane: the file is untouched" cmp -s "$home_file" "$files/names-orvane"
check "names orvane: no backup" test ! -e "$home_file.orvane-backup"

# Failures say why, exit non-zero and lose nothing.
cp "$files/hand-made" "$home_file"
HOME=$work/home sh "$setup" --bogus >/dev/null 2>"$work/err"
check "unknown option: exit code 2" test $? -eq 2
check "unknown option: says which" grep -q -- "unknown option --bogus" "$work/err"
check "unknown option: file untouched" cmp -s "$home_file" "$files/hand-made"
rm -f "$home_file"
mkdir "$home_file"
HOME=$work/home sh "$setup" >/dev/null 2>"$work/err"
check "a folder in the file's place: exit 1" test $? -eq 1
check "a folder in the file's place: one line" grep -q "is not a readable file" "$work/err"
rmdir "$home_file"
if [ "$(id -u)" -ne 0 ]; then
  cp "$files/hand-made" "$home_file"
  chmod 555 "$work/home"
  HOME=$work/home sh "$setup" >/dev/null 2>"$work/err"
  check "a folder it cannot write: exit 1" test $? -eq 1
  check "a folder it cannot write: file untouched" cmp -s "$home_file" "$files/hand-made"
  chmod 755 "$work/home"
fi

echo "setup command: $failures failed"
[ "$failures" -eq 0 ]
