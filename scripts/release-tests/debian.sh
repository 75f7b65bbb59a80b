#!/usr/bin/env bash
# The Debian packages as a distribution and its users meet them: the source
# package built by sbuild in a clean Debian 12 chroot (only the declared build
# dependencies in it), lintian on the source and the .deb (any tag fails), the
# package's autopkgtest in a fresh testbed, no build paths in any release file,
# the .deb's contents and relations, installed with apt-get (as root; purged
# again at the end) with its viewer drawing from /usr/share/orvane alone, and
# the installed viewer and saver refusing a build tree's data when
# /usr/share/orvane is hidden.
#
#   scripts/release-tests/debian.sh DIST
#
# The chroots are made by mmdebstrap from deb.debian.org and entered through
# user namespaces (sbuild's unshare mode, autopkgtest-virt-unshare); they are
# kept as tarballs in $ORVANE_CHROOT_CACHE (default /var/cache/orvane-sbuild
# for root, else ~/.cache/orvane-sbuild), named by what they hold, so a changed
# Build-Depends makes a new one. The only part that installs anything on this
# machine. The last line is "debian: N passed, M failed"; the exit status is
# non-zero on any failure.
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

if [[ $(id -u) -eq 0 ]]; then
  chroot_cache=${ORVANE_CHROOT_CACHE:-/var/cache/orvane-sbuild}
else
  chroot_cache=${ORVANE_CHROOT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/orvane-sbuild}
fi
# chroot_tarball NAME MMDEBSTRAP_OPTIONS...: prints the cached tarball of a
# bookworm chroot made with these options, making it first when missing.
chroot_tarball() {
  local name=$1 key tar
  shift
  key=$(printf '%s\n' "$@" | sha256sum | cut -c1-16)
  tar=$chroot_cache/bookworm-$name-$key.tar
  if [[ ! -s $tar ]]; then
    mkdir -p "$chroot_cache" || return 1
    local started=$SECONDS
    mmdebstrap --quiet --mode=unshare --format=tar "$@" bookworm "$tar.tmp" >&2 && mv "$tar.tmp" "$tar" ||
      { rm -f "$tar.tmp"; return 1; }
    echo "MEASURE  made the $name chroot in $((SECONDS - started)) s ($(stat -c %s "$tar") bytes)" >&2
  fi
  echo "$tar"
}
# What Debian's build machines start from, with the source package's
# Build-Depends (as its .dsc states them) already installed.
build_deps=$(sed -n '/^Build-Depends:/,/^[^ ]/p' "$dsc" | sed '$ { /^[^ ]/d }' |
  sed 's/^Build-Depends: *//' | tr -s '\n ' ' ' | sed 's/ $//')
sbuilt=$part_dir/sbuild
clean_chroot_build() {
  local tar started
  tar=$(chroot_tarball buildd --variant=buildd \
    --customize-hook="chroot \"\$1\" apt-get satisfy -qq -y --no-install-recommends '$build_deps'") || return 1
  mkdir -p "$sbuilt"
  started=$SECONDS
  (cd "$sbuilt" && sbuild --chroot-mode=unshare --chroot="$tar" --dist=bookworm --nolog \
    --no-run-lintian --no-run-piuparts --no-run-autopkgtest "$dsc") || return 1
  echo "MEASURE  sbuild in the clean chroot took $((SECONDS - started)) s"
  [[ -s $sbuilt/${deb##*/} ]] || { echo "sbuild made no ${deb##*/}"; return 1; }
  # The same sources and Debian 12's compilers: the same bytes, unless the
  # mirror has moved on from this machine's packages.
  if cmp -s "$sbuilt/${deb##*/}" "$deb"; then
    echo "MEASURE  the clean chroot's .deb is the release's, byte for byte"
  else
    echo "MEASURE  the clean chroot's .deb differs from the release's"
  fi
}
check "sbuild builds the source package in a clean Debian 12 chroot" clean_chroot_build
grep -ah '^MEASURE' "$part_dir"/logs/*sbuild-builds* 2>/dev/null || true
# Every tag, down to the pedantic ones, is either mended or overridden with a reason.
lintian_clean() {
  local status=0
  lintian -I --pedantic --fail-on error,warning,info,pedantic --tag-display-limit 0 "$dsc" "$deb" || status=$?
  echo "MEASURE  lintian -I --pedantic: exit $status"
  return $status
}
check "lintian -I --pedantic reports nothing on the source package and the .deb" lintian_clean
# The tests the archive runs, in a minimal testbed that gets only their
# Depends (from an updated package list: the cached tarball keeps none); the
# testbed is a fresh unpacked copy for each group of tests.
autopkgtest_passes() {
  local tar status=0
  tar=$(chroot_tarball testbed --variant=apt) || return 1
  rm -rf "$part_dir/autopkgtest"
  autopkgtest --apt-upgrade --no-built-binaries --output-dir "$part_dir/autopkgtest" "$deb" "$dsc" -- unshare --tarball "$tar" || status=$?
  echo "MEASURE  autopkgtest: $(tr '\n' ';' <"$part_dir/autopkgtest/summary" 2>/dev/null)"
  return $status
}
check "autopkgtest passes against the .deb" autopkgtest_passes
grep -ah '^MEASURE' "$part_dir"/logs/*autopkgtest-passes* 2>/dev/null || true
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
    ./usr/share/doc/orvane/changelog.gz ./usr/share/doc/orvane/changelog.Debian.gz ./usr/share/doc/orvane/README.Debian \
    ./usr/libexec/xscreensaver/orvane ./usr/share/man/man6/orvane.6.gz \
    ./usr/bin/orvane-xscreensaver-setup ./usr/share/man/man1/orvane-xscreensaver-setup.1.gz \
    ./usr/share/applications/screensavers/orvane.desktop; do
    grep -qxF "$file" <<<"$list" || { echo "missing $file"; return 1; }
  done
  ! grep -v -e '^\./usr/' -e '^\./$' <<<"$list" || { echo "files outside /usr"; return 1; }
  control=$(dpkg-deb -f "$deb" Package Version Depends Recommends) || return 1
  echo "$control"
  # The source package's upstream tarball is the release's source archive.
  cmp "$orig_tar" "$source_tar" || return 1
  grep -qx "Version: $deb_version" <<<"$control" &&
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
  local planted here status=0 out
  planted=$build/debian/orvane-$version/obj-$(dpkg-architecture -q DEB_HOST_GNU_TYPE)/data
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
