#!/usr/bin/env bash
# Signs a built installer with the vendor's code-signing certificate
# (Authenticode, SHA-256, through osslsigncode), so that Windows names the
# publisher in its administrator prompt instead of "unknown publisher". It
# writes a signed copy: the built file stays as the build made it, the same
# bytes on every build.
#
#     bash scripts/sign.sh (--pkcs12 FILE | --cert FILE --key FILE) [--password-file FILE]
#                          [--timestamp URL] INSTALLER SIGNED
#
#   --pkcs12 FILE          certificate and private key in one PKCS#12 file (.pfx, .p12)
#   --cert FILE            certificate, with its chain, PEM or DER ...
#   --key FILE             ... and its private key
#   --password-file FILE   the password of the key or of the PKCS#12 file
#   --timestamp URL        an RFC 3161 time-stamping server: the signature then
#                          stays valid after the certificate has expired
#
# For example:
#     bash scripts/sign.sh --pkcs12 tarvel.pfx --password-file tarvel.pass \
#         --timestamp http://timestamp.example.com build/win32/nimbra-pack-update.exe dist/nimbra-pack-update.exe
# Check a signed file with: osslsigncode verify -in dist/nimbra-pack-update.exe
# Beside SIGNED it writes SIGNED's deployment kit (scripts/deployment_kit.py):
# dist/nimbra-pack-update.installer.yaml and dist/nimbra-pack-update.deployment.md.
set -euo pipefail

usage() {
  echo "usage: bash scripts/sign.sh (--pkcs12 FILE | --cert FILE --key FILE) [--password-file FILE]" \
       "[--timestamp URL] INSTALLER SIGNED" >&2
  exit 2
}
fail() {
  echo "sign.sh: $*" >&2
  exit 1
}

pkcs12="" cert="" key="" password_file="" timestamp="" files=()
while [ $# -gt 0 ]; do
  case "$1" in
    --pkcs12 | --cert | --key | --password-file | --timestamp)
      [ $# -ge 2 ] || usage
      case "$1" in
        --pkcs12) pkcs12=$2 ;;
        --cert) cert=$2 ;;
        --key) key=$2 ;;
        --password-file) password_file=$2 ;;
        --timestamp) timestamp=$2 ;;
      esac
      shift 2 ;;
    -*) usage ;;
    *) files+=("$1"); shift ;;
  esac
done
[ ${#files[@]} -eq 2 ] || usage
installer=${files[0]} signed=${files[1]}

signer=()
if [ -n "$pkcs12" ] && [ -z "$cert$key" ]; then
  signer=(-pkcs12 "$pkcs12")
elif [ -z "$pkcs12" ] && [ -n "$cert" ] && [ -n "$key" ]; then
  signer=(-certs "$cert" -key "$key")
else
  fail "name the certificate either with --pkcs12 FILE or with --cert FILE and --key FILE"
fi
[ -z "$password_file" ] || signer+=(-readpass "$password_file")
for file in "$installer" "$pkcs12" "$cert" "$key" "$password_file"; do
  [ -z "$file" ] || [ -f "$file" ] || fail "$file: no such file"
done
[ "$(head -c 2 "$installer")" = MZ ] || fail "$installer is no Windows executable"
if [ -e "$signed" ] && [ "$(realpath "$signed")" = "$(realpath "$installer")" ]; then
  fail "SIGNED must be another file than INSTALLER: the built installer stays unsigned"
fi
server=()
[ -z "$timestamp" ] || server=(-ts "$timestamp")

source "$(dirname "${BASH_SOURCE[0]}")/packages.sh"
nimbra_require_packages "${NIMBRA_SIGN_PACKAGES[@]}"

# Written beside the target and renamed at the end: a failed signing leaves no
# half-written SIGNED behind.
partial="$signed.partial"
rm -f "$partial"
if ! osslsigncode sign "${signer[@]}" -h sha256 -n "Nimbra sound pack update" "${server[@]}" \
    -in "$installer" -out "$partial"; then
  rm -f "$partial"
  fail "signing failed (osslsigncode's message above)"
fi
mv -f "$partial" "$signed"
echo "Signed: $signed ($(stat -c %s "$signed") bytes)"
# The signed copy's own deployment kit beside it: its SHA-256 is not the
# built file's.
python3 "$(dirname "${BASH_SOURCE[0]}")/deployment_kit.py" "$signed" || fail "the deployment kit was not written"
