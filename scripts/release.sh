#!/usr/bin/env bash
# Builds Orvane's release files from this commit and leaves them in dist/:
#   Orvane-<version>-setup.exe    Windows installer (NSIS, 64-bit)
#   Orvane-<version>-win64.zip    saver, data, licence and read-me for x86_64
#   Orvane-<version>-win32.zip    the same for i686
#   orvane_<version>-<rev>_<arch>.deb
#                                 Debian package of the saver, the viewer and their data
#   orvane_<version>-<rev>.dsc, orvane_<version>-<rev>.debian.tar.xz, orvane_<version>.orig.tar.gz
#                                 the Debian source package it is built from (debian/)
#   orvane-<version>.tar.gz       the commit's sources (git archive; the same bytes as the .orig.tar.gz)
#   Orvane-<version>-web.zip      the web page (emscripten), to serve as it is
#   Orvane.Orvane.yaml, Orvane.Orvane.installer.yaml, Orvane.Orvane.locale.en-US.yaml
#                                 the setup's winget manifest (packaging/winget/*.in)
#   SHA256SUMS                    the checksums of the files above
#   SHA256SUMS.asc                its detached signature, when given a gpg key
# (their names: scripts/lib/release-names.sh)
#
#   scripts/release.sh [DIST_DIR]
#
# Builds go to $ORVANE_RELEASE_BUILD (default build-release/): debian/ (the
# source package, unpacked and built there by dpkg-buildpackage), win64/,
# win32/, web/ and stage/. File times come from the commit (SOURCE_DATE_EPOCH;
# the Debian files' from debian/changelog, as dpkg-buildpackage takes them),
# and no file holds the folders it was built in, so two releases of one commit
# hold the same bytes wherever they are made. The sources and the Debian
# packages are HEAD's: a git checkout is needed.
#
# Signing, when asked (otherwise every file is unsigned):
#   ORVANE_SIGN_CERT, ORVANE_SIGN_KEY  Authenticode certificate and key for
#       Orvane.scr, the uninstaller and the setup (see lib/authenticode-sign.sh
#       for the password and time-stamp settings);
#   ORVANE_GPG_KEY  the gpg key (id or e-mail) that signs SHA256SUMS.
# ORVANE_RELEASE_URL is the https address the release's files are published
# under, for the winget manifest (a placeholder under orvane.invalid without it).
set -euo pipefail
exec </dev/null
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ORVANE_RELEASE_BUILD:-$repo/build-release}
dist=${1:-$repo/dist}
sign_tool=$repo/scripts/lib/authenticode-sign.sh

bash "$repo/scripts/setup.sh" release

if [[ -n ${ORVANE_SIGN_CERT:-} || -n ${ORVANE_SIGN_KEY:-} ]]; then
  [[ -r ${ORVANE_SIGN_CERT:-} && -r ${ORVANE_SIGN_KEY:-} ]] ||
    { echo "release: ORVANE_SIGN_CERT and ORVANE_SIGN_KEY must both name readable files" >&2; exit 2; }
  authenticode=1
else
  authenticode=0
fi

release_url=${ORVANE_RELEASE_URL:-}
# The manifest quotes it in YAML, so no quotes, spaces or plain http.
[[ -z $release_url || $release_url =~ ^https://[^[:space:]\'\"]+$ ]] ||
  { echo "release: ORVANE_RELEASE_URL must be an https:// address without spaces or quotes" >&2; exit 2; }

git -C "$repo" rev-parse --verify -q HEAD >/dev/null 2>&1 ||
  { echo "release: $repo is not a git checkout with a commit; the source archive and the Debian source package come from HEAD" >&2; exit 2; }
source "$repo/scripts/lib/release-names.sh"
# One version number: the package's must be CMake's with a Debian revision.
[[ -n $version && $deb_version == *-* && ${deb_version%-*} == "$version" ]] ||
  { echo "release: debian/changelog's newest entry is $deb_version, not $version-<revision> (CMakeLists.txt)" >&2; exit 2; }

if [[ -z ${SOURCE_DATE_EPOCH:-} ]]; then
  SOURCE_DATE_EPOCH=$(git -C "$repo" log -1 --format=%ct 2>/dev/null || stat -c %Y "$repo/CMakeLists.txt")
fi
export SOURCE_DATE_EPOCH
# zip stores local times; one zone makes them the same everywhere.
export TZ=UTC
# Sorted names (file lists, checksums) in the same order everywhere.
export LC_COLLATE=C
mkdir -p "$build" "$dist"
build=$(cd "$build" && pwd)
dist=$(cd "$dist" && pwd)
log=$build/release.log
: >"$log"

# fill TEMPLATE NAME=VALUE...: the template with each @NAME@ replaced.
fill() {
  local text pair
  text=$(<"$1")
  shift
  for pair; do text=${text//"@${pair%%=*}@"/"${pair#*=}"}; done
  printf '%s\n' "$text"
}

# Runs one step into the log; on failure shows its end and stops.
step() {
  local name=$1
  shift
  echo "release: $name"
  if ! "$@" >>"$log" 2>&1; then
    echo "release: $name FAILED (log: $log)" >&2
    tail -n 30 "$log" >&2
    exit 1
  fi
}

# --- sources -------------------------------------------------------------------
source "$repo/scripts/lib/debian-package.sh"
step "${release_file[source_tar]}" debian_source_tar "$dist/${release_file[source_tar]}"
[[ -z $(git -C "$repo" status --porcelain --untracked-files=no) ]] ||
  echo "release: note: the working tree differs from HEAD; the sources and the Debian packages hold HEAD"

# --- Debian package ----------------------------------------------------------------
# The source package from the release's source archive (its .orig.tar.gz) and
# debian/, then the binary package from it, as a distribution builds them:
# dpkg-buildpackage with debhelper, its hardening flags, stripping and
# reproducible builds (scripts/lib/debian-package.sh).
deb_dir=$build/debian
deb_tree=$deb_dir/orvane-$version
make_debian() {
  local name
  # The packages are made from the source archive alone: the same archive as
  # last time (a second release of one commit) needs no second build.
  debian_packages "$dist/${release_file[source_tar]}" "$deb_dir" || return 1
  rm -f "$dist"/orvane_*.deb "$dist"/orvane_*.dsc "$dist"/orvane_*.debian.tar.xz "$dist"/orvane_*.orig.tar.gz
  for name in deb dsc debian_tar orig_tar; do cp "$deb_dir/${release_file[$name]}" "$dist/" || return 1; done
}
step "Debian source and binary packages" make_debian
# The Windows and web builds take the pictures and tune the package's build made.
data=$deb_tree/obj-$(dpkg-architecture -q DEB_HOST_GNU_TYPE)/data
export ORVANE_RELEASE_ASSETS=$data

# --- Windows and web builds --------------------------------------------------------
# Source and build folders are named by fixed names in every file name the
# compiler keeps (__FILE__, debug information), so where the clone and the
# build folder are does not show. The build folder's map comes last: it lies
# inside the clone, and the last matching map wins.
export ORVANE_RELEASE_WINFLAGS="-ffile-prefix-map=$repo=. -ffile-prefix-map=$build=build"

for arch in win64:x86_64 win32:i686; do
  dir=$build/${arch%%:*}
  step "${arch%%:*} build" cmake -S "$repo" --preset "release-${arch%%:*}" -B "$dir"
  step "${arch%%:*} build" cmake --build "$dir" --target orvane_saver
done

# --- Windows files ---------------------------------------------------------------
# Text for Notepad: CRLF line ends.
to_crlf() { sed 's/\r$//; s/$/\r/' "$1" >"$2"; }

# stage_windows ARCH: the zip's folder, with every file's time set to the commit's.
stage_windows() {
  local arch=$1 folder=$build/stage/${release_file[$1]%.zip}
  rm -rf "$folder"
  mkdir -p "$folder"
  cp "$build/$arch/Orvane.scr" "$data/supernova.ppm" "$data/Orvane.ppm" "$data/music.mid" "$folder/"
  [[ $authenticode -eq 0 ]] || bash "$sign_tool" "$folder/Orvane.scr"
  to_crlf "$repo/LICENSE" "$folder/LICENSE.txt"
  fill "$repo/packaging/windows/README.txt" VERSION="$version" >"$folder/README.tmp"
  to_crlf "$folder/README.tmp" "$folder/README.txt"
  rm "$folder/README.tmp"
  # Modes and times as the zip records them, whatever the umask and clock.
  chmod 644 "$folder"/*
  chmod 755 "$folder" "$folder/Orvane.scr"
  touch -d "@$SOURCE_DATE_EPOCH" "$folder" "$folder"/*
}

# make_zip ARCH: sorted names, no extra attributes, times from the stage.
make_zip() {
  local arch=$1 name=${release_file[$1]%.zip}
  rm -f "$dist/$name.zip"
  (cd "$build/stage" && LC_ALL=C find "$name" -print | LC_ALL=C sort |
    zip -X -9 -q "$dist/$name.zip" -@)
}

make_installer() {
  local stage=$build/stage/setup-win64 out=$dist/${release_file[setup]} sign=()
  rm -rf "$stage"
  cp -r "$build/stage/${release_file[win64]%.zip}" "$stage"
  cp "$data/orvane.ico" "$stage/"
  touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*
  rm -f "$out"
  [[ $authenticode -eq 0 ]] || sign=("-DSIGN=bash '$sign_tool' '%1'")
  # -WX: a text missing from one language's file stops the build.
  makensis -V2 -WX -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$out" "${sign[@]}" \
    "$repo/packaging/windows/orvane.nsi"
  [[ $authenticode -eq 0 ]] || bash "$sign_tool" "$out"
}

# --- winget manifest -------------------------------------------------------------
# make_winget_manifests: the version, installer and default-locale files for
# this setup. No install-location switch: the saver's folder cannot move. Exit
# code 2 through winget, which never passes /D=: a newer Orvane is installed
# (or the computer has no drive C:).
make_winget_manifests() {
  local url=${release_url:-https://orvane.invalid/releases/$version} sha kind
  sha=$(sha256sum "$dist/${release_file[setup]}" | cut -d' ' -f1) || return 1
  for kind in winget_version winget_installer winget_locale; do
    fill "$repo/packaging/winget/${release_file[$kind]}.in" VERSION="$version" RELEASE_URL="${url%/}" \
      SETUP_SHA256="${sha^^}" RELEASE_DATE="$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y-%m-%d)" >"$dist/${release_file[$kind]}"
  done
}

# --- web page ----------------------------------------------------------------------
# make_web_zip: the page built by emscripten (preset release-web, in web/)
# with this build's pictures, staged with the commit's file times and zipped
# like the Windows zips. emcc finds its modules through the preset's NODE_PATH.
make_web_zip() {
  local name=${release_file[web]%.zip}
  local folder=$build/stage/$name
  cmake -S "$repo" --preset release-web -B "$build/web" &&
    NODE_PATH=${NODE_PATH:-/usr/share/nodejs} cmake --build "$build/web" || return 1
  rm -rf "$folder"
  mkdir -p "$folder"
  cp "$build/web/page/"{index.html,page.css,page.js,orvane.js,orvane.wasm,orvane.data} "$folder/"
  cp "$repo/LICENSE" "$folder/LICENSE.txt"
  fill "$repo/packaging/web/README.txt" VERSION="$version" >"$folder/README.txt"
  chmod 755 "$folder"
  chmod 644 "$folder"/*
  touch -d "@$SOURCE_DATE_EPOCH" "$folder" "$folder"/*
  make_zip web
}
# --- checksums, signature ---------------------------------------------------------
# release_files: this version's files in dist/, by name.
release_files() {
  local name
  for name in "${release_names[@]}"; do
    if [[ -e $dist/$name ]]; then echo "$name"; fi
  done
}
make_checksums() {
  rm -f "$dist/SHA256SUMS" "$dist/SHA256SUMS.asc"
  (cd "$dist" && release_files | xargs -d '\n' sha256sum --) >"$dist/SHA256SUMS.tmp"
  mv "$dist/SHA256SUMS.tmp" "$dist/SHA256SUMS"
  if [[ -n ${ORVANE_GPG_KEY:-} ]]; then
    gpg --batch --yes --local-user "$ORVANE_GPG_KEY" --armor --detach-sign \
      --output "$dist/SHA256SUMS.asc" "$dist/SHA256SUMS"
  fi
}

for arch in win64 win32; do
  step "stage $arch" stage_windows "$arch"
  step "${release_file[$arch]}" make_zip "$arch"
done
step "${release_file[setup]}" make_installer
step "winget manifest" make_winget_manifests
[[ -n $release_url ]] ||
  echo "release: note: no ORVANE_RELEASE_URL, so the winget manifest points at https://orvane.invalid/releases/$version/"
step "${release_file[web]}" make_web_zip
step "SHA256SUMS" make_checksums

echo "release: version $version, from commit time $SOURCE_DATE_EPOCH" \
  "($([[ $authenticode -eq 1 ]] && echo "Authenticode-signed" || echo "unsigned")$([[ -n ${ORVANE_GPG_KEY:-} ]] && echo ", checksums signed"))"
for file in $(release_files) SHA256SUMS $([[ -n ${ORVANE_GPG_KEY:-} ]] && echo SHA256SUMS.asc); do
  echo "$dist/$file  ($(stat -c %s "$dist/$file") bytes)"
done
