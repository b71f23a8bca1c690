#!/usr/bin/env bash
# The signed media of the end-to-end tests (a ctest fixture), built from the demo's
# manifest by the native kavrel-pack around the programs under test (DIST, as shipped):
#   OUT/signed     signed with the throw-away test signer whose root the prefix trusts
#   OUT/unsigned   the same without [signing]: a content list, no signature
#   OUT/variant    unsigned, one source changed: its archives are valid and differ
# Usage: make-signed-media.sh OUT CERTS DIST   (exits 77, skipped, without the tools)
set -euo pipefail
out=${1:?} certs=${2:?} dist=${3:?}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/scripts/env.sh"
for tool in openssl osslsigncode; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed (scripts/setup installs it)"; exit 77; }
done
[ -s "$certs/signer.p12" ] || { echo "no test certificates in $certs (the signing fixture makes them)"; exit 77; }
pack=""
for tree in release native; do
  [ -x "$KAVREL_BUILD/$tree/pack/kavrel-pack" ] && { pack="$KAVREL_BUILD/$tree/pack/kavrel-pack"; break; }
done
[ -n "$pack" ] || { echo "no native kavrel-pack: scripts/build release builds it" >&2; exit 1; }

rm -rf "$out"
mkdir -p "$out/src"
cp -r "$root/demo/sources" "$root/demo/artwork" "$out/src/"
# The programs under test, from the dist named as the manifest names it.
sed "s/^dist = .*/dist = \"$(basename "$dist")\"/" "$root/demo/update.toml" >"$out/src/unsigned.toml"
{ cat "$out/src/unsigned.toml"
  printf '\n[signing]\ncertificate = "%s"\npassword-env = "KAVREL_TEST_SIGN_PASSWORD"\n' "$certs/signer.p12"
} >"$out/src/signed.toml"
KAVREL_TEST_SIGN_PASSWORD=$(cat "$certs/password.txt")
export KAVREL_TEST_SIGN_PASSWORD
distroot=$(dirname "$dist")
"$pack" build "$out/src/signed.toml" -o "$out/signed" --dist-root "$distroot" >/dev/null
"$pack" build "$out/src/unsigned.toml" -o "$out/unsigned" --dist-root "$distroot" >/dev/null
# Every source of the first item changed: each of its archives comes out otherwise.
for f in "$out"/src/sources/prog/*; do printf 'changed after the build\r\n' >>"$f"; done
"$pack" build "$out/src/unsigned.toml" -o "$out/variant" --dist-root "$distroot" >/dev/null
osslsigncode verify -CAfile "$certs/ca.pem" -in "$out/signed/Kavrel.exe" >/dev/null
echo "signed media in $out"
