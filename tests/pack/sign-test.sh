#!/usr/bin/env bash
# kavrel-pack build with [signing] and check of what it signed, with a throw-away CA and
# code-signing certificate: both programs verify against the CA, a byte changed in the
# content list breaks Kavrel.exe's signature, an altered plain file is named, and an
# unsigned medium warns but still has its list checked. Skipped (77) without
# osslsigncode or openssl.
# Usage: sign-test.sh KAVREL_PACK SOURCE_DIR
set -uo pipefail
pack=$1 src=$2
for tool in osslsigncode openssl; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/setup installs it)"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0 checks=0
expect() {  # expected-code description command...
  local want=$1 what=$2; shift 2
  checks=$((checks + 1))
  "$@" >out 2>&1
  local got=$?
  if [ "$got" != "$want" ]; then
    echo "FAIL: $what: exit $got, expected $want"; cat out; failures=$((failures + 1))
  else
    echo "ok: $what"
  fi
}
says() {  # text description: the last command's output holds the text
  checks=$((checks + 1))
  if grep -qF -- "$1" out; then echo "ok: $2"; else echo "FAIL: $2: no \"$1\""; cat out; failures=$((failures + 1)); fi
}

openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj /CN=Kavrel-Test-CA \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout vendor.key -out vendor.csr -subj /CN=Kavrel-Test-Vendor 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >vendor.ext
openssl x509 -req -in vendor.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile vendor.ext \
  -out vendor.pem 2>/dev/null
openssl pkcs12 -export -inkey vendor.key -in vendor.pem -certfile ca.pem -out vendor.p12 -passout pass:test-only

mkdir -p dist/win32
"$src/tests/pack/stub-pe.sh" dist/win32/Kavrel.exe 60000
"$src/tests/pack/stub-pe.sh" dist/win32/UNLHA32.dll 30000
echo "read me" >README.TXT
cat >unsigned.toml <<'TOML'
target-version = "V6.1"

[[item]]
file = "README.TXT"
TOML
{ cat unsigned.toml; printf '\n[signing]\ncertificate = "vendor.p12"\npassword-env = "KAVREL_TEST_SIGN_PASSWORD"\n'; } >signed.toml

expect 2 "an unset password variable is refused" "$pack" build signed.toml -o signed --dist-root dist
says "signed.toml:8: error: signing: the environment variable KAVREL_TEST_SIGN_PASSWORD is not set" "with its line"
expect 2 "a wrong password is the signer's error" env KAVREL_TEST_SIGN_PASSWORD=wrong "$pack" build signed.toml -o signed --dist-root dist
says "cannot sign UNLHA32.dll: osslsigncode failed with exit code" "naming the file and the signer"
checks=$((checks + 1)); [ ! -e signed ] && echo "ok: and nothing is written" || { echo "FAIL: signed/ written"; failures=$((failures + 1)); }
export KAVREL_TEST_SIGN_PASSWORD=test-only
expect 0 "a signed medium builds" "$pack" build signed.toml -o signed --dist-root dist
for program in Kavrel.exe UNLHA32.dll; do
  expect 0 "$program verifies against the CA" osslsigncode verify -in "signed/$program" -CAfile ca.pem
done
expect 0 "the signed medium checks clean against the CA" "$pack" check signed --ca-file ca.pem
expect 0 "show prints it" "$pack" show signed
says "Kavrel.exe: signed, content list of 3 file(s)" "signed, with info.txt, UNLHA32.dll and README.TXT listed"
expect 1 "without the CA the signer is not trusted: a warning" "$pack" check signed
says "its signer is not trusted" "and says so"

cp -r signed listed
at=$(grep -obUaF "README.TXT" listed/Kavrel.exe | head -1 | cut -d: -f1)
printf 'X' | dd of=listed/Kavrel.exe bs=1 seek="$at" conv=notrunc 2>/dev/null
expect 1 "a byte changed in the content list breaks the signature" osslsigncode verify -in listed/Kavrel.exe -CAfile ca.pem
expect 2 "and check refuses it" "$pack" check listed --ca-file ca.pem
says "Kavrel.exe: error: altered or damaged" "naming Kavrel.exe"

cp -r signed altered
echo "read me, changed" >altered/README.TXT
expect 2 "an altered plain file is an error" "$pack" check altered --ca-file ca.pem
says "README.TXT: error: altered or damaged" "naming it"

expect 0 "an unsigned medium builds" "$pack" build unsigned.toml -o unsigned --dist-root dist
expect 1 "its check warns" "$pack" check unsigned
says "Kavrel.exe: warning: is not signed" "that Kavrel.exe is not signed"
echo "changed" >unsigned/README.TXT
expect 2 "and still checks the content list" "$pack" check unsigned
says "README.TXT: error: altered or damaged" "naming the file"

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" = 0 ]
