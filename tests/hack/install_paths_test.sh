#!/usr/bin/env bash
# Built with another hack folder and sound font and installed into a staging
# folder: the hack is in that folder, and every path of either kind that an
# installed file names is installed or is that font; none is a default.
# Usage: install_paths_test.sh SOURCE_DIR WORK_DIR
set -u
src=$1 work=$2 hack_dir=/usr/lib/xscreensaver font=/opt/gm/test-font.sf2
rm -rf "$work/stage"
{ cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=None -DORVANE_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr \
    -DORVANE_HACK_DIR=$hack_dir -DORVANE_SOUND_FONT=$font && cmake --build "$work/build" &&
    DESTDIR=$work/stage cmake --install "$work/build"; } >"$work.log" 2>&1 || { tail -20 "$work.log"; exit 1; }
cd "$work/stage" || exit 1
failures=0
bad() { echo "FAILED: $*"; failures=$((failures + 1)); }
# Manual pages unpacked with roff's \- as -, programs as their strings.
text() { zcat -f "$1" 2>/dev/null | sed 's/\\-/-/g' | tr -c '[:print:]\n' '\n'; }
[ -x ".$hack_dir/orvane" ] || bad "no hack in $hack_dir"
for file in $(find . -type f); do
  text "$file" | grep -qE '/usr/libexec/xscreensaver|sounds/sf2/default-GM|@(ORVANE|MAN)_' && bad "$file names a default"
  for path in $(text "$file" | grep -oE "$hack_dir/[A-Za-z0-9_.+-]*|/[A-Za-z0-9_./+-]*\.sf2"); do
    [ "$path" = "$font" ] || [ -e ".$path" ] || bad "$file names $path, neither installed nor the font"
  done
done
text ".$hack_dir/orvane" | grep -qx "$font" || bad "the hack's default sound font is not $font"
text ./usr/share/man/man6/orvane.6.gz | grep -q "$font" || bad "orvane(6) does not name $font"
for entry in ./usr/share/applications/screensavers/*.desktop; do
  grep -qx "TryExec=$hack_dir/orvane" "$entry" || bad "$entry does not try $hack_dir/orvane"
done
echo "$(find . -type f | wc -l) files installed, $failures failures"
[ $failures -eq 0 ]
