#!/usr/bin/env bash
# Makes a certificate authority for tests of code signing, with OpenSSL, and the two certificates
# it issues: a code-signing certificate (signer.pem, key signer.key) and a time-stamping one for a
# loopback RFC 3161 server (tsa.pem, key tsa.key). Windows and osslsigncode trust none of them
# unless told to (ca.pem). Never for a release.
#
#   make-test-codesign-ca.sh FOLDER
set -euo pipefail
folder=$1
mkdir -p "$folder"
cd "$folder"
umask 077

# RSA, as most code-signing certificates are: Wine checks a certificate's signature only when it is
# made with RSA (with ECDSA its WinVerifyTrust reports a certificate signature it cannot verify).
new_key() { openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:3072 -out "$1" 2>/dev/null; }

new_key ca.key
openssl req -x509 -new -key ca.key -out ca.pem -days 3650 -subj "/O=QuodoSoft/CN=QuodoSoft Test CA" \
  -addext "basicConstraints=critical,CA:true" -addext "keyUsage=critical,keyCertSign,cRLSign"

# issue NAME SUBJECT EXTENDED_KEY_USAGE
issue() {
  new_key "$1.key"
  openssl req -new -key "$1.key" -subj "$2" -out "$1.csr"
  printf 'basicConstraints=critical,CA:false\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=%s\n' "$3" \
    > "$1.ext"
  openssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -days 3650 -extfile "$1.ext" \
    -out "$1.pem" 2>/dev/null
  rm -f "$1.csr" "$1.ext"
}
issue signer "/O=QuodoSoft/CN=QuodoSoft" codeSigning
issue tsa "/O=QuodoSoft/CN=QuodoSoft Test Time Stamps" critical,timeStamping
chmod 644 ca.pem signer.pem tsa.pem
