# Debian chroots made by mmdebstrap from the configured mirror, kept as tarballs.
# Source it, then:
#
#   chroot_tarball SUITE NAME MMDEBSTRAP_OPTIONS...
#       prints the cached tarball of a SUITE chroot made with these options,
#       making it first when missing
#   chroot_unpack TARBALL DIR    unpacks it into DIR, a fresh copy (as root)
#   chroot_run DIR COMMAND...    COMMAND as root inside DIR, with the host's
#                                /dev, /proc and X displays (/tmp/.X11-unix)
#
# The cache is $ORVANE_CHROOT_CACHE (default /var/cache/orvane-sbuild for
# root, else ~/.cache/orvane-sbuild). A tarball is named by its suite, its
# name and a hash of its options, so a changed package list makes a new one
# (and the old one of that name goes). The tarballs keep no package lists:
# whoever installs into one updates them first. sbuild's unshare mode and
# autopkgtest-virt-unshare take the tarballs as they are.
[[ -n ${_orvane_chroot_sh:-} ]] && return 0
_orvane_chroot_sh=1

if [[ $(id -u) -eq 0 ]]; then
  chroot_cache=${ORVANE_CHROOT_CACHE:-/var/cache/orvane-sbuild}
else
  chroot_cache=${ORVANE_CHROOT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/orvane-sbuild}
fi

chroot_tarball() {
  local suite=$1 name=$2 key tar
  shift 2
  # The archive's copy of unstable is not refreshed every week, so its Release
  # file may be past its Valid-Until by the machine's clock; the chroot keeps
  # the setting for the apt-get update of whoever uses it.
  set -- --aptopt='Acquire::Check-Valid-Until "false"' "$@"
  key=$(printf '%s\n' "$@" | sha256sum | cut -c1-16)
  tar=$chroot_cache/$suite-$name-$key.tar
  if [[ ! -s $tar ]]; then
    mkdir -p "$chroot_cache" || return 1
    local started=$SECONDS
    mmdebstrap --quiet --mode=unshare --format=tar "$@" "$suite" "$tar.tmp" >&2 && mv "$tar.tmp" "$tar" ||
      { rm -f "$tar.tmp"; return 1; }
    find "$chroot_cache" -maxdepth 1 -name "$suite-$name-*.tar" ! -name "${tar##*/}" -delete
    echo "MEASURE  made the $suite $name chroot in $((SECONDS - started)) s ($(stat -c %s "$tar") bytes)" >&2
  fi
  echo "$tar"
}

chroot_unpack() {
  [[ $(id -u) -eq 0 ]] || { echo "unpacking a chroot needs root" >&2; return 1; }
  rm -rf "$2" && mkdir -p "$2" && tar -C "$2" -xf "$1"
}

# The mounts live in a mount namespace of the command's own: they go with it.
chroot_run() {
  unshare --mount --propagation private sh -c '
    root=$1
    shift
    mount --rbind /dev "$root/dev" && mount -t proc proc "$root/proc" || exit 1
    if [ -d /tmp/.X11-unix ]; then
      mkdir -p "$root/tmp/.X11-unix" && mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix" || exit 1
    fi
    exec chroot "$root" "$@"' sh "$@"
}
