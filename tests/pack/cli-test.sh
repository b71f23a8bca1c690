#!/usr/bin/env bash
# kavrel-pack on its command line: the demo manifest built, checked and shown, and the
# exit codes the README promises (0 clean, 1 warnings only, 2 errors, 3 usage).
# Usage: cli-test.sh KAVREL_PACK SOURCE_DIR
set -uo pipefail
pack=$1 src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
expect() {  # expected-code description command...
  local want=$1 what=$2; shift 2
  "$@" >"$work/out" 2>&1
  local got=$?
  if [ "$got" != "$want" ]; then
    echo "FAIL: $what: exit $got, expected $want"; cat "$work/out"; failures=$((failures + 1))
  else
    echo "ok: $what"
  fi
}

# Stand-ins for the programs where the demo manifest takes them from (dist/win32): the
# tool copies them, and appends the content list to Kavrel.exe's image.
mkdir -p "$work/dist/win32"
"$src/tests/pack/stub-pe.sh" "$work/dist/win32/Kavrel.exe" 100000
"$src/tests/pack/stub-pe.sh" "$work/dist/win32/UNLHA32.dll" 50000

expect 3 "no command is a usage error" "$pack"
expect 3 "an unknown media is a usage error" "$pack" check "$work" --media floppy-2.88
expect 0 "the demo builds" "$pack" build "$src/demo/update.toml" -o "$work/demo" --dist-root "$work/dist"
grep -q "PROG, DATA, STORE, HELP, START, README.TXT" "$work/out" || { echo "FAIL: no table"; failures=$((failures + 1)); }
expect 1 "the unsigned demo checks with warnings only" "$pack" check "$work/demo"
expect 0 "show prints the description" "$pack" show "$work/demo"
grep -q "モルベーン V6.1 の更新です。" "$work/out" || { echo "FAIL: show without the notes"; failures=$((failures + 1)); }
expect 2 "a second build into the same folder is refused" "$pack" build "$src/demo/update.toml" -o "$work/demo" --dist-root "$work/dist"
expect 0 "--force replaces it" "$pack" build "$src/demo/update.toml" -o "$work/demo" --dist-root "$work/dist" --force
sed -i 's/^NULL\r$/null\r/' "$work/demo/info.txt"
expect 2 "an info.txt edited after the build no longer matches the content list" "$pack" check "$work/demo"
rm "$work/demo/HELP.lzh"
expect 2 "a missing archive exits 2" "$pack" check "$work/demo"
grep -q "info.txt:45: error: HELP.lzh is not on disk 1" "$work/out" || { echo "FAIL: line not named"; cat "$work/out"; failures=$((failures + 1)); }
expect 2 "no medium exits 2" "$pack" check "$work/nothing"

echo "$((12 - failures)) passed, $failures failed"
[ "$failures" = 0 ]
