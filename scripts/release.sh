#!/usr/bin/env bash
# Builds Orvane's release files from this commit and leaves them in dist/:
#   Orvane-<version>-setup.exe    Windows installer (NSIS, 64-bit)
#   Orvane-<version>-win64.zip    saver, data, licence and read-me for x86_64
#   Orvane-<version>-win32.zip    the same for i686
#   orvane_<version>_<arch>.deb   Debian package of the saver, the viewer and their data
#   orvane-<version>.tar.gz       the commit's sources (git archive)
#   Orvane-<version>-web.zip      the web page (emscripten), to serve as it is
#   Orvane.Orvane.yaml, Orvane.Orvane.installer.yaml, Orvane.Orvane.locale.en-US.yaml
#                                 the setup's winget manifest
#   SHA256SUMS                    the checksums of the files above
#   SHA256SUMS.asc                its detached signature, when given a gpg key
#
#   scripts/release.sh [DIST_DIR]
#
# Builds go to $ORVANE_RELEASE_BUILD (default build-release/): native/, win64/,
# win32/ and stage/. File times come from the commit (SOURCE_DATE_EPOCH), and
# no file holds the folders it was built in, so two releases of one commit
# hold the same bytes wherever they are made.
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

# --- builds --------------------------------------------------------------------
# Source and build folders are named by fixed names in every file name the
# compiler keeps (__FILE__, debug information), so where the clone and the
# build folder are does not show. The build folder's map comes last: it lies
# inside the clone, and the last matching map wins.
path_maps="-ffile-prefix-map=$repo=. -ffile-prefix-map=$build=build"
# Debian's hardening: fortified functions, stack protector, full RELRO and
# immediate binding. No -g: the package's programs are stripped anyway.
debian_flags() {
  DEB_BUILD_MAINT_OPTIONS="hardening=+all reproducible=-fixfilepath" \
    DEB_CFLAGS_MAINT_STRIP=-g DEB_CXXFLAGS_MAINT_STRIP=-g dpkg-buildflags --get "$1"
}
# The release presets take their flags from these.
export ORVANE_RELEASE_CFLAGS="$(debian_flags CPPFLAGS) $(debian_flags CFLAGS) $path_maps"
export ORVANE_RELEASE_CXXFLAGS="$(debian_flags CPPFLAGS) $(debian_flags CXXFLAGS) $path_maps"
export ORVANE_RELEASE_LDFLAGS=$(debian_flags LDFLAGS)
export ORVANE_RELEASE_WINFLAGS=$path_maps

# The installed data folder is compiled into the programs, hence the preset's /usr.
step "native build" cmake -S "$repo" --preset release -B "$build/native"
step "native build" cmake --build "$build/native"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/native/CMakeCache.txt")
[[ -n $version ]] || { echo "release: no project version in $build/native/CMakeCache.txt" >&2; exit 1; }
data=$build/native/data
export ORVANE_RELEASE_ASSETS=$data

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
  local arch=$1 folder=$build/stage/Orvane-$version-$1
  rm -rf "$folder"
  mkdir -p "$folder"
  cp "$build/$arch/Orvane.scr" "$data/supernova.ppm" "$data/Orvane.ppm" "$data/music.mid" "$folder/"
  [[ $authenticode -eq 0 ]] || bash "$sign_tool" "$folder/Orvane.scr"
  to_crlf "$repo/LICENSE" "$folder/LICENSE.txt"
  sed "s/@VERSION@/$version/" "$repo/packaging/windows/README.txt" >"$folder/README.tmp"
  to_crlf "$folder/README.tmp" "$folder/README.txt"
  rm "$folder/README.tmp"
  # Modes and times as the zip records them, whatever the umask and clock.
  chmod 644 "$folder"/*
  chmod 755 "$folder" "$folder/Orvane.scr"
  touch -d "@$SOURCE_DATE_EPOCH" "$folder" "$folder"/*
}

# make_zip ARCH: sorted names, no extra attributes, times from the stage.
make_zip() {
  local arch=$1 name=Orvane-$version-$1
  rm -f "$dist/$name.zip"
  (cd "$build/stage" && LC_ALL=C find "$name" -print | LC_ALL=C sort |
    zip -X -9 -q "$dist/$name.zip" -@)
}

make_installer() {
  local stage=$build/stage/setup-win64 out=$dist/Orvane-$version-setup.exe sign=()
  rm -rf "$stage"
  cp -r "$build/stage/Orvane-$version-win64" "$stage"
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
winget_id=Orvane.Orvane
winget_names=("$winget_id.yaml" "$winget_id.installer.yaml" "$winget_id.locale.en-US.yaml")
# make_winget_manifests: the version, installer and default-locale files for
# this setup. No install-location switch: the saver's folder cannot move.
make_winget_manifests() {
  local url=${release_url:-https://orvane.invalid/releases/$version}
  local setup=$dist/Orvane-$version-setup.exe sha schema=1.9.0 common
  sha=$(sha256sum "$setup" | cut -d' ' -f1) || return 1
  common="PackageIdentifier: $winget_id
PackageVersion: $version"
  cat >"$dist/${winget_names[0]}" <<EOF
# yaml-language-server: \$schema=https://aka.ms/winget-manifest.version.$schema.schema.json
$common
DefaultLocale: en-US
ManifestType: version
ManifestVersion: $schema
EOF
  # Exit code 2 through winget, which never passes /D=: a newer Orvane is
  # installed (or the computer has no drive C:).
  cat >"$dist/${winget_names[1]}" <<EOF
# yaml-language-server: \$schema=https://aka.ms/winget-manifest.installer.$schema.schema.json
$common
InstallerType: nullsoft
Scope: machine
ElevationRequirement: elevatesSelf
UpgradeBehavior: install
InstallModes:
  - interactive
  - silent
InstallerSwitches:
  Silent: /S
  SilentWithProgress: /S
  Custom: /SETSAVER /NOTUNE
ExpectedReturnCodes:
  - InstallerReturnCode: 2
    ReturnResponse: downgrade
  - InstallerReturnCode: 740
    ReturnResponse: blockedByPolicy
ReleaseDate: $(date -u -d "@$SOURCE_DATE_EPOCH" +%Y-%m-%d)
AppsAndFeaturesEntries:
  - DisplayName: Orvane
    Publisher: The Orvane developers
    DisplayVersion: $version
    ProductCode: Orvane
Installers:
  - Architecture: x64
    InstallerUrl: '${url%/}/Orvane-$version-setup.exe'
    InstallerSha256: ${sha^^}
ManifestType: installer
ManifestVersion: $schema
EOF
  cat >"$dist/${winget_names[2]}" <<EOF
# yaml-language-server: \$schema=https://aka.ms/winget-manifest.defaultLocale.$schema.schema.json
$common
PackageLocale: en-US
Publisher: The Orvane developers
PackageName: Orvane
License: MIT
Copyright: Copyright (c) 2026 The Orvane developers
ShortDescription: A screen saver, a slow flight through a glowing nebula to a calm tune.
Tags:
  - screensaver
ManifestType: defaultLocale
ManifestVersion: $schema
EOF
}

# --- Debian package ----------------------------------------------------------------
make_deb() {
  rm -rf "$build/native/package"
  (cd "$build/native" && cpack -G DEB -B "$build/native/package")
  local deb
  deb=$(cd "$build/native/package" && ls orvane_"$version"_*.deb)
  rm -f "$dist"/orvane_"$version"_*.deb
  cp "$build/native/package/$deb" "$dist/"
}

# --- web page ----------------------------------------------------------------------
# make_web_zip: the page built by emscripten (preset release-web, in web/)
# with this build's pictures, staged with the commit's file times and zipped
# like the Windows zips. emcc finds its modules through the preset's NODE_PATH.
make_web_zip() {
  local name=Orvane-$version-web
  local folder=$build/stage/$name
  cmake -S "$repo" --preset release-web -B "$build/web" &&
    NODE_PATH=${NODE_PATH:-/usr/share/nodejs} cmake --build "$build/web" || return 1
  rm -rf "$folder"
  mkdir -p "$folder"
  cp "$build/web/page/"{index.html,page.css,page.js,orvane.js,orvane.wasm,orvane.data} "$folder/"
  cp "$repo/LICENSE" "$folder/LICENSE.txt"
  sed "s/@VERSION@/$version/" "$repo/packaging/web/README.txt" >"$folder/README.txt"
  chmod 755 "$folder"
  chmod 644 "$folder"/*
  touch -d "@$SOURCE_DATE_EPOCH" "$folder" "$folder"/*
  make_zip web
}
# --- sources, checksums, signature -------------------------------------------------
# The commit's tracked files; git archive gives them the commit's time, and
# gzip -n leaves out the name and time of the tar.
make_source() {
  local out=$dist/orvane-$version.tar.gz
  git -C "$repo" archive --format=tar --prefix="orvane-$version/" HEAD | gzip -9n >"$out.tmp"
  mv "$out.tmp" "$out"
}

# release_files: this version's files in dist/, by name.
release_files() {
  local file
  for file in "$dist/Orvane-$version-"* "$dist"/orvane_"$version"_*.deb "$dist/orvane-$version.tar.gz" \
    "${winget_names[@]/#/$dist/}"; do
    if [[ -e $file ]]; then echo "${file##*/}"; fi
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
  step "Orvane-$version-$arch.zip" make_zip "$arch"
done
step "Orvane-$version-setup.exe" make_installer
step "winget manifest" make_winget_manifests
[[ -n $release_url ]] ||
  echo "release: note: no ORVANE_RELEASE_URL, so the winget manifest points at https://orvane.invalid/releases/$version/"
step "Debian package" make_deb
step "Orvane-$version-web.zip" make_web_zip
if git -C "$repo" rev-parse --verify -q HEAD >/dev/null 2>&1; then
  step "orvane-$version.tar.gz" make_source
  [[ -z $(git -C "$repo" status --porcelain --untracked-files=no) ]] ||
    echo "release: note: the working tree differs from HEAD; the source archive holds HEAD"
else
  echo "release: not a git checkout, so no source archive"
fi
step "SHA256SUMS" make_checksums

echo "release: version $version, from commit time $SOURCE_DATE_EPOCH" \
  "($([[ $authenticode -eq 1 ]] && echo "Authenticode-signed" || echo "unsigned")$([[ -n ${ORVANE_GPG_KEY:-} ]] && echo ", checksums signed"))"
for file in $(release_files) SHA256SUMS $([[ -n ${ORVANE_GPG_KEY:-} ]] && echo SHA256SUMS.asc); do
  echo "$dist/$file  ($(stat -c %s "$dist/$file") bytes)"
done
