#!/usr/bin/env bash
# Throw-away certificates for signing tests: a root CA, a code-signing leaf it signs
# (signer.p12, with the CA inside), the CA itself (ca.pem, ca.der) to install as trusted,
# and a self-signed code-signing certificate whose root is never installed
# (untrusted.p12). Both .p12 files take the password in password.txt.
# Usage: make-test-certs.sh OUTDIR   (does nothing when OUTDIR already holds them all)
set -euo pipefail
out=${1:?usage: make-test-certs.sh OUTDIR}
made=(password.txt ca.pem ca.der signer.p12 untrusted.p12)
all=1
for f in "${made[@]}"; do [ -s "$out/$f" ] || all=0; done
[ "$all" = 1 ] && exit 0

mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d "$out/.make.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
openssl rand -hex 16 >password.txt
days=3650
key() { openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$1" 2>/dev/null; }

key ca.key
openssl req -x509 -new -key ca.key -sha256 -days "$days" -subj "/O=Kavrel Tests/CN=Kavrel Test Root" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" -out ca.pem
openssl x509 -in ca.pem -outform DER -out ca.der

key signer.key
openssl req -new -key signer.key -subj "/C=JP/O=Kavrel Test Vendor/CN=Kavrel Test Signer" -out signer.csr
printf '%s\n' "basicConstraints=critical,CA:FALSE" "keyUsage=critical,digitalSignature" \
  "extendedKeyUsage=codeSigning" "subjectKeyIdentifier=hash" "authorityKeyIdentifier=keyid" >leaf.ext
openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -set_serial "0x$(openssl rand -hex 8)" \
  -sha256 -days "$days" -extfile leaf.ext -out signer.pem 2>/dev/null
openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem -passout file:password.txt \
  -out signer.p12

key untrusted.key
openssl req -x509 -new -key untrusted.key -sha256 -days "$days" -subj "/O=Kavrel Tests/CN=Kavrel Untrusted Signer" \
  -addext "basicConstraints=critical,CA:FALSE" -addext "keyUsage=critical,digitalSignature" \
  -addext "extendedKeyUsage=codeSigning" -out untrusted.pem
openssl pkcs12 -export -inkey untrusted.key -in untrusted.pem -passout file:password.txt -out untrusted.p12

# password.txt first, the .p12 files last: a run cut short leaves the set incomplete,
# and the next one makes it again.
for f in password.txt ca.pem ca.der signer.pem untrusted.pem signer.p12 untrusted.p12; do mv -f "$f" "$out/$f"; done
