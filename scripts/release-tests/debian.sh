#!/usr/bin/env bash
# The Debian package as a Debian user meets it: lintian (any tag fails), no
# build paths in any release file, its contents and relations, installed with
# apt-get (as root; purged again at the end) with its viewer drawing from
# /usr/share/orvane alone, and the installed viewer and saver refusing a
# build tree's data when /usr/share/orvane is hidden.
#
#   scripts/release-tests/debian.sh DIST
#
# The only part that installs anything on this machine. The last line is
# "debian: N passed, M failed"; the exit status is non-zero on any failure.
set -euo pipefail
exec </dev/null
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$repo/scripts/lib/display.sh"
source "$repo/scripts/lib/nebula.sh"
part_start debian "$@"

deb_installed=0
purge() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 purge -y -qq orvane; }
part_cleanup() {
  if [[ $deb_installed -eq 1 ]]; then purge >/dev/null 2>&1 || true; fi
  display_stop
}

# Every tag, down to the pedantic ones, is either mended or overridden with a reason.
lintian_clean() {
  local status=0
  lintian -I --pedantic --fail-on error,warning,info,pedantic --tag-display-limit 0 "$deb" || status=$?
  echo "MEASURE  lintian -I --pedantic: exit $status"
  return $status
}
check "lintian -I --pedantic reports nothing" lintian_clean
# No file names the folders it was built in, which a second clone would not share.
path_free() {
  local deb_root=$part_dir/deb-root found win64 win32
  rm -rf "$deb_root" && dpkg-deb -x "$deb" "$deb_root" || return 1
  win64=$(unzip_release win64 "$part_dir/zip-win64") && win32=$(unzip_release win32 "$part_dir/zip-win32") || return 1
  found=$(grep -rlaF -e "$repo" -e "$build" "$deb_root" "$win64" "$win32") && {
    echo "build paths in: $found"
    return 1
  }
  return 0
}
check "no release file holds the clone's or the build folder's path" path_free
deb_contents() {
  local list control
  list=$(dpkg-deb -c "$deb" | awk '{ print $6 }') || return 1
  echo "$list"
  local file
  for file in ./usr/bin/orvane-viewer ./usr/libexec/xscreensaver/orvane ./usr/share/orvane/supernova.ppm ./usr/share/orvane/Orvane.ppm \
    ./usr/share/orvane/music.mid ./usr/share/man/man1/orvane-viewer.1.gz ./usr/share/doc/orvane/copyright \
    ./usr/share/doc/orvane/changelog.gz ./usr/share/doc/orvane/README.Debian \
    ./usr/libexec/xscreensaver/orvane ./usr/share/man/man6/orvane.6.gz \
    ./usr/bin/orvane-xscreensaver-setup ./usr/share/man/man1/orvane-xscreensaver-setup.1.gz \
    ./usr/share/applications/screensavers/orvane.desktop; do
    grep -qxF "$file" <<<"$list" || { echo "missing $file"; return 1; }
  done
  ! grep -v '^\./usr/' <<<"$list" || { echo "files outside /usr"; return 1; }
  control=$(dpkg-deb -f "$deb" Package Version Depends Recommends) || return 1
  echo "$control"
  grep -qx "Version: $version" <<<"$control" &&
    grep -q '^Depends: .*libc6.*' <<<"$control" && grep -q '^Depends: .*libglut' <<<"$control" &&
    grep -qx 'Recommends: xscreensaver, xscreensaver-gl, timgm6mb-soundfont | sf2-soundfont-gm' <<<"$control"
}
check "Debian package contents and relations" deb_contents
# The theme entry mate-screensaver and Xfce's screensaver list, as packaged.
desktop_entry_valid() {
  local entry=$work/orvane.desktop
  mkdir -p "$work"
  dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/applications/screensavers/orvane.desktop >"$entry" &&
    desktop-file-validate "$entry" && grep -qx 'Exec=/usr/libexec/xscreensaver/orvane --root' "$entry"
}
check "the desktop entry validates and runs the installed hack with --root" desktop_entry_valid

# The installed programs run on a display of this part's own.
display_start 640x360x24

# The installed viewer on its own: no data variable, a folder with no build tree,
# and the release's build tree hidden, so only /usr/share/orvane can feed it.
viewer_draws_installed() {
  local here shot=$1 status=0
  here=$(mktemp -d)
  env -u ORVANE_DATA_DIR unshare -m sh -c '
    mount -t tmpfs none "$1" && cd "$2" &&
    exec /usr/bin/orvane-viewer --seed 1 --frames 60 --capture "$3"' \
    sh "$build" "$here" "$shot" >"$here.out" 2>&1 || status=$?
  tail -n 5 "$here.out"
  rm -rf "$here" "$here.out"
  [[ $status -eq 0 && -s $shot ]] || return 1
  nebula_shown "$shot" || { echo "no nebula in the installed viewer's frame: $nebula_figures"; return 1; }
  echo "MEASURE  installed viewer's frame: $nebula_figures"
}
deb_installs_and_runs() {
  if [[ $(id -u) -ne 0 ]]; then echo "installing needs root"; return 1; fi
  if dpkg-query -W -f='${Status}' orvane 2>/dev/null | grep -q "install ok installed"; then
    echo "orvane is already installed here; not touching it"
    return 1
  fi
  deb_installed=1
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "$deb" || return 1
  local said
  said=$(/usr/bin/orvane-viewer --version) || return 1
  echo "$said"
  grep -q "$version" <<<"$said" || return 1
  man -w orvane-viewer 2>/dev/null || [[ -f /usr/share/man/man1/orvane-viewer.1.gz ]] || return 1
  local shot status=0
  shot=$(mktemp --suffix=.ppm)
  viewer_draws_installed "$shot" || status=$?
  rm -f "$shot"
  return $status
}
# hidden_data_stops PROGRAM ARGS...: with /usr/share/orvane hidden and the
# pictures planted at the build folder's data path (where a build-tree
# fallback would look), the installed program must open neither: a clear error
# and exit code 1. A program that found pictures would draw on, until the
# deadline ends it.
hidden_data_stops() {
  local planted=$build/native/data here status=0 out
  if [[ ! -s $planted/supernova.ppm ]]; then
    mkdir -p "$planted" && cp /usr/share/orvane/* "$planted/" || return 1
  fi
  here=$(mktemp -d)
  env -u ORVANE_DATA_DIR unshare -m sh -c '
    mount -t tmpfs none /usr/share/orvane && cd "$1" && shift &&
    exec timeout -k 5 120 "$@"' sh "$here" "$@" >"$here.out" 2>&1 || status=$?
  out=$(cat "$here.out")
  rm -rf "$here" "$here.out"
  echo "$out"
  [[ $status -eq 1 ]] || { echo "exit code $status, expected 1"; return 1; }
  # The diagnostic names its source file by base name, built from any folder.
  grep -qF 'Cannot open texure file /usr/share/orvane/supernova.ppm' <<<"$out" &&
    grep -q 'Texture setup error\. main\.cpp, [0-9]*$' <<<"$out"
}
deb_removes() {
  purge || return 1
  deb_installed=0
  [[ ! -e /usr/bin/orvane-viewer && ! -e /usr/share/orvane && ! -e /usr/share/doc/orvane ]]
}
check "apt-get installs the package; its viewer draws from /usr/share/orvane" deb_installs_and_runs
grep -ah '^MEASURE' "$part_dir"/logs/*installs-the-package* 2>/dev/null || true
if [[ $deb_installed -eq 1 ]]; then
  check "installed viewer: no /usr/share/orvane, planted build data: exit 1" \
    hidden_data_stops /usr/bin/orvane-viewer --frames 5
  check "installed saver: no /usr/share/orvane, planted build data: exit 1" \
    hidden_data_stops /usr/libexec/xscreensaver/orvane -window
  check "apt-get purge removes it" deb_removes
fi

part_report
