# HEAD's Debian packages, made as the release makes them. Source it, then:
#
#   debian_source_tar OUT         HEAD's tracked files as the release's source
#                                 archive orvane-VERSION.tar.gz
#   debian_packages TAR DIR       the source package (TAR as its .orig.tar.gz,
#                                 and the debian/ it holds) and the .deb built
#                                 from it by dpkg-buildpackage in DIR; sets
#                                 debian_deb to the .deb's path
#
# A DIR that already holds a finished build of the same archive is kept: one
# commit is built once, whoever asks first (the release or a test of the .deb).
[[ -n ${_orvane_debian_package_sh:-} ]] && return 0
_orvane_debian_package_sh=1

source "$(dirname "${BASH_SOURCE[0]}")/release-names.sh"
debian_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
debian_deb=

# git archive gives the files the commit's time, and gzip -n leaves out the
# name and time of the tar.
debian_source_tar() {
  git -C "$debian_repo" archive --format=tar --prefix="orvane-$version/" HEAD | gzip -9n >"$1.tmp" &&
    mv "$1.tmp" "$1"
}

# Its times come from debian/changelog, so this .deb and one that
# `dpkg-buildpackage -b` makes in a clone hold the same bytes.
debian_packages() {
  local tar=$1 dir=$2 epoch orig=$2/${release_file[orig_tar]}
  epoch=$(dpkg-parsechangelog -l "$debian_repo/debian/changelog" -S Timestamp) || return 1
  debian_deb=$dir/${release_file[deb]}
  # The .changes file is dpkg-buildpackage's last, so a cut-off build is redone.
  if ! cmp -s "$tar" "$orig" || [[ ! -s ${debian_deb%.deb}.changes ]]; then
    rm -rf "$dir" && mkdir -p "$dir" && cp "$tar" "$orig" && tar -C "$dir" -xzf "$orig" || return 1
    (cd "$dir/orvane-$version" && SOURCE_DATE_EPOCH=$epoch nice dpkg-buildpackage -us -uc -jauto) || return 1
  fi
}
