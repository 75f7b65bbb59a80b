#!/usr/bin/env bash
# The Debian packages as a distribution and its users meet them: the source
# package built by sbuild in a clean unstable chroot (only the declared build
# dependencies in it), unstable's lintian on the source and the .deb (any tag
# fails), the package's autopkgtest in a fresh Debian 13 testbed, no build
# paths in any release file, the .deb's contents and relations, installed with
# apt-get (as root; purged again at the end) with its viewer drawing from
# /usr/share/orvane alone, and the installed viewer and saver refusing a build
# tree's data when /usr/share/orvane is hidden.
#
#   scripts/release-tests/debian.sh DIST
#
# The chroots are made by mmdebstrap and cached by scripts/lib/chroot.sh; the
# lintian one is entered as root by chroot, the others through user namespaces
# (sbuild's unshare mode, autopkgtest-virt-unshare). The only part that
# installs anything on this machine. The last line is "debian: N passed, M
# failed"; the exit status is non-zero on any failure.
set -euo pipefail
exec </dev/null
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$repo/scripts/lib/display.sh"
source "$repo/scripts/lib/nebula.sh"
source "$repo/scripts/lib/chroot.sh"
part_start debian "$@"

deb_installed=0
purge() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 purge -y -qq orvane; }
part_cleanup() {
  if [[ $deb_installed -eq 1 ]]; then purge >/dev/null 2>&1 || true; fi
  display_stop
}

# What Debian's build machines start from, with the source package's
# Build-Depends (as its .dsc states them) already installed.
build_deps=$(sed -n '/^Build-Depends:/,/^[^ ]/p' "$dsc" | sed '$ { /^[^ ]/d }' |
  sed 's/^Build-Depends: *//' | tr -s '\n ' ' ' | sed 's/ $//')
sbuilt=$part_dir/sbuild
# Debian builds its uploads in unstable: so does this, in a chroot that holds
# only the declared build dependencies. The release's own .deb is Debian 12's,
# built on this machine and again by reproducibility.sh.
clean_chroot_build() {
  local tar started
  tar=$(chroot_tarball unstable buildd --variant=buildd \
    --customize-hook="chroot \"\$1\" apt-get satisfy -qq -y --no-install-recommends '$build_deps'") || return 1
  mkdir -p "$sbuilt"
  started=$SECONDS
  (cd "$sbuilt" && sbuild --chroot-mode=unshare --chroot="$tar" --dist=unstable --nolog \
    --no-run-lintian --no-run-piuparts --no-run-autopkgtest "$dsc") || return 1
  echo "MEASURE  sbuild in the clean unstable chroot took $((SECONDS - started)) s"
  [[ -s $sbuilt/${deb##*/} ]] || { echo "sbuild made no ${deb##*/}"; return 1; }
}
check "sbuild builds the source package in a clean unstable chroot" clean_chroot_build
grep -ah '^MEASURE' "$part_dir"/logs/*sbuild-builds* 2>/dev/null || true
# The newest lintian, unstable's, in a chroot of its own (the build chroot
# holds only the build dependencies): every tag on the source package and the
# release's .deb, down to the pedantic ones, is mended or overridden with a
# reason.
lintian_clean() {
  local tar root=$part_dir/lintian-root status=0
  tar=$(chroot_tarball unstable lintian --variant=apt --include=lintian) && chroot_unpack "$tar" "$root" &&
    cp "$dsc" "$debian_tar" "$orig_tar" "$deb" "$root/srv/" || return 1
  # As nobody: lintian takes root for a mistake.
  chroot_run "$root" setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=/tmp sh -c 'cd /srv &&
    lintian --version && lintian -I --pedantic --fail-on error,warning,info,pedantic --tag-display-limit 0 *.dsc *.deb' ||
    status=$?
  rm -rf "$root"
  echo "MEASURE  unstable's lintian -I --pedantic: exit $status"
  return $status
}
check "unstable's lintian -I --pedantic reports nothing on the source package and the .deb" lintian_clean
# The tests the archive runs, on the current stable release, against the
# release's .deb: a minimal testbed that gets only their Depends (from an
# updated package list: the cached tarball keeps none), a fresh unpacked copy
# for each group of tests.
autopkgtest_passes() {
  local tar status=0
  tar=$(chroot_tarball trixie testbed --variant=apt) || return 1
  rm -rf "$part_dir/autopkgtest"
  autopkgtest --apt-upgrade --no-built-binaries --output-dir "$part_dir/autopkgtest" "$deb" "$dsc" -- unshare --tarball "$tar" || status=$?
  echo "MEASURE  autopkgtest: $(tr '\n' ';' <"$part_dir/autopkgtest/summary" 2>/dev/null)"
  return $status
}
check "autopkgtest on Debian 13 passes against the .deb" autopkgtest_passes
grep -ah '^MEASURE' "$part_dir"/logs/*autopkgtest-on* 2>/dev/null || true
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
    ./usr/share/applications/screensavers/orvane.desktop ./usr/share/applications/screensavers/orvane-music.desktop; do
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
# The theme entries mate-screensaver and Xfce's screensaver list, as
# packaged: each validates and runs the installed hack with its own options.
desktop_entries_valid() {
  local name command
  mkdir -p "$work"
  while read -r name command; do
    dpkg-deb --fsys-tarfile "$deb" | tar -xO "./usr/share/applications/screensavers/$name" >"$work/$name" &&
      desktop-file-validate "$work/$name" && grep -qxF "Exec=$command" "$work/$name" ||
      { echo "$name does not validate or does not run $command"; return 1; }
  done <<'EOF'
orvane.desktop /usr/libexec/xscreensaver/orvane --root
orvane-music.desktop /usr/libexec/xscreensaver/orvane --root --music
EOF
}
check "the desktop entries validate and run the installed hack with --root (and --music)" desktop_entries_valid

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
