#!/usr/bin/env bash
# Tests the release files the way people use them, one part per subject, each
# of which also runs alone on a release folder (scripts/release-tests/):
#   zips.sh                      the zips' contents and read-me;
#   checksums-and-signatures.sh  SHA256SUMS, the source archive, and signatures
#                                made with a throw-away certificate and key;
#   installer.sh                 the Windows installer under wine64 in a fresh
#                                prefix on its own virtual display: install,
#                                run the installed saver, upgrade, uninstall;
#   debian.sh                    the Debian packages: the source package built
#                                by sbuild in a clean unstable chroot,
#                                unstable's lintian on both, autopkgtest on
#                                Debian 13, contents, installed with apt-get
#                                (as root) and its programs run headless from
#                                /usr/share/orvane;
#   reproducibility.sh           a second release from a clone at another path
#                                holds the same bytes, and so does a packager's
#                                dpkg-buildpackage in a clone.
#
#   scripts/test-release.sh [DIST_DIR]
#
# Without DIST_DIR it runs release.sh into build-release/test/dist first
# (ORVANE_RELEASE_BUILD names another build folder). ORVANE_RELEASE_ONCE=1
# skips the second release. The last line is "release: N passed, M failed",
# the sum of the parts' (and ", K skipped"); the exit status is 1 on any
# failure, else 77 when something was skipped.
set -euo pipefail
exec </dev/null
here=$(dirname "${BASH_SOURCE[0]}")/release-tests
source "$here/common.sh"

rm -rf "$work"
mkdir -p "$work/logs"
checks_log_dir=$work/logs

if [[ $# -ge 1 ]]; then
  dist=$1
else
  dist=$work/dist
  check "release.sh builds the release" bash "$repo/scripts/release.sh" "$dist"
fi
if ! release_files "$dist"; then
  checks_report release
  exit 1
fi
for file in "${release_names[@]}" SHA256SUMS; do
  echo "MEASURE  $file: $(stat -c %s "$dist/$file") bytes"
done

parts=(zips checksums-and-signatures installer debian reproducibility)
for part in "${parts[@]}"; do
  if [[ $part == reproducibility && ${ORVANE_RELEASE_ONCE:-0} == 1 ]]; then
    skip reproducibility "ORVANE_RELEASE_ONCE=1"
    continue
  fi
  echo "== $part"
  started=$SECONDS
  checks_include "$part" bash "$here/$part.sh" "$dist"
  echo "MEASURE  $part took $((SECONDS - started)) s"
done

checks_report release
