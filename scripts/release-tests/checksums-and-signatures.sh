#!/usr/bin/env bash
# What lets people trust the release's files: SHA256SUMS, the source archive
# (the commit's files at the commit's time), nothing signed without keys, and a
# second release signed with a throw-away code-signing certificate and gpg key
# (made from the same build folder) whose signatures verify and fail on a
# change of one byte.
#
#   scripts/release-tests/checksums-and-signatures.sh DIST
#
# It leaves the signed release and its certificate in the release's build
# folder (test/checksums-and-signatures/), where the installer part finds the
# signed setup. The last line is "checksums-and-signatures: N passed, M
# failed"; the exit status is non-zero on any failure.
set -euo pipefail
exec </dev/null
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
part_start checksums-and-signatures "$@"

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
  local file saver=$part_dir/unsigned-Orvane.scr
  [[ ! -e $dist/SHA256SUMS.asc ]] || { echo "SHA256SUMS.asc without a key"; return 1; }
  unzip -p "$zip64" "Orvane-$version-win64/Orvane.scr" >"$saver" || return 1
  for file in "$setup" "$saver"; do
    ! osslsigncode verify -in "$file" >/dev/null 2>&1 || { echo "$file is signed"; return 1; }
  done
}
check "without a certificate or key nothing is signed" unsigned_without_keys

keys=$(dirname "$signing_cert")
gpg_home=
part_cleanup() {
  if [[ -n $gpg_home ]]; then
    GNUPGHOME=$gpg_home gpgconf --kill gpg-agent 2>/dev/null || true
    rm -rf "$gpg_home"
  fi
}
make_throwaway_keys() {
  mkdir -p "$keys" && chmod 700 "$keys" || return 1
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$keys/key.pem" -out "$signing_cert" -days 2 \
    -subj "/CN=Orvane release test" -addext "keyUsage=critical,digitalSignature" \
    -addext "extendedKeyUsage=codeSigning" || return 1
  # A short path: gpg-agent's socket lives in it.
  gpg_home=$(mktemp -d /tmp/orvane-gpg.XXXXXX) || return 1
  GNUPGHOME=$gpg_home gpg --batch --pinentry-mode loopback --passphrase '' --quick-gen-key \
    "Orvane release test <release-test@orvane.invalid>" ed25519 sign 1d
}
signed_release() {
  GNUPGHOME=$gpg_home ORVANE_SIGN_CERT=$signing_cert ORVANE_SIGN_KEY=$keys/key.pem \
    ORVANE_GPG_KEY=release-test@orvane.invalid ORVANE_RELEASE_BUILD=$build \
    bash "$repo/scripts/release.sh" "$signed_dist"
}
authenticode_ok() { osslsigncode verify -CAfile "$signing_cert" -in "$1"; }
signatures_verify() {
  local arch saver=$part_dir/signed-Orvane.scr
  authenticode_ok "$signed_dist/${setup##*/}" || return 1
  for arch in win64 win32; do
    unzip -p "$signed_dist/${release_file[$arch]}" "Orvane-$version-$arch/Orvane.scr" >"$saver" || return 1
    authenticode_ok "$saver" || return 1
  done
  GNUPGHOME=$gpg_home gpg --verify "$signed_dist/SHA256SUMS.asc" "$signed_dist/SHA256SUMS" || return 1
  checksums_hold "$signed_dist"
}
# flip_byte FILE OFFSET: changes one bit of one byte.
flip_byte() {
  local byte
  byte=$(od -An -tu1 -j "$2" -N1 "$1" | tr -d ' ')
  printf "$(printf '\\%03o' $((byte ^ 1)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
one_byte_fails() {
  local tampered=$part_dir/tampered
  # Only a change to files that verified as made says anything.
  authenticode_ok "$signed_dist/${setup##*/}" >/dev/null &&
    GNUPGHOME=$gpg_home gpg --verify "$signed_dist/SHA256SUMS.asc" "$signed_dist/SHA256SUMS" 2>/dev/null ||
    { echo "the signed files do not verify to begin with"; return 1; }
  rm -rf "$tampered" && cp -r "$signed_dist" "$tampered" || return 1
  flip_byte "$tampered/${setup##*/}" $(($(stat -c %s "$tampered/${setup##*/}") / 2))
  flip_byte "$tampered/SHA256SUMS" 10
  if authenticode_ok "$tampered/${setup##*/}"; then echo "a changed setup verified"; return 1; fi
  if GNUPGHOME=$gpg_home gpg --verify "$tampered/SHA256SUMS.asc" "$tampered/SHA256SUMS"; then
    echo "changed checksums verified"
    return 1
  fi
  cp "$signed_dist/SHA256SUMS" "$tampered/SHA256SUMS"
  if (cd "$tampered" && sha256sum -c SHA256SUMS); then echo "sha256sum -c passed a changed setup"; return 1; fi
}
check "throw-away code-signing certificate and gpg key" make_throwaway_keys
check "release.sh signs with them" signed_release
check "every signature verifies: setup, both savers, SHA256SUMS" signatures_verify
check "a file changed by one byte fails verification" one_byte_fails

part_report
