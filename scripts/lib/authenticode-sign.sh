#!/usr/bin/env bash
# Signs one Windows program in place with Authenticode, from the certificate
# that release.sh was given:
#   ORVANE_SIGN_CERT      the certificate chain (PEM or DER, or an SPC file)
#   ORVANE_SIGN_KEY       its private key (PEM or DER)
#   ORVANE_SIGN_PASSFILE  optional: a file holding the key's password
#   ORVANE_SIGN_TIMESTAMP optional: an RFC 3161 time-stamping server's URL
#
#   authenticode-sign.sh FILE
#
# The signing time is the commit's (SOURCE_DATE_EPOCH), so a signed file is
# the same on every run with the same key. The makers of the setup run this
# on the uninstaller as well (NSIS's !uninstfinalize).
set -euo pipefail
file=$1
: "${ORVANE_SIGN_CERT:?no certificate}" "${ORVANE_SIGN_KEY:?no key}"
args=(sign -certs "$ORVANE_SIGN_CERT" -key "$ORVANE_SIGN_KEY" -h sha256 -n Orvane)
[[ -z ${ORVANE_SIGN_PASSFILE:-} ]] || args+=(-readpass "$ORVANE_SIGN_PASSFILE")
[[ -z ${ORVANE_SIGN_TIMESTAMP:-} ]] || args+=(-ts "$ORVANE_SIGN_TIMESTAMP")
[[ -z ${SOURCE_DATE_EPOCH:-} ]] || args+=(-time "$SOURCE_DATE_EPOCH")
signed=$(mktemp "$file.XXXXXX")
trap 'rm -f "$signed"' EXIT
# osslsigncode will not overwrite its output.
rm -f "$signed"
osslsigncode "${args[@]}" -in "$file" -out "$signed" >/dev/null
chmod --reference="$file" "$signed"
touch --reference="$file" "$signed"
mv "$signed" "$file"
