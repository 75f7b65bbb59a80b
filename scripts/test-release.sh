#!/usr/bin/env bash
# Tests the release files the way people use them:
#   - the Windows installer under wine64 in a fresh prefix on its own virtual
#     display: install, run the installed saver, upgrade, uninstall;
#   - the zips' contents;
#   - the Debian package: lintian, contents, installed with apt-get (as root)
#     and its programs run headless, reading only /usr/share/orvane;
#   - checksums, and signatures made with a throw-away certificate and key;
#   - a second release from a clone at another path holds the same bytes.
#
#   scripts/test-release.sh [DIST_DIR]
#
# Without DIST_DIR it runs release.sh into build-release/test/dist first.
# ORVANE_RELEASE_ONCE=1 skips the second release. The last line is
# "release: N passed, M failed"; the exit status is non-zero on any failure.
set -uo pipefail
exec </dev/null

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ORVANE_RELEASE_BUILD:-$repo/build-release}
mkdir -p "$build"
build=$(cd "$build" && pwd)
work=$build/test
logs=$work/logs
lit_share=$repo/scripts/lib/lit-share.sh
rm -rf "$work"
mkdir -p "$logs"

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "PASS  $1"; }
fail() { failed=$((failed + 1)); echo "FAIL  $1"; }
# check NAME COMMAND...: runs the command with its output in a log; its status decides.
check() {
  local name=$1 log
  shift
  log=$logs/$(printf '%02d' $((passed + failed + 1)))-$(tr -c 'A-Za-z0-9\n' '-' <<<"${name:0:40}").log
  if "$@" >"$log" 2>&1; then
    pass "$name"
  else
    fail "$name (log: $log)"
    tail -n 15 "$log" | sed 's/^      */      /; s/^/      /'
  fi
}
# poll SECONDS COMMAND...: until the command succeeds or the deadline passes.
poll() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.5
  done
}
finish_summary() {
  echo "release: $passed passed, $failed failed"
  [[ $failed -eq 0 ]]
}

version=$(sed -n 's/^project(Orvane VERSION \([0-9][0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")
arch=$(dpkg --print-architecture)

# --- the release ------------------------------------------------------------------
if [[ $# -ge 1 ]]; then
  dist=$(cd "$1" && pwd)
else
  dist=$work/dist
  check "release.sh builds the release" bash "$repo/scripts/release.sh" "$dist"
fi
setup=$dist/Orvane-$version-setup.exe
zip64=$dist/Orvane-$version-win64.zip
zip32=$dist/Orvane-$version-win32.zip
deb=$dist/orvane_${version}_$arch.deb
source_tar=$dist/orvane-$version.tar.gz
missing=0
for file in "$setup" "$zip64" "$zip32" "$deb" "$source_tar" "$dist/SHA256SUMS"; do
  if [[ -f $file ]]; then
    echo "MEASURE  ${file##*/}: $(stat -c %s "$file") bytes"
  else
    fail "no $file"
    missing=1
  fi
done
[[ $missing -eq 0 ]] || { finish_summary; exit 1; }

# --- the zips -----------------------------------------------------------------------
# zip_holds ARCH FILE_DESCRIPTION: the folder's exact list, a sound archive, the
# saver for the right machine, a read-me naming every file and where it goes.
zip_holds() {
  local zip=$dist/Orvane-$version-$1.zip folder=Orvane-$version-$1 out=$work/zip-$1
  diff <(printf '%s\n' "$folder/" "$folder/LICENSE.txt" "$folder/Orvane.ppm" "$folder/Orvane.scr" \
    "$folder/README.txt" "$folder/music.mid" "$folder/supernova.ppm" | LC_ALL=C sort) \
    <(unzip -Z1 "$zip" | LC_ALL=C sort) || return 1
  unzip -q -o "$zip" -d "$out" || return 1
  local kind
  kind=$(file "$out/$folder/Orvane.scr") || return 1
  echo "$kind"
  grep -q "$2" <<<"$kind" || return 1
  local readme=$out/$folder/README.txt name
  grep -q "Orvane $version" "$readme" || { echo "read-me without the version"; return 1; }
  grep -qF 'C:\Program Files\Orvane\' "$readme" || { echo "read-me without the data folder"; return 1; }
  for name in Orvane.scr supernova.ppm Orvane.ppm music.mid LICENSE.txt System32; do
    grep -q "$name" "$readme" || { echo "read-me does not mention $name"; return 1; }
  done
  grep -q "MIT License" "$out/$folder/LICENSE.txt"
}
check "win64 zip: files, x86-64 saver, read-me" zip_holds win64 'PE32+ executable (GUI) x86-64'
check "win32 zip: files, i386 saver, read-me" zip_holds win32 'PE32 executable (GUI) Intel 80386'
zip64_dir=$work/zip-win64/Orvane-$version-win64
same_data() {
  local name
  for name in supernova.ppm Orvane.ppm music.mid; do
    cmp "$zip64_dir/$name" "$work/zip-win32/Orvane-$version-win32/$name" || return 1
  done
}
check "both zips carry the same pictures and tune" same_data
zips_name_syswow64() {
  grep -q 'SysWOW64' "$zip64_dir/README.txt" && grep -q 'SysWOW64' "$work/zip-win32/Orvane-$version-win32/README.txt"
}
check "the read-me says where a 32-bit saver goes on 64-bit Windows" zips_name_syswow64

# --- checksums, sources, signatures --------------------------------------------------
release_names=("${setup##*/}" "${zip32##*/}" "${zip64##*/}" "${deb##*/}" "${source_tar##*/}" "Orvane-$version-web.zip")
# Every release file listed once, and every sum right.
checksums_hold() {
  diff <(printf '%s\n' "${release_names[@]}" | LC_ALL=C sort) <(awk '{ print $2 }' "$1/SHA256SUMS" | LC_ALL=C sort) ||
    return 1
  (cd "$1" && sha256sum --strict -c SHA256SUMS)
}
check "SHA256SUMS lists every release file and each sum holds" checksums_hold "$dist"
# The commit's tracked files under orvane-VERSION/, each with the commit's time,
# and a gzip header with no name or time of its own.
source_archive_is_the_commit() {
  local commit_time listing
  commit_time=$(git -C "$repo" log -1 --format=%ct) || return 1
  diff <(git -C "$repo" ls-tree -r --name-only HEAD | sed "s|^|orvane-$version/|" | LC_ALL=C sort) \
    <(tar -tzf "$source_tar" | grep -v '/$' | LC_ALL=C sort) || return 1
  listing=$(TZ=UTC tar --full-time -tvzf "$source_tar") || return 1
  awk -v want="$(TZ=UTC date -d "@$commit_time" '+%Y-%m-%d %H:%M:%S')" \
    '$4 " " $5 != want { print "time " $4 " " $5 " on " $6 ", expected " want; bad = 1 } END { exit bad }' \
    <<<"$listing" || return 1
  [[ $(od -An -tu1 -j3 -N5 "$source_tar" | tr -s ' ') == " 0 0 0 0 0" ]] ||
    { echo "gzip header carries a name or a time"; return 1; }
}
check "orvane-$version.tar.gz holds the commit's files at the commit's time" source_archive_is_the_commit
unsigned_without_keys() {
  local file
  [[ ! -e $dist/SHA256SUMS.asc ]] || { echo "SHA256SUMS.asc without a key"; return 1; }
  for file in "$setup" "$zip64_dir/Orvane.scr"; do
    ! osslsigncode verify -in "$file" >/dev/null 2>&1 || { echo "$file is signed"; return 1; }
  done
}
check "without a certificate or key nothing is signed" unsigned_without_keys

# A throw-away code-signing certificate and gpg key sign a second release made
# from the same build folder.
keys=$work/keys
signed=$work/signed-dist
gpg_home=
make_throwaway_keys() {
  mkdir -p "$keys" && chmod 700 "$keys" || return 1
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$keys/key.pem" -out "$keys/cert.pem" -days 2 \
    -subj "/CN=Orvane release test" -addext "keyUsage=critical,digitalSignature" \
    -addext "extendedKeyUsage=codeSigning" || return 1
  # A short path: gpg-agent's socket lives in it.
  gpg_home=$(mktemp -d /tmp/orvane-gpg.XXXXXX) || return 1
  GNUPGHOME=$gpg_home gpg --batch --pinentry-mode loopback --passphrase '' --quick-gen-key \
    "Orvane release test <release-test@orvane.invalid>" ed25519 sign 1d
}
signed_release() {
  GNUPGHOME=$gpg_home ORVANE_SIGN_CERT=$keys/cert.pem ORVANE_SIGN_KEY=$keys/key.pem \
    ORVANE_GPG_KEY=release-test@orvane.invalid ORVANE_RELEASE_BUILD=$build \
    bash "$repo/scripts/release.sh" "$signed"
}
authenticode_ok() { osslsigncode verify -CAfile "$keys/cert.pem" -in "$1"; }
signatures_verify() {
  local arch
  authenticode_ok "$signed/${setup##*/}" || return 1
  for arch in win64 win32; do
    rm -rf "$work/signed-$arch"
    unzip -q "$signed/Orvane-$version-$arch.zip" -d "$work/signed-$arch" || return 1
    authenticode_ok "$work/signed-$arch/Orvane-$version-$arch/Orvane.scr" || return 1
  done
  GNUPGHOME=$gpg_home gpg --verify "$signed/SHA256SUMS.asc" "$signed/SHA256SUMS" || return 1
  checksums_hold "$signed"
}
# flip_byte FILE OFFSET: changes one bit of one byte.
flip_byte() {
  local byte
  byte=$(od -An -tu1 -j "$2" -N1 "$1" | tr -d ' ')
  printf "$(printf '\\%03o' $((byte ^ 1)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
one_byte_fails() {
  local tampered=$work/tampered
  # Only a change to files that verified as made says anything.
  authenticode_ok "$signed/${setup##*/}" >/dev/null &&
    GNUPGHOME=$gpg_home gpg --verify "$signed/SHA256SUMS.asc" "$signed/SHA256SUMS" 2>/dev/null ||
    { echo "the signed files do not verify to begin with"; return 1; }
  rm -rf "$tampered" && cp -r "$signed" "$tampered" || return 1
  flip_byte "$tampered/${setup##*/}" $(($(stat -c %s "$tampered/${setup##*/}") / 2))
  flip_byte "$tampered/SHA256SUMS" 10
  if authenticode_ok "$tampered/${setup##*/}"; then echo "a changed setup verified"; return 1; fi
  if GNUPGHOME=$gpg_home gpg --verify "$tampered/SHA256SUMS.asc" "$tampered/SHA256SUMS"; then
    echo "changed checksums verified"
    return 1
  fi
  cp "$signed/SHA256SUMS" "$tampered/SHA256SUMS"
  if (cd "$tampered" && sha256sum -c SHA256SUMS); then echo "sha256sum -c passed a changed setup"; return 1; fi
}
check "throw-away code-signing certificate and gpg key" make_throwaway_keys
check "release.sh signs with them" signed_release
check "every signature verifies: setup, both savers, SHA256SUMS" signatures_verify
check "a file changed by one byte fails verification" one_byte_fails

# --- the web page's zip --------------------------------------------------------------
# web_zip_holds: the folder's exact list, a read-me with the version, a page
# that links this version's setup and Debian package (beside its folder, as
# in the release), and that page in headless Chromium drawing the nebula.
web_zip_holds() {
  local zip=$dist/Orvane-$version-web.zip folder=Orvane-$version-web out=$work/zip-web
  diff <(printf '%s\n' "$folder/" "$folder/"{LICENSE.txt,README.txt,index.html,orvane.data,orvane.js,orvane.wasm,page.css,page.js} |
    LC_ALL=C sort) <(unzip -Z1 "$zip" | LC_ALL=C sort) || return 1
  unzip -q -o "$zip" -d "$out" || return 1
  grep -q "Orvane $version" "$out/$folder/README.txt" || { echo "read-me without the version"; return 1; }
  grep -qF "href=\"../${setup##*/}\"" "$out/$folder/index.html" &&
    grep -qF "href=\"../${deb##*/}\"" "$out/$folder/index.html" || { echo "the page links other files"; return 1; }
  node "$repo/tests/web/page_test.js" "$work/web-shots" "$out/$folder"
}
check "web zip: files, read-me, links to this version's files, the page in Chromium" web_zip_holds

# --- the installer under wine --------------------------------------------------------
xvfb_pid=
prefix=$work/wineprefix
export WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win64
# Debian's launcher wants a 32-bit half this machine need not have.
if [[ -x /usr/lib/wine/wine64 ]]; then wine=/usr/lib/wine/wine64; else wine=$(command -v wine64 || command -v wine); fi
export WINELOADER=$wine
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
deb_installed=0
cleanup() {
  if [[ -n $gpg_home ]]; then GNUPGHOME=$gpg_home gpgconf --kill gpg-agent 2>/dev/null; rm -rf "$gpg_home"; fi
  if [[ -d $prefix ]]; then timeout -k 5 30 "$wineserver" -k >/dev/null 2>&1 || true; fi
  if [[ -n $xvfb_pid ]]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  if [[ $deb_installed -eq 1 ]]; then
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 purge -y -qq orvane >/dev/null 2>&1 || true
  fi
}
trap cleanup EXIT

xvfb_up() { xdpyinfo -display ":$display" >/dev/null 2>&1 || ! kill -0 "$xvfb_pid" 2>/dev/null; }
# Our own Xvfb on a free number; another test may take a number between our
# look and our start, so a server that dies at once means: try the next.
start_display() {
  local n
  for n in $(seq 160 230); do
    [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]] || continue
    display=$n
    Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$logs/xvfb.log" 2>&1 &
    xvfb_pid=$!
    poll 30 xvfb_up || return 1
    # The lock names the server that owns the number.
    if kill -0 "$xvfb_pid" 2>/dev/null && [[ $(tr -d ' \n' <"/tmp/.X$n-lock") == "$xvfb_pid" ]]; then
      export DISPLAY=:$display
      return 0
    fi
    xvfb_pid=
  done
  echo "no free display"
  return 1
}
make_prefix() {
  # No installer dialogs for components we never use: they would block a headless run.
  WINEDLLOVERRIDES="mscoree,mshtml=" timeout -k 10 300 "$wine" wineboot -i || return 1
  timeout -k 10 120 "$wineserver" -w || return 1
  # A crash must end the process, not wait for someone to close a dialog.
  timeout -k 10 60 "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
}
check "virtual display" start_display
check "fresh wine prefix" make_prefix

drive_c=$prefix/drive_c
system32=$drive_c/windows/system32
install_dir="$drive_c/Program Files/Orvane"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane'
desktop_key='HKCU\Control Panel\Desktop'
memory_key='HKCU\Software\Orvane'
installed_saver='C:\windows\system32\Orvane.scr'

reg() { timeout -k 10 60 "$wine" reg "$@" 2>/dev/null | tr -d '\r'; }
# reg_value KEY NAME: prints the value's data; fails when it is not there.
reg_value() {
  local out
  out=$(reg query "$1" /v "$2") || return 1
  awk -F '    ' -v name="$2" '$2 == name { print $4; found = 1 } END { exit !found }' <<<"$out"
}
key_exists() { timeout -k 10 60 "$wine" reg query "$1" >/dev/null 2>&1; }
# expect_value KEY NAME DATA (DATA "-" means absent); names are compared without case.
expect_value() {
  local got
  if ! got=$(reg_value "$1" "$2"); then
    [[ $3 == - ]] && return 0
    echo "$1 $2: absent, expected \"$3\""
    return 1
  fi
  if [[ $3 == - || ${got,,} != "${3,,}" ]]; then
    echo "$1 $2: \"$got\", expected \"$3\""
    return 1
  fi
}
set_saver() { reg add "$desktop_key" /v SCRNSAVE.EXE /t REG_SZ /d "$1" /f >/dev/null; }
set_active() { reg add "$desktop_key" /v ScreenSaveActive /t REG_SZ /d "$1" /f >/dev/null; }

run_setup() { timeout -k 10 180 "$wine" "$setup" /S "$@"; }
# Runs the entry's QuietUninstallString as Windows would. NSIS's uninstaller
# copies itself away and starts again, so wait for every process in the prefix.
run_uninstall() {
  local quiet exe
  quiet=$(reg_value "$uninstall_key" QuietUninstallString) || { echo "no QuietUninstallString"; return 1; }
  [[ $quiet =~ ^\"([^\"]+)\"\ /S$ ]] || { echo "unexpected QuietUninstallString $quiet"; return 1; }
  exe=${BASH_REMATCH[1]}
  timeout -k 10 180 "$wine" "$exe" /S || return 1
  timeout -k 10 180 "$wineserver" -w
}

expected_install_list=$'LICENSE.txt\nOrvane.ppm\nREADME.txt\nUninstall.exe\nmusic.mid\nsupernova.ppm'
# Every file where the saver and Windows look for it, and nothing else of ours.
files_in_place() {
  diff <(echo "$expected_install_list") <(cd "$install_dir" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort) ||
    return 1
  cmp "$system32/Orvane.scr" "$zip64_dir/Orvane.scr" || return 1
  local name
  for name in supernova.ppm Orvane.ppm music.mid README.txt LICENSE.txt; do
    cmp "$install_dir/$name" "$zip64_dir/$name" || return 1
  done
}
entry_in_place() {
  local size
  expect_value "$uninstall_key" DisplayName Orvane &&
    expect_value "$uninstall_key" DisplayVersion "$version" &&
    expect_value "$uninstall_key" Publisher "The Orvane developers" &&
    expect_value "$uninstall_key" DisplayIcon "$installed_saver,0" &&
    expect_value "$uninstall_key" UninstallString '"C:\Program Files\Orvane\Uninstall.exe"' &&
    expect_value "$uninstall_key" QuietUninstallString '"C:\Program Files\Orvane\Uninstall.exe" /S' ||
    return 1
  # Today's date as Windows shows it, yyyymmdd (or yesterday's, past midnight).
  local date
  date=$(reg_value "$uninstall_key" InstallDate) || { echo "no InstallDate"; return 1; }
  [[ $date == "$(date +%Y%m%d)" || $date == "$(date -d yesterday +%Y%m%d)" ]] ||
    { echo "InstallDate $date"; return 1; }
  # Kilobytes of everything installed, rounded up.
  size=$(cat "$install_dir"/* "$system32/Orvane.scr" | wc -c)
  expect_value "$uninstall_key" EstimatedSize "$(printf '0x%x' $(((size + 1023) / 1024)))"
}
chosen_as_saver() {
  expect_value "$desktop_key" SCRNSAVE.EXE "$installed_saver" && expect_value "$desktop_key" ScreenSaveActive 1
}
one_entry() {
  local all count
  all=$(reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s) ||
    { echo "reg query failed: $all"; return 1; }
  count=$(grep -c '^    DisplayName    REG_SZ    Orvane$' <<<"$all")
  [[ $count -eq 1 ]] || { echo "$count entries named Orvane in:"; echo "$all"; return 1; }
}
nothing_of_ours() {
  local bad=0
  [[ ! -e $system32/Orvane.scr ]] || { echo "System32\\Orvane.scr is still there"; bad=1; }
  [[ ! -e $install_dir ]] || { echo "Program Files\\Orvane is still there:"; ls -la "$install_dir"; bad=1; }
  ! key_exists "$uninstall_key" || { echo "the uninstall entry is still there"; bad=1; }
  ! key_exists "$memory_key" || { echo "HKCU\\Software\\Orvane is still there"; bad=1; }
  return $bad
}

# The installed saver, started from System32 with another working directory,
# as the display settings start it: it must draw the nebula, and a key ends it.
saver_rc=$work/saver.rc
saver_lit() {
  local shot=$work/saver-screen.ppm
  xwd -root -silent | xwdtopnm >"$shot" 2>/dev/null || return 1
  cloud=$(bash "$lit_share" "$shot" 38 30 58 62) && title=$(bash "$lit_share" "$shot" 73 68 86 80) &&
    corner=$(bash "$lit_share" "$shot" 0 0 20 20) || return 1
  ((cloud >= 100 && title >= 100 && corner <= 20))
}
saver_gone() { ! kill -0 "$saver_pid" 2>/dev/null; }
installed_saver_runs() {
  local elsewhere=$work/elsewhere
  mkdir -p "$elsewhere"
  rm -f "$saver_rc"
  (cd "$elsewhere" && timeout -k 10 300 "$wine" "$installed_saver" /s >"$work/saver.out" 2>"$work/saver.err"
    echo $? >"$saver_rc") &
  saver_pid=$!
  cloud=0 title=0 corner=0
  if ! poll 120 saver_lit; then
    echo "no nebula on the screen: cloud $cloud, title $title, corner $corner per mille lit"
    pnmtopng "$work/saver-screen.ppm" >"$work/saver-screen.png" 2>/dev/null
    return 1
  fi
  echo "MEASURE  installed saver's screen: cloud $cloud, title $title, dark corner $corner per mille lit" |
    tee "$work/saver.measure"
  xdotool key space
  poll 60 saver_gone || { echo "the saver did not end on a key"; return 1; }
  wait "$saver_pid"
  [[ $(cat "$saver_rc") == 0 ]] || { echo "exit code $(cat "$saver_rc")"; cat "$work/saver.err"; return 1; }
}

previous_kept() { expect_value "$desktop_key" SCRNSAVE.EXE "$1" && expect_value "$desktop_key" ScreenSaveActive "$2"; }

# 1. A fresh Windows with no saver chosen; the administrator asks for Orvane.
check "fresh prefix has no screen saver chosen" previous_kept - -
check "setup.exe /S /SETSAVER installs" run_setup /SETSAVER
check "files where the saver and Windows expect them" files_in_place
check "Apps & features entry" entry_in_place
check "Orvane chosen as the screen saver" chosen_as_saver
check "Orvane.scr /s from System32 draws the nebula, a key ends it with 0" installed_saver_runs
[[ -f $work/saver.measure ]] && cat "$work/saver.measure"
check "silent uninstall runs" run_uninstall
check "uninstall leaves no file, folder or key of ours" nothing_of_ours
check "uninstall puts back no screen saver" previous_kept - -

# 2. Another saver chosen before; installed twice.
set_saver 'C:\windows\system32\before.scr'
set_active 0
check "setup.exe /S /SETSAVER over another saver" run_setup /SETSAVER
check "setup.exe /S /SETSAVER again (same version)" run_setup /SETSAVER
check "one Apps & features entry after two installs" one_entry
check "no leftovers after two installs" files_in_place
check "Orvane still chosen" chosen_as_saver
check "silent uninstall runs" run_uninstall
check "uninstall leaves nothing of ours" nothing_of_ours
check "uninstall puts the previous saver back" previous_kept 'C:\windows\system32\before.scr' 0

# 3. The user chooses another saver after installing Orvane.
check "setup.exe /S /SETSAVER" run_setup /SETSAVER
set_saver 'C:\windows\system32\later.scr'
check "silent uninstall runs" run_uninstall
check "uninstall leaves nothing of ours" nothing_of_ours
check "uninstall keeps the saver chosen since" previous_kept 'C:\windows\system32\later.scr' 1

# installs_keeping_choice SAVER ACTIVE SWITCH...: with SAVER chosen, the setup
# installs and leaves the choice as it was, remembering nothing.
installs_keeping_choice() {
  local saver=$1 active=$2
  shift 2
  set_saver "$saver" && set_active "$active" || return 1
  run_setup "$@" || return 1
  files_in_place && previous_kept "$saver" "$active" || return 1
  ! key_exists "$memory_key" || { echo "HKCU\\Software\\Orvane written"; return 1; }
}
# 4. The box unticked (/KEEPSAVER), and a plain silent install (a deployment
# tool's): nobody's choice changes.
for switches in /KEEPSAVER "" "/SETSAVER /KEEPSAVER"; do
  # shellcheck disable=SC2086 # the switches are separate words
  check "setup.exe /S ${switches:+$switches }installs and leaves SCRNSAVE.EXE as it was" \
    installs_keeping_choice 'C:\windows\system32\mine.scr' 0 $switches
  check "silent uninstall runs" run_uninstall
  check "uninstall leaves nothing of ours" nothing_of_ours
  check "uninstall keeps the saver that was chosen" previous_kept 'C:\windows\system32\mine.scr' 0
done

# 5. /D= may name the saver's own folder; any other folder is refused with
# exit code 2 and nothing changed.
elsewhere_dir=$drive_c/Elsewhere
refuses_other_folder() {
  local status
  run_setup /SETSAVER '/D=C:\Elsewhere'
  status=$?
  [[ $status -eq 2 ]] || { echo "exit code $status, expected 2"; return 1; }
  [[ ! -e $elsewhere_dir ]] || { echo "C:\\Elsewhere was made"; return 1; }
  nothing_of_ours && previous_kept 'C:\windows\system32\mine.scr' 0
}
check "setup.exe /S /D=C:\Elsewhere refuses with exit code 2 and changes nothing" refuses_other_folder
installs_at_own_folder() {
  run_setup /SETSAVER '/D=C:\Program Files\Orvane' || return 1
  files_in_place && entry_in_place && chosen_as_saver
}
check "setup.exe /S /D=<the saver's folder> installs there" installs_at_own_folder
check "Orvane.scr /s from that install draws the nebula" installed_saver_runs
check "silent uninstall runs" run_uninstall
check "uninstall leaves nothing of ours" nothing_of_ours

# 6. An older Orvane is there: the setup upgrades it in place.
upgrades_older() {
  reg add "$uninstall_key" /v DisplayVersion /t REG_SZ /d 0.9.0 /f >/dev/null || return 1
  run_setup || return 1
  expect_value "$uninstall_key" DisplayVersion "$version" && one_entry && files_in_place
}
check "setup.exe /S over an older version upgrades in place" upgrades_older
check "silent uninstall runs" run_uninstall
check "uninstall leaves nothing of ours" nothing_of_ours

# 7. A newer Orvane is already there: the installer leaves it alone.
refuses_downgrade() {
  reg add "$uninstall_key" /v DisplayVersion /t REG_SZ /d 99.0.0 /f >/dev/null || return 1
  if run_setup; then echo "setup succeeded over a newer version"; return 1; fi
  [[ ! -e $system32/Orvane.scr && ! -e $install_dir ]] || { echo "setup changed files"; return 1; }
  expect_value "$uninstall_key" DisplayVersion 99.0.0 || return 1
  reg delete "$uninstall_key" /f >/dev/null
}
check "setup.exe refuses to replace a newer version" refuses_downgrade

# 8. The signed setup installs a signed uninstaller and saver.
signed_install_verifies() {
  timeout -k 10 180 "$wine" "$signed/${setup##*/}" /S || return 1
  authenticode_ok "$install_dir/Uninstall.exe" && authenticode_ok "$system32/Orvane.scr"
}
if [[ -f $signed/${setup##*/} ]]; then
  check "the signed setup installs a signed uninstaller and saver" signed_install_verifies
  check "silent uninstall runs" run_uninstall
  check "uninstall leaves nothing of ours" nothing_of_ours
fi

timeout -k 5 30 "$wineserver" -k >/dev/null 2>&1 || true

# --- the Debian package -------------------------------------------------------------
# Every tag, down to the pedantic ones, is either mended or overridden with a reason.
lintian_clean() {
  lintian -I --pedantic --fail-on error,warning,info,pedantic --tag-display-limit 0 "$deb"
  local status=$?
  echo "MEASURE  lintian -I --pedantic: exit $status"
  return $status
}
check "lintian -I --pedantic reports nothing" lintian_clean
# No file names the folders it was built in, which a second clone would not share.
deb_root=$work/deb-root
path_free() {
  rm -rf "$deb_root" && dpkg-deb -x "$deb" "$deb_root" || return 1
  local found
  found=$(grep -rlaF -e "$repo" -e "$build" "$deb_root" "$zip64_dir" "$work/zip-win32") && {
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
    ./usr/bin/orvane-xscreensaver-setup ./usr/share/man/man1/orvane-xscreensaver-setup.1.gz; do
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

# The installed viewer on its own: no data variable, a folder with no build tree,
# and the release's build tree hidden, so only /usr/share/orvane can feed it.
viewer_draws_installed() {
  local here shot=$1
  here=$(mktemp -d)
  env -u ORVANE_DATA_DIR unshare -m sh -c '
    mount -t tmpfs none "$1" && cd "$2" &&
    exec xvfb-run -a -s "-screen 0 640x360x24" /usr/bin/orvane-viewer --seed 1 --frames 60 --capture "$3"' \
    sh "$build" "$here" "$shot" >"$here.out" 2>&1
  local status=$?
  tail -n 5 "$here.out"
  rm -rf "$here" "$here.out"
  [[ $status -eq 0 && -s $shot ]] || return 1
  cloud=$(bash "$lit_share" "$shot" 38 30 58 62) && title=$(bash "$lit_share" "$shot" 73 68 86 80) || return 1
  echo "MEASURE  installed viewer's frame: cloud $cloud, title $title per mille lit"
  ((cloud >= 100 && title >= 100))
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
  local shot
  shot=$(mktemp --suffix=.ppm)
  viewer_draws_installed "$shot"
  local status=$?
  rm -f "$shot"
  return $status
}
# hidden_data_stops PROGRAM ARGS...: with /usr/share/orvane hidden and the
# pictures planted at the build folder's data path (where a build-tree
# fallback would look), the installed program must open neither: a clear error
# and exit code 1. A program that found pictures would draw on, until the
# deadline ends it.
hidden_data_stops() {
  local planted=$build/native/data here status out
  if [[ ! -s $planted/supernova.ppm ]]; then
    mkdir -p "$planted" && cp /usr/share/orvane/* "$planted/" || return 1
  fi
  here=$(mktemp -d)
  env -u ORVANE_DATA_DIR unshare -m sh -c '
    mount -t tmpfs none /usr/share/orvane && cd "$1" && shift &&
    exec xvfb-run -a -s "-screen 0 640x360x24" timeout -k 5 120 "$@"' sh "$here" "$@" >"$here.out" 2>&1
  status=$?
  out=$(cat "$here.out")
  rm -rf "$here" "$here.out"
  echo "$out"
  [[ $status -eq 1 ]] || { echo "exit code $status, expected 1"; return 1; }
  # The diagnostic names its source file by base name, built from any folder.
  grep -qF 'Cannot open texure file /usr/share/orvane/supernova.ppm' <<<"$out" &&
    grep -q 'Texture setup error\. main\.cpp, [0-9]*$' <<<"$out"
}
deb_removes() {
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 purge -y -qq orvane || return 1
  deb_installed=0
  [[ ! -e /usr/bin/orvane-viewer && ! -e /usr/share/orvane && ! -e /usr/share/doc/orvane ]]
}
check "apt-get installs the package; its viewer draws from /usr/share/orvane" deb_installs_and_runs
grep -ah '^MEASURE' "$logs"/*installs-the-package* 2>/dev/null
if [[ $deb_installed -eq 1 ]]; then
  check "installed viewer: no /usr/share/orvane, planted build data: exit 1" \
    hidden_data_stops /usr/bin/orvane-viewer --frames 5
  check "installed saver: no /usr/share/orvane, planted build data: exit 1" \
    hidden_data_stops /usr/libexec/xscreensaver/orvane -window
fi
if [[ $deb_installed -eq 1 ]]; then check "apt-get purge removes it" deb_removes; fi

# --- a second release, from a clone at another path -----------------------------------
# A clone of this commit, with the working tree's uncommitted changes, in a
# folder of another name, built in a build folder of another name: every file
# must come out byte for byte the same.
clone_here() {
  local clone=$1
  git clone -q --no-hardlinks "$repo" "$clone" &&
    git -C "$clone" checkout -q --detach "$(git -C "$repo" rev-parse HEAD)" || return 1
  if [[ -n $(git -C "$repo" diff HEAD) ]]; then
    git -C "$repo" diff --binary HEAD | git -C "$clone" apply --whitespace=nowarn || return 1
  fi
  (cd "$repo" && git ls-files -o --exclude-standard -z | tar --null -T - -cf -) | tar -C "$clone" -xf -
}
same_release() {
  local again=$work/again clone=$work/again/elsewhere/orvane-clone
  rm -rf "$again"
  clone_here "$clone" || return 1
  ORVANE_RELEASE_BUILD=$again/out bash "$clone/scripts/release.sh" "$again/dist" || return 1
  checksums_hold "$again/dist" || return 1
  local name differing=()
  for name in "${release_names[@]}" SHA256SUMS; do
    cmp -s "$dist/$name" "$again/dist/$name" || differing+=("$name")
  done
  echo "MEASURE  compared: ${release_names[*]} SHA256SUMS" | tee "$work/again.measure"
  echo "MEASURE  differing: ${differing[*]:-none}" | tee -a "$work/again.measure"
  [[ ${#differing[@]} -eq 0 ]]
}
if [[ ${ORVANE_RELEASE_ONCE:-0} != 1 ]]; then
  check "a release from a clone at another path is byte-identical" same_release
  [[ -f $work/again.measure ]] && cat "$work/again.measure"
fi

finish_summary
