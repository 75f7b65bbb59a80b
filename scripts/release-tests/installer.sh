#!/usr/bin/env bash
# The Windows installer as people meet it, under wine64 in a fresh prefix on
# a virtual display of its own: silent installs with and without /SETSAVER,
# the files, the Apps & features entry and the chosen screen saver, the
# installed saver drawing the nebula, uninstalls that leave nothing of ours and
# put the previous choice back, /D= as Windows passes it, the tune left out and
# kept out, the setup's language, upgrades and downgrades, the signed setup
# (when checksums-and-signatures.sh made one in the same build folder), and
# the winget manifest against winget's schemas.
#
#   scripts/release-tests/installer.sh DIST
#
# The last line is "installer: N passed, M failed"; the exit status is
# non-zero on any failure.
set -euo pipefail
exec </dev/null
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$repo/scripts/lib/display.sh"
source "$repo/scripts/lib/nebula.sh"
source "$repo/scripts/lib/wait.sh"
source "$repo/scripts/lib/wine.sh"
part_start installer "$@"

prefix=$part_dir/wineprefix
wine_use "$prefix"
wine=$WINELOADER
part_cleanup() {
  if [[ -d $prefix ]]; then wine_server_end; fi
  display_stop
}

# Each manifest file valid against the schema it names, all of this release,
# and the installer's pointing at this setup.
manifest_valid() {
  (cd "$repo" && node scripts/release-tests/check-winget-manifest.js "$dist" packaging/winget/schemas \
    Orvane.Orvane "$version") || return 1
  grep -Fx "    InstallerSha256: $(sha256sum "$setup" | cut -d' ' -f1 | tr a-f A-F)" "$dist/${release_file[winget_installer]}"
}
check "winget manifest: valid by winget's schemas, this version, this setup's SHA-256" manifest_valid

check "virtual display" display_start 1024x768x24
check "fresh wine prefix" wine_prefix_ready

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
# run_setup_line SWITCHES: the silent setup's command line as one string, as
# Windows callers pass it (wine would quote an argument holding a space, and
# NSIS reads /D= only at the start of a word).
check "the setup copied to C:\\" cp "$setup" "$drive_c/orvane-setup.exe"
run_setup_line() { timeout -k 10 180 "$wine" cmd /c "C:\orvane-setup.exe /S $1"; }
# Runs the entry's QuietUninstallString as Windows would. NSIS's uninstaller
# copies itself away and starts again, so wait for every process in the prefix.
run_uninstall() {
  local quiet exe
  quiet=$(reg_value "$uninstall_key" QuietUninstallString) || { echo "no QuietUninstallString"; return 1; }
  [[ $quiet =~ ^\"([^\"]+)\"\ /S$ ]] || { echo "unexpected QuietUninstallString $quiet"; return 1; }
  exe=${BASH_REMATCH[1]}
  timeout -k 10 180 "$wine" "$exe" /S || return 1
  wine_server_wait 180
}

expected_install_list=$'LICENSE.txt\nOrvane.ppm\nREADME.txt\nUninstall.exe\nmusic.mid\nsupernova.ppm'
# Every file where the saver and Windows look for it, and nothing else of ours:
# the same bytes as the win64 zip's. With "notune", no music.mid.
files_in_place() {
  local expected=$expected_install_list name
  [[ ${1:-} != notune ]] || expected=$(grep -vx music.mid <<<"$expected")
  diff <(echo "$expected") <(cd "$install_dir" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort) ||
    return 1
  cmp "$system32/Orvane.scr" <(unzip -p "$zip64" "Orvane-$version-win64/Orvane.scr") || return 1
  for name in $(grep -vx Uninstall.exe <<<"$expected"); do
    cmp "$install_dir/$name" <(unzip -p "$zip64" "Orvane-$version-win64/$name") || return 1
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
# as the display settings start it: it must draw the nebula over a dark
# corner, and a key ends it.
saver_rc=$part_dir/saver.rc
saver_shot=$part_dir/saver-screen.ppm
corner=
saver_lit() {
  xwd -root -silent | xwdtopnm >"$saver_shot" 2>/dev/null || return 1
  corner=$(lit_share "$saver_shot" 0 0 20 20) || return 1
  nebula_shown "$saver_shot" && ((corner <= 20))
}
saver_gone() { ! kill -0 "$saver_pid" 2>/dev/null; }
installed_saver_runs() {
  local elsewhere=$part_dir/elsewhere
  mkdir -p "$elsewhere"
  rm -f "$saver_rc"
  (
    cd "$elsewhere" || exit
    status=0
    timeout -k 10 300 "$wine" "$installed_saver" /s >"$part_dir/saver.out" 2>"$part_dir/saver.err" || status=$?
    echo $status >"$saver_rc"
  ) &
  saver_pid=$!
  nebula_figures="no picture yet" corner=
  if ! wait_until 120 saver_lit; then
    echo "no nebula on the screen: $nebula_figures, dark corner ${corner:-?} per mille lit"
    pnmtopng "$saver_shot" >"${saver_shot%.ppm}.png" 2>/dev/null
    return 1
  fi
  echo "MEASURE  installed saver's screen: $nebula_figures, dark corner $corner per mille lit" |
    tee "$part_dir/saver.measure"
  xdotool key space
  wait_until 60 saver_gone || { echo "the saver did not end on a key"; return 1; }
  wait "$saver_pid"
  [[ $(cat "$saver_rc") == 0 ]] || { echo "exit code $(cat "$saver_rc")"; cat "$part_dir/saver.err"; return 1; }
}

previous_kept() { expect_value "$desktop_key" SCRNSAVE.EXE "$1" && expect_value "$desktop_key" ScreenSaveActive "$2"; }

# 1. A fresh Windows with no saver chosen; the administrator asks for Orvane.
check "fresh prefix has no screen saver chosen" previous_kept - -
check "setup.exe /S /SETSAVER installs" run_setup /SETSAVER
check "files where the saver and Windows expect them" files_in_place
check "Apps & features entry" entry_in_place
check "Orvane chosen as the screen saver" chosen_as_saver
check "Orvane.scr /s from System32 draws the nebula, a key ends it with 0" installed_saver_runs
if [[ -f $part_dir/saver.measure ]]; then cat "$part_dir/saver.measure"; fi
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

# 5. /D= may name the saver's own folder, in any case; any other folder, a
# neighbour, a subfolder or a way round through .., is refused with exit code
# 2 and nothing changed.
refuses_folder() {
  local status
  run_setup_line "/SETSAVER /D=$1"
  status=$?
  [[ $status -eq 2 ]] || { echo "exit code $status, expected 2"; return 1; }
  diff <(echo "$program_files") <(ls "$drive_c" "$drive_c/Program Files") || { echo "folders were made"; return 1; }
  nothing_of_ours && previous_kept 'C:\windows\system32\mine.scr' 0
}
program_files=$(ls "$drive_c" "$drive_c/Program Files")
for folder in 'C:\Elsewhere' 'C:\Program Files\Orvane2' 'C:\Program Files\Orvane\sub' 'C:\Program Files\Orvane\..\Orvane'; do
  check "setup.exe /S /D=$folder refuses with exit code 2 and changes nothing" refuses_folder "$folder"
done
installs_at_own_folder() {
  run_setup_line '/SETSAVER /D=c:\PROGRAM FILES\orvane' || return 1
  files_in_place && entry_in_place && chosen_as_saver &&
    expect_value "$uninstall_key" InstallLocation 'C:\Program Files\Orvane'
}
check "setup.exe /S /D=<the saver's folder, in another case> installs there" installs_at_own_folder
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
authenticode_ok() { osslsigncode verify -CAfile "$signing_cert" -in "$1"; }
signed_install_verifies() {
  timeout -k 10 180 "$wine" "$signed_dist/${setup##*/}" /S || return 1
  authenticode_ok "$install_dir/Uninstall.exe" && authenticode_ok "$system32/Orvane.scr"
}
if [[ -f $signed_dist/${setup##*/} && -f $signing_cert ]]; then
  check "the signed setup installs a signed uninstaller and saver" signed_install_verifies
  check "silent uninstall runs" run_uninstall
  check "uninstall leaves nothing of ours" nothing_of_ours
fi

# 9. The tune left out: no music.mid, and the saver still draws; an upgrade
# keeps it out until /TUNE.
installs_tune() {
  local want=$1
  shift
  run_setup "$@" && files_in_place "$want" && entry_in_place
}
check "setup.exe /S /NOTUNE installs without music.mid" installs_tune notune /NOTUNE
check "Orvane.scr /s without the tune draws the nebula" installed_saver_runs
upgrade_keeps_tune_out() {
  reg add "$uninstall_key" /v DisplayVersion /t REG_SZ /d 0.9.0 /f >/dev/null && installs_tune notune
}
check "setup.exe /S over it (an upgrade) keeps the tune out" upgrade_keeps_tune_out
check "setup.exe /S /TUNE puts it back" installs_tune tune /TUNE
check "setup.exe /S /NOTUNE takes it out again" installs_tune notune /NOTUNE
check "silent uninstall runs" run_uninstall
check "uninstall leaves nothing of ours" nothing_of_ours

# 10. The setup in Windows' display language, which wine takes from LANG:
# the first page's window title.
locales=$part_dir/locales
make_locales() {
  local name
  mkdir -p "$locales" || return 1
  for name in de_DE fr_FR ja_JP; do localedef -i "$name" -f UTF-8 "$locales/$name.UTF-8" || return 1; done
}
titled() { for w in $(xdotool search --name Orvane); do xdotool getwindowname "$w"; done | grep -Fxq "$1 "; }
# setup_titled LOCALE TITLE: the interactive setup shows TITLE; then it is ended.
setup_titled() {
  local pid status=0
  LOCPATH=$locales LANG=$1.UTF-8 timeout -k 10 180 "$wine" 'C:\orvane-setup.exe' &
  pid=$!
  wait_until 60 titled "$2" || { status=1; echo "no window \"$2\":"; xdotool search --name . getwindowname %@; }
  kill "$pid"
  wait "$pid"
  wine_server_wait 60
  return $status
}
check "locales for the setup's languages" make_locales
while read -r name title; do
  check "the setup under LANG=$name.UTF-8 is titled \"$title\"" setup_titled "$name" "$title"
done <<'EOF'
de_DE Installation von Orvane
fr_FR Installation de Orvane
ja_JP Orvane セットアップ
EOF

part_report
