#!/usr/bin/env bash
# Releases are reproducible: a clone of this commit (with the working tree's
# uncommitted changes) in a folder of another name, built in a build folder
# of another name, must make every file of DIST byte for byte the same; and
# a packager's `dpkg-buildpackage -us -uc -b` in a clone of HEAD must make the
# release's .deb.
#
#   scripts/release-tests/reproducibility.sh DIST
#
# It makes a whole release (minutes). The last line is "reproducibility: N
# passed, M failed"; the exit status is non-zero on any failure.
set -euo pipefail
exec </dev/null
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
part_start reproducibility "$@"

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
  local again=$part_dir/again clone=$part_dir/again/elsewhere/orvane-clone
  clone_here "$clone" || return 1
  ORVANE_RELEASE_BUILD=$again/out bash "$clone/scripts/release.sh" "$again/dist" || return 1
  checksums_hold "$again/dist" || return 1
  local name differing=()
  for name in "${release_names[@]}" SHA256SUMS; do
    cmp -s "$dist/$name" "$again/dist/$name" || differing+=("$name")
  done
  echo "MEASURE  compared: ${release_names[*]} SHA256SUMS" | tee "$part_dir/again.measure"
  echo "MEASURE  differing: ${differing[*]:-none}" | tee -a "$part_dir/again.measure"
  [[ ${#differing[@]} -eq 0 ]]
}
check "a release from a clone at another path is byte-identical" same_release
if [[ -f $part_dir/again.measure ]]; then cat "$part_dir/again.measure"; fi
# docs/packaging.md's way for packagers, in the clone's own folder (the .deb lands
# beside it). The release's packages hold HEAD, so the clone does too.
packager_build() {
  local clone=$part_dir/packager/orvane
  git clone -q --no-hardlinks "$repo" "$clone" &&
    git -C "$clone" checkout -q --detach "$(git -C "$repo" rev-parse HEAD)" || return 1
  (cd "$clone" && env -u SOURCE_DATE_EPOCH nice dpkg-buildpackage -us -uc -b) || return 1
  cmp "$part_dir/packager/${deb##*/}" "$deb"
}
check "dpkg-buildpackage -us -uc -b in a clone makes the release's .deb" packager_build

part_report
