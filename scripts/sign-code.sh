#!/usr/bin/env bash
# Signs a Windows program in place with Authenticode (Debian's osslsigncode): a SHA-256 signature
# and, when a time-stamp server is named, its RFC 3161 time stamp, so that the signature stays
# valid after the certificate expires. The build runs it on Quodo.exe, and makensis on the
# uninstaller it makes and on the finished installer (cmake/CodeSigning.cmake writes CONFIG).
#
#   sign-code.sh CONFIG FILE
#
# CONFIG sets, as shell assignments:
#   cert           the maker's code-signing certificate with its chain (PEM or DER)
#   key            its private key: a file (PEM or DER), or the PKCS#11 URI of a key on a token
#   pkcs11_module  the token's PKCS#11 module; empty for a key file
#   password_file  a file holding the key's pass phrase or the token's PIN; may be empty
#   timestamp_url  the RFC 3161 time-stamp server; empty: no time stamp
#   description    the program's name as Windows shows it with the signature
#   url            the maker's web page, shown with it too
set -euo pipefail
config=$1
file=$2
cert='' key='' pkcs11_module='' password_file='' timestamp_url='' description='' url=''
# shellcheck source=/dev/null
. "$config"

args=(sign -h sha256 -certs "$cert" -key "$key" -n "$description" -i "$url")
if [ -n "$pkcs11_module" ]; then
  args+=(-pkcs11module "$pkcs11_module")
fi
if [ -n "$password_file" ]; then
  args+=(-readpass "$password_file")
fi
if [ -n "$timestamp_url" ]; then
  args+=(-ts "$timestamp_url")
fi

signed="$file.signed"
rm -f "$signed"
trap 'rm -f "$signed"' EXIT
# A file that could not be signed is taken away: the build fails, and no unsigned program or
# installer is left that looks finished.
if ! log=$(osslsigncode "${args[@]}" -in "$file" -out "$signed" 2>&1); then
  echo "sign-code: could not sign $file (removed):" >&2
  echo "$log" >&2
  rm -f "$file"
  exit 1
fi
mv -f "$signed" "$file"
