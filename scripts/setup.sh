#!/usr/bin/env bash
# Installs what Orvane needs on Debian 12. Usage: setup.sh demo|quick|test|release|web|loop
# quick: the native build and its tests only (test.sh quick); test: every suite.
# As root it installs the missing packages with apt-get; otherwise it names
# them and uses sudo when that works without a password.
set -euo pipefail

profile=${1:-test}
packages=(cmake ninja-build g++ pkg-config freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri libx11-dev
          xvfb xauth x11-utils netpbm)
# The Linux saver: fluidsynth plays its tune with the General MIDI sound font.
packages+=(libfluidsynth-dev timgm6mb-soundfont)
# The default build (the default preset) compiles the tests and the benchmark too.
packages+=(libgtest-dev libbenchmark-dev)
# The tune's live test plays into a PulseAudio server of its own.
if [ "$profile" = quick ] || [ "$profile" = test ]; then
  packages+=(pulseaudio pulseaudio-utils)
fi
# The README's moving picture (make-flight-loop.sh): animated WebP.
if [ "$profile" = loop ]; then
  packages+=(webp)
fi
if [ "$profile" = test ]; then
  packages+=(clang-14 libclang-rt-14-dev
             mingw-w64 wine64 wine)
  # The real xscreensaver daemon drives the saver; xwd reads back its screen.
  packages+=(xscreensaver xscreensaver-gl xsecurelock x11-apps procps)
  # MATE's screen saver and its preferences, in a session bus of their own
  # (dbus-run-session), set with gsettings through dconf; they count monitors
  # by RandR output, so their display is the X server with its dummy driver.
  packages+=(mate-screensaver dbus-daemon dbus-x11 dconf-gsettings-backend dconf-service libglib2.0-bin
             x11-xserver-utils xserver-xorg-core xserver-xorg-video-dummy)
fi
# The web page (demo.sh --web, its release zip): Debian's emscripten, whose
# compiler runs on Node.js; its tests drive Debian's Chromium through
# playwright-core, installed from package-lock.json into node_modules/.
if [ "$profile" = web ] || [ "$profile" = test ] || [ "$profile" = release ]; then
  packages+=(emscripten nodejs)
  # Node.js from elsewhere than Debian brings npm itself.
  command -v npm >/dev/null || packages+=(npm)
fi
if [ "$profile" = test ]; then
  packages+=(chromium)
fi
# Release files (release.sh): cross compilers, installer maker, zip, Debian
# packaging, and the signing tools it uses when given a certificate or key.
if [ "$profile" = test ] || [ "$profile" = release ]; then
  packages+=(mingw-w64 nsis zip dpkg-dev debhelper file git osslsigncode gnupg)
fi
# Their tests (test-release.sh): package checker, unzip, key presses and screen
# grabs, and openssl for a throw-away signing certificate.
if [ "$profile" = test ]; then
  packages+=(lintian desktop-file-utils unzip xdotool x11-apps openssl)
  # xmllint reads ctest's verdicts from its JUnit file (scripts/lib/junit.sh).
  packages+=(libxml2-utils)
  # localedef: the setup's languages, as wine takes them from LANG.
  packages+=(locales)
  # The Debian package built in a clean chroot and its autopkgtest run in
  # another, both made by mmdebstrap and entered through user namespaces.
  packages+=(sbuild mmdebstrap autopkgtest uidmap)
fi

# Unshare-mode chroots map their users onto the subordinate ids of whoever
# runs them, root in CI; a user without any gets the first free range.
subids() {
  [ "$profile" = test ] || return 0
  local user file taken=0 start
  user=$(id -un)
  for file in /etc/subuid /etc/subgid; do
    grep -q "^$user:" "$file" 2>/dev/null || taken=1
  done
  [ $taken -eq 1 ] || return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: $user has no range in /etc/subuid and /etc/subgid; the release test's chroots need one (usermod --add-subuids, --add-subgids)" >&2
    return 1
  fi
  start=$(cat /etc/subuid /etc/subgid 2>/dev/null | awk -F: 'BEGIN { end = 100000 } $2 + $3 > end { end = $2 + $3 } END { print end }')
  echo "setup: giving $user the subordinate ids $start-$((start + 65535))"
  usermod --add-subuids "$start-$((start + 65535))" --add-subgids "$start-$((start + 65535))" "$user"
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# npm ci for the web tests, after the packages: once, and again when the lock changes.
node_modules() {
  [ "$profile" = test ] || return 0
  local repo lock stamp
  repo=$(cd "$(dirname "$0")/.." && pwd)
  lock=$repo/package-lock.json
  stamp=$repo/node_modules/.orvane-lock
  if [ -f "$stamp" ] && cmp -s "$lock" "$stamp"; then return 0; fi
  echo "setup: npm ci (playwright-core for the web tests, ajv and yaml for the winget manifest's)"
  (cd "$repo" && npm ci --no-audit --no-fund --loglevel=error) && cp "$lock" "$stamp"
}

if [ ${#missing[@]} -eq 0 ]; then
  node_modules
  subids
  exit
fi

echo "setup: installing ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  apt_get=(apt-get -o DPkg::Lock::Timeout=600)
elif sudo -n true 2>/dev/null; then
  apt_get=(sudo -n apt-get -o DPkg::Lock::Timeout=600)
else
  echo "setup: these Debian packages are missing: ${missing[*]}" >&2
  echo "setup: install them as root (apt-get install ${missing[*]}) and run this again" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${apt_get[@]}" update -qq
"${apt_get[@]}" install -y -qq "${missing[@]}" </dev/null
node_modules
subids
