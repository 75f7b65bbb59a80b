# What every part of the release test shares. A part sources it, then calls
#
#   part_start NAME "$@"      (its arguments: the release folder, DIST)
#
# and ends with `part_report`. A part that stops on an unhandled error still
# ends with its report line, counting one failure more. For its own clean-up
# on exit it defines part_cleanup. It gets:
#   repo, build, work     the clone; the release's build folder
#                         ($ORVANE_RELEASE_BUILD, as release.sh); work=build/test
#   version, deb_version, arch, release_file, release_names
#                         as scripts/lib/release-names.sh says
#   dist, setup, zip64, zip32, deb, source_tar, web_zip
#   dsc, debian_tar, orig_tar  the Debian source package's files
#                         the release folder and its files' paths
#   part, part_dir        the part's name and its own scratch folder (emptied;
#                         each check's log in part_dir/logs)
#   signed_dist, signing_cert
#                         where checksums-and-signatures leaves its signed
#                         release and the certificate that signed it
# and checks.sh, plus the helpers below.
[[ -n ${_orvane_release_common_sh:-} ]] && return 0
_orvane_release_common_sh=1

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$repo/scripts/lib/checks.sh"
source "$repo/scripts/lib/release-names.sh"

build=${ORVANE_RELEASE_BUILD:-$repo/build-release}
mkdir -p "$build"
build=$(cd "$build" && pwd)
work=$build/test
signed_dist=$work/checksums-and-signatures/signed-dist
signing_cert=$work/checksums-and-signatures/keys/cert.pem

# release_files DIST: sets dist and the paths of its files; fails (counting a
# failure for each) when one is missing.
release_files() {
  dist=$(cd "$1" && pwd) || { fail "no release folder $1"; return 1; }
  setup=$dist/${release_file[setup]} zip64=$dist/${release_file[win64]} zip32=$dist/${release_file[win32]}
  deb=$dist/${release_file[deb]} dsc=$dist/${release_file[dsc]} debian_tar=$dist/${release_file[debian_tar]}
  orig_tar=$dist/${release_file[orig_tar]} source_tar=$dist/${release_file[source_tar]} web_zip=$dist/${release_file[web]}
  local file missing=0
  for file in "${release_names[@]}" SHA256SUMS; do
    [[ -f $dist/$file ]] || { fail "no $dist/$file"; missing=1; }
  done
  return $missing
}

part_start() {
  part=$1
  shift
  if [[ $# -ne 1 ]]; then
    echo "usage: $0 DIST" >&2
    exit 2
  fi
  trap _part_exit EXIT
  release_files "$1" || { part_report || true; exit 1; }
  part_dir=$work/$part
  rm -rf "$part_dir"
  mkdir -p "$part_dir/logs"
  checks_log_dir=$part_dir/logs
}

part_reported=
part_report() {
  part_reported=1
  checks_report "$part"
}

_part_exit() {
  local status=$?
  if declare -F part_cleanup >/dev/null; then part_cleanup || true; fi
  if [[ -z $part_reported ]]; then
    fail "$part stopped on an unhandled error (exit status $status)"
    checks_report "$part" || true
    exit 1
  fi
}

# checksums_hold DIR: every release file listed once in DIR/SHA256SUMS, and
# every sum right.
checksums_hold() {
  diff <(printf '%s\n' "${release_names[@]}" | LC_ALL=C sort) <(awk '{ print $2 }' "$1/SHA256SUMS" | LC_ALL=C sort) ||
    return 1
  (cd "$1" && sha256sum --strict -c SHA256SUMS)
}

# unzip_release ARCH DIR: unpacks the ARCH zip into DIR and prints the
# folder it holds.
unzip_release() {
  rm -rf "$2" && unzip -q "$dist/${release_file[$1]}" -d "$2" >&2 || return 1
  echo "$2/Orvane-$version-$1"
}
