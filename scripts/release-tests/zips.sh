#!/usr/bin/env bash
# The release's zips as someone unpacking them by hand meets them: the
# folder's exact list, the saver for the right machine, the read-me naming
# every file and where it goes, the same data in both Windows zips; the web
# page's zip with its links, drawing the nebula in headless Chromium.
#
#   scripts/release-tests/zips.sh DIST
#
# The last line is "zips: N passed, M failed"; the exit status is non-zero
# on any failure.
set -euo pipefail
exec </dev/null
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
part_start zips "$@"

# zip_holds ARCH FILE_DESCRIPTION: the folder's exact list, a sound archive, the
# saver for the right machine, a read-me naming every file and where it goes.
zip_holds() {
  local zip=$dist/${release_file[$1]} folder=Orvane-$version-$1 out
  diff <(printf '%s\n' "$folder/" "$folder/LICENSE.txt" "$folder/Orvane.ppm" "$folder/Orvane.scr" \
    "$folder/README.txt" "$folder/music.mid" "$folder/supernova.ppm" | LC_ALL=C sort) \
    <(unzip -Z1 "$zip" | LC_ALL=C sort) || return 1
  out=$(unzip_release "$1" "$part_dir/zip-$1") || return 1
  local kind
  kind=$(file "$out/Orvane.scr") || return 1
  echo "$kind"
  grep -q "$2" <<<"$kind" || return 1
  local readme=$out/README.txt name
  grep -q "Orvane $version" "$readme" || { echo "read-me without the version"; return 1; }
  grep -qF 'C:\Program Files\Orvane\' "$readme" || { echo "read-me without the data folder"; return 1; }
  for name in Orvane.scr supernova.ppm Orvane.ppm music.mid LICENSE.txt System32; do
    grep -q "$name" "$readme" || { echo "read-me does not mention $name"; return 1; }
  done
  grep -q "MIT License" "$out/LICENSE.txt"
}
check "win64 zip: files, x86-64 saver, read-me" zip_holds win64 'PE32+ executable (GUI) x86-64'
check "win32 zip: files, i386 saver, read-me" zip_holds win32 'PE32 executable (GUI) Intel 80386'

zip64_dir=$part_dir/zip-win64/Orvane-$version-win64
zip32_dir=$part_dir/zip-win32/Orvane-$version-win32
same_data() {
  local name
  for name in supernova.ppm Orvane.ppm music.mid; do
    cmp "$zip64_dir/$name" "$zip32_dir/$name" || return 1
  done
}
check "both zips carry the same pictures and tune" same_data
zips_name_syswow64() {
  grep -q 'SysWOW64' "$zip64_dir/README.txt" && grep -q 'SysWOW64' "$zip32_dir/README.txt"
}
check "the read-me says where a 32-bit saver goes on 64-bit Windows" zips_name_syswow64

# web_zip_holds: the folder's exact list, a read-me with the version, a page
# that links this version's setup and Debian package (beside its folder, as
# in the release), and that page in headless Chromium drawing the nebula.
web_zip_holds() {
  local folder=Orvane-$version-web out
  diff <(printf '%s\n' "$folder/" "$folder/"{LICENSE.txt,README.txt,index.html,orvane.data,orvane.js,orvane.wasm,page.css,page.js} |
    LC_ALL=C sort) <(unzip -Z1 "$web_zip" | LC_ALL=C sort) || return 1
  out=$(unzip_release web "$part_dir/zip-web") || return 1
  grep -q "Orvane $version" "$out/README.txt" || { echo "read-me without the version"; return 1; }
  grep -qF "href=\"../${setup##*/}\"" "$out/index.html" &&
    grep -qF "href=\"../${deb##*/}\"" "$out/index.html" || { echo "the page links other files"; return 1; }
  node "$repo/tests/web/page_test.js" "$part_dir/web-shots" "$out"
}
check "web zip: files, read-me, links to this version's files, the page in Chromium" web_zip_holds

part_report
