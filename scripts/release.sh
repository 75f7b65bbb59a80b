#!/usr/bin/env bash
# Builds Orvane's release files from this commit and leaves them in dist/:
#   Orvane-<version>-setup.exe    Windows installer (NSIS, 64-bit)
#   Orvane-<version>-win64.zip    saver, data, licence and read-me for x86_64
#   Orvane-<version>-win32.zip    the same for i686
#   orvane_<version>_<arch>.deb   Debian package of the viewer and its data
#   Orvane-<version>-web.zip      the web page (emscripten), to serve as it is
#
#   scripts/release.sh [DIST_DIR]
#
# Builds go to $ORVANE_RELEASE_BUILD (default build-release/): native/, win64/,
# win32/ and stage/. File times come from the commit (SOURCE_DATE_EPOCH), so
# two releases of one commit hold the same files.
set -euo pipefail
exec </dev/null
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ORVANE_RELEASE_BUILD:-$repo/build-release}
dist=${1:-$repo/dist}

bash "$repo/scripts/setup.sh" release

if [[ -z ${SOURCE_DATE_EPOCH:-} ]]; then
  SOURCE_DATE_EPOCH=$(git -C "$repo" log -1 --format=%ct 2>/dev/null || stat -c %Y "$repo/CMakeLists.txt")
fi
export SOURCE_DATE_EPOCH
# zip stores local times; one zone makes them the same everywhere.
export TZ=UTC
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
# The installed data folder is compiled into the viewer, hence /usr.
step "native build" cmake -S "$repo" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DORVANE_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr
step "native build" cmake --build "$build/native"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/native/CMakeCache.txt")
[[ -n $version ]] || { echo "release: no project version in $build/native/CMakeCache.txt" >&2; exit 1; }
data=$build/native/data

for arch in win64:x86_64 win32:i686; do
  dir=$build/${arch%%:*}
  step "${arch%%:*} build" cmake -S "$repo" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DORVANE_TESTS=OFF -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-${arch#*:}-w64-mingw32.cmake" \
    -DORVANE_ASSET_DIR="$data"
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
  local stage=$build/stage/setup-win64
  rm -rf "$stage"
  cp -r "$build/stage/Orvane-$version-win64" "$stage"
  cp "$data/orvane.ico" "$stage/"
  touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*
  rm -f "$dist/Orvane-$version-setup.exe"
  makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$dist/Orvane-$version-setup.exe" \
    "$repo/packaging/windows/orvane.nsi"
}

for arch in win64 win32; do
  step "stage $arch" stage_windows "$arch"
  step "Orvane-$version-$arch.zip" make_zip "$arch"
done
step "Orvane-$version-setup.exe" make_installer

# --- Debian package ----------------------------------------------------------------
make_deb() {
  rm -rf "$build/native/package"
  (cd "$build/native" && cpack -G DEB -B "$build/native/package")
  local deb
  deb=$(cd "$build/native/package" && ls orvane_"$version"_*.deb)
  rm -f "$dist"/orvane_"$version"_*.deb
  cp "$build/native/package/$deb" "$dist/"
}
step "Debian package" make_deb

# --- web page ----------------------------------------------------------------------
# make_web_zip: the page built by emscripten (the web preset, in build/web)
# with this build's pictures, staged with the commit's file times and zipped
# like the Windows zips.
make_web_zip() {
  local name=Orvane-$version-web
  local folder=$build/stage/$name
  cmake --preset web -B "$build/web" -DORVANE_ASSET_DIR="$data" -DORVANE_NATIVE_BUILD_DIR= &&
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
step "Orvane-$version-web.zip" make_web_zip

echo "release: version $version, from commit time $SOURCE_DATE_EPOCH"
for file in "$dist/Orvane-$version-setup.exe" "$dist/Orvane-$version-win64.zip" \
  "$dist/Orvane-$version-win32.zip" "$dist"/orvane_"$version"_*.deb; do
  echo "$file  ($(stat -c %s "$file") bytes)"
done
echo "$dist/Orvane-$version-web.zip  ($(stat -c %s "$dist/Orvane-$version-web.zip") bytes)"
