#!/usr/bin/env bash
# What crash safety costs (staging in the work folder, flushes before renames, the commit
# record and the journal): Kavrel.exe /S of two shipped pairs, interleaved under Wine, on
# the demo medium and on an update that replaces 240 files from one archive and a 24 MiB
# plain file; the installation is laid out afresh before each run. Prints the median wall
# time of each pair per medium and their ratio.
#   bench/durability/bench-durability.sh OLD_DIST [NEW_DIST] [RUNS]
#   (NEW_DIST defaults to dist/win64, RUNS to 5; a DIST is a folder with Kavrel.exe and
#   UNLHA32.dll, for example a copy of dist/win64 from an earlier build)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
. "$root/scripts/env.sh"
old="$(cd "$1" && pwd)"
new="$(cd "${2:-$root/dist/win64}" && pwd)"
runs="${3:-5}"
tools="$KAVREL_BUILD/release"
[ -x "$tools/pack/kavrel-pack" ] || tools="$KAVREL_BUILD/native"
pack="$tools/pack/kavrel-pack"
lha="$tools/lha/tool/kavrel-lha"
[ -x "$pack" ] && [ -x "$lha" ] || { echo "no kavrel-pack or kavrel-lha (scripts/build release)" >&2; exit 1; }

d="$KAVREL_DRIVES/d/DURABLE"
e="$KAVREL_DRIVES/e/DURABLE"
rm -rf "$d" "$e"
mkdir -p "$d" "$e"
# The demo medium, and the large update beside it: the same fixed lines, other items.
"$pack" build "$root/demo/update.toml" -o "$d/demo" >/dev/null
mkdir -p "$d/big" "$d/src"
head -n 41 "$d/demo/info.txt" > "$d/big/info.txt"
printf '1,1,MANY,BIN\\\r\n1,0,BIG.DAT,DATA\\\r\n' >> "$d/big/info.txt"
python3 - "$d/src" <<'PY'
import os, sys
out = sys.argv[1]
for i in range(240):
    with open(os.path.join(out, f"F{i}.DAT"), "wb") as f:
        f.write(os.urandom(2048) + bytes(30000 + 97 * i))
with open(os.path.join(out, "BIG.DAT"), "wb") as f:
    f.write(os.urandom(24 << 20))
PY
(cd "$d/src" && "$lha" a "$d/big/MANY.lzh" F*.DAT >/dev/null)
mv "$d/src/BIG.DAT" "$d/big/"
# The installation each run starts from: the demo's, with the large update's old files.
inst="$d/install"
mkdir -p "$inst/BIN" "$inst/DATA"
cp -r "$root/demo/install/." "$inst/"
for i in $(seq 0 239); do head -c 1000 /dev/urandom > "$inst/BIN/F$i.DAT"; done
head -c $((12 << 20)) /dev/urandom > "$inst/DATA/BIG.DAT"
# The installation folder the demo's info.txt names (line 16) is given with /D=.
for pair in old new; do
  for medium in demo big; do
    mkdir -p "$d/$pair-$medium"
    cp -r "$d/$medium/." "$d/$pair-$medium/"
    src=$old; [ "$pair" = new ] && src=$new
    cp "$src/Kavrel.exe" "$src/UNLHA32.dll" "$d/$pair-$medium/"
  done
done

started=""
if [ -z "${DISPLAY:-}" ]; then kavrel_start_xvfb; started=1; fi
declare -A times
for r in $(seq 1 "$runs"); do
  for medium in demo big; do
    for pair in old new; do
      rm -rf "$e/MORVANE"
      cp -r "$inst" "$e/MORVANE"
      sync
      t0=$(date +%s%N)
      code=0
      (cd "$d/$pair-$medium" && wine Kavrel.exe /S '/D=E:\DURABLE\MORVANE\' >/dev/null 2>&1) || code=$?
      t1=$(date +%s%N)
      [ "$code" = 0 ] || echo "run $r $pair $medium: exit code $code" >&2
      times[$pair-$medium]+="$(( (t1 - t0) / 1000000 )) "
    done
  done
done
for medium in demo big; do
  python3 - "$medium" "${times[old-$medium]}" "${times[new-$medium]}" <<'PY'
import statistics, sys
name, old, new = sys.argv[1], [int(x) for x in sys.argv[2].split()], [int(x) for x in sys.argv[3].split()]
mo, mn = statistics.median(old), statistics.median(new)
print(f"{name}: old {mo:.0f} ms, new {mn:.0f} ms (medians of {len(old)}), new/old {mn / mo:.2f}")
PY
done
rm -rf "$d" "$e"
[ -n "$started" ] && kavrel_stop_xvfb
exit 0
