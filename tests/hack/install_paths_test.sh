#!/usr/bin/env bash
# A packager's paths: built with another hack folder and sound font and
# installed into a staging folder, the hack is in that folder, every path of
# either kind that an installed file names is installed (or is the sound
# font), and no file names a default or keeps a placeholder.
# Usage: install_paths_test.sh SOURCE_DIR WORK_DIR
set -u
src=$1 work=$2 hack_dir=/usr/lib/xscreensaver font=/opt/gm/test-font.sf2
stage=$work/stage
rm -rf "$stage"
# The programs only, unoptimised: their paths are what is looked at here.
{ cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=None -DORVANE_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr \
    -DORVANE_HACK_DIR=$hack_dir -DORVANE_SOUND_FONT=$font && cmake --build "$work/build" &&
    DESTDIR=$stage cmake --install "$work/build"; } >"$work.log" 2>&1 || { tail -20 "$work.log"; exit 1; }
failures=0
bad() { echo "FAILED: $*"; failures=$((failures + 1)); }
# A file's text: manual pages unpacked with roff's \- as -, programs as their strings.
text() { zcat -f "$1" | sed 's/\\-/-/g' | tr -c '[:print:]\n' '\n'; }
cd "$stage" || exit 1
[ -x ".$hack_dir/orvane" ] || bad "no hack in $hack_dir"
for file in $(find . -type f | sort); do
  text "$file" | grep -q -e /usr/libexec/xscreensaver -e sounds/sf2/default-GM && bad "$file names a default path"
  text "$file" | grep -qE '@(ORVANE|MAN|PROJECT)_[A-Z_]+@' && bad "$file keeps a placeholder"
  for path in $(text "$file" | grep -oE "$hack_dir/[A-Za-z0-9_.+-]*|/[A-Za-z0-9_./+-]*\.sf2" | sort -u); do
    [ "$path" = "$font" ] || [ -e ".$path" ] || bad "$file names $path, neither installed nor the sound font"
  done
done
text ".$hack_dir/orvane" | grep -qx "$font" || bad "the hack's default sound font is not $font"
man6=./usr/share/man/man6/orvane.6.gz
{ text $man6 | grep -q "$hack_dir/orvane" && text $man6 | grep -q "$font"; } || bad "orvane(6) does not name both"
for entry in ./usr/share/applications/screensavers/*.desktop; do
  grep -q "^Exec=$hack_dir/orvane " "$entry" && grep -qx "TryExec=$hack_dir/orvane" "$entry" ||
    bad "$entry does not start $hack_dir/orvane"
done
echo "$(find . -type f | wc -l) files installed, $failures failures"
[ $failures -eq 0 ]
