# The unprivileged user the real screen savers run as in the tests, and a
# private view of the system folders they look in. Source it, then:
#
#   saver_user_init WORK        sets saver_user and the command prefix as_user
#                               (as root: orvane-saver-test, created if missing,
#                               since the daemons refuse root; otherwise the
#                               caller itself); WORK is the test's own folder
#   view_add DIR NAME TARGET    in the view, DIR holds NAME -> TARGET beside its
#                               own entries (its own NAME, if any, hidden)
#   in_view COMMAND... &        COMMAND with every view_add in place, run in
#                               place of the shell that calls it: start it in
#                               the background (then $! is COMMAND's own pid)
#                               or in a subshell
#
# The programs under test only look in system folders. As root the view is a
# private mount namespace laying a folder of links over each DIR, for the
# commands in_view starts alone: the machine's folders stay untouched, and a
# copy installed there meanwhile does not run in place of the one under test.
# Not as root there is no view: view_add does nothing and in_view runs COMMAND
# as it is.
[[ -n ${_orvane_saver_user_sh:-} ]] && return 0
_orvane_saver_user_sh=1

saver_user=
as_user=()
view_dirs=()
view_root=

saver_user_init() {
  view_root=$1/view
  if [ "$(id -u)" -eq 0 ]; then
    saver_user=orvane-saver-test
    id -u "$saver_user" >/dev/null 2>&1 ||
      useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$saver_user" || {
      echo "cannot create the user $saver_user" >&2
      return 1
    }
    as_user=(setpriv --reuid="$(id -u "$saver_user")" --regid="$(id -g "$saver_user")" --clear-groups)
    command -v unshare >/dev/null || {
      echo "unshare is not installed" >&2
      return 1
    }
  else
    saver_user=$(id -un)
    as_user=()
  fi
}

view_add() {
  [ "$(id -u)" -eq 0 ] || return 0
  local dir=$1 name=$2 target=$3 n=${#view_dirs[@]} f
  [ -d "$dir" ] || {
    echo "view: no folder $dir" >&2
    return 1
  }
  mkdir -p "$view_root/$n/system" "$view_root/$n/view"
  # Links into the system folder as bound below: it is hidden under the view.
  for f in "$dir"/*; do
    [ -e "$f" ] && [ "${f##*/}" != "$name" ] && ln -s "$view_root/$n/system/${f##*/}" "$view_root/$n/view/"
  done
  ln -s "$target" "$view_root/$n/view/$name"
  chmod -R a+rX "$view_root"
  view_dirs+=("$dir")
}

in_view() {
  if [ "$(id -u)" -ne 0 ] || [ ${#view_dirs[@]} -eq 0 ]; then
    exec "$@"
  fi
  exec unshare --mount --propagation private bash -c '
    set -e
    root=$1 count=$2
    shift 2
    dirs=("${@:1:count}")
    shift "$count"
    for n in "${!dirs[@]}"; do mount --bind "${dirs[n]}" "$root/$n/system"; done
    for n in "${!dirs[@]}"; do mount --bind "$root/$n/view" "${dirs[n]}"; done
    exec "$@"' _ "$view_root" "${#view_dirs[@]}" "${view_dirs[@]}" "$@"
}
