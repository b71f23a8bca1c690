#!/usr/bin/env bash
# The signing tests' ground (a ctest fixture): throw-away certificates in OUTDIR/certs,
# their CA installed as a trusted root in the Wine prefix, and copies of EXE in OUTDIR:
#   signed.exe          signed by the trusted test signer
#   altered.exe         signed.exe with one byte of the image changed
#   untrusted.exe       signed by a certificate whose root is not installed
#   unsigned.exe        EXE as it is
#   overlay.exe         EXE with a block appended after the image, then signed
#   overlay-altered.exe overlay.exe with one byte of that block changed
# Without openssl or osslsigncode it writes OUTDIR/skipped.txt and exits 77 (skipped).
# Usage: sign-test-copies.sh OUTDIR EXE TRUST_ROOT_EXE EMULATOR
set -euo pipefail
out=${1:?} exe=${2:?} trust_root=${3:?} emulator=${4:?}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
rm -f "$out"/*.exe "$out/skipped.txt"
for tool in openssl osslsigncode; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is not installed (scripts/setup installs it)" | tee "$out/skipped.txt"
    exit 77
  fi
done

certs="$out/certs"
"$here/make-test-certs.sh" "$certs"
# Wine has no drive for the Linux root: a Windows program reaches it through \\?\unix.
"$emulator" "$trust_root" '\\?\unix'"${certs//\//\\}\\ca.der"

sign() {  # p12, in, out
  osslsigncode sign -pkcs12 "$certs/$1" -readpass "$certs/password.txt" -h sha256 \
    -in "$2" -out "$3" >/dev/null
}
flip() {  # file, offset: that byte inverted
  local b
  b=$(od -An -tu1 -j"$2" -N1 "$1" | tr -d ' ')
  # shellcheck disable=SC2059
  printf "$(printf '\\%03o' $((b ^ 0xFF)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
size=$(stat -c %s "$exe")

cp "$exe" "$out/unsigned.exe"
sign signer.p12 "$exe" "$out/signed.exe"
cp "$out/signed.exe" "$out/altered.exe"
flip "$out/altered.exe" $((size / 2))
sign untrusted.p12 "$exe" "$out/untrusted.exe"

# Where a medium's content list lies: after the image, before the signature, 8-aligned.
cp "$exe" "$out/overlay.in"
printf 'KAVREL-CONTENTS 1\n1\t705\t%064d\tinfo.txt\nend\n' 0 >>"$out/overlay.in"
while [ $(($(stat -c %s "$out/overlay.in") % 8)) != 0 ]; do printf '\0' >>"$out/overlay.in"; done
sign signer.p12 "$out/overlay.in" "$out/overlay.exe"
rm -f "$out/overlay.in"
cp "$out/overlay.exe" "$out/overlay-altered.exe"
flip "$out/overlay-altered.exe" $((size + 20))
