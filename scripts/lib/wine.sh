# Wine for scripts and tests: its loader, a throw-away prefix and its server.
# Source it, then:
#
#   wine_loader                   prints the 64-bit loader to run programs with
#   wine_use PREFIX [LOADER]      exports WINEPREFIX, WINELOADER (default:
#                                 wine_loader), WINEARCH (from the loader's
#                                 name) and WINEDEBUG; sets $wineserver
#   wine_prefix_ready [--persistent]
#                                 makes the prefix when it has none yet and
#                                 turns crash dialogs off; --persistent keeps
#                                 one server for the prefix until wine_server_end
#   wine_server_wait SECONDS      waits until every process in the prefix ended
#   wine_server_end               ends the prefix's server and all its processes
#
# Debian's launcher (wine, wine64 on the PATH) wants a 32-bit half that a
# machine running only 64-bit programs need not have, so the loader itself is
# run, as the cross builds' ctest runs it.
[[ -n ${_orvane_wine_sh:-} ]] && return 0
_orvane_wine_sh=1

wineserver=

wine_loader() {
  if [[ -x /usr/lib/wine/wine64 ]]; then
    echo /usr/lib/wine/wine64
  else
    command -v wine64 || command -v wine
  fi
}

wine_use() {
  export WINEPREFIX=$1 WINEDEBUG=-all
  WINELOADER=${2:-$(wine_loader)} || { echo "wine: no loader" >&2; return 1; }
  export WINELOADER
  case ${WINELOADER##*/} in
    wine64) export WINEARCH=win64 ;;
    *) export WINEARCH=win32 ;;
  esac
  wineserver=$(dirname "$WINELOADER")/wineserver
  [[ -x $wineserver ]] || wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
}

wine_prefix_ready() {
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    # No installer dialogs for components we never use: they would block a headless run.
    WINEDLLOVERRIDES="mscoree,mshtml=" timeout -k 10 300 "$WINELOADER" wineboot -i || return 1
    wine_server_wait 120 || return 1
  fi
  if [[ ${1:-} == --persistent ]]; then
    "$wineserver" -p || true # fails only when a server runs already
  fi
  # A crash must end the process, not wait for someone to close a dialog.
  timeout -k 10 60 "$WINELOADER" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
    /t REG_DWORD /d 0 /f
}

wine_server_wait() { timeout -k 10 "$1" "$wineserver" -w; }

wine_server_end() { timeout -k 5 30 "$wineserver" -k >/dev/null 2>&1 || true; }
