#!/usr/bin/env bash
# Extraction benchmark of the archive library: large -lh5- and -lh7- archives (made
# once, with Debian's jlha-utils, from at least 50 MB of varied data) extracted by
# kavrel-lha, lhasa ("lhasa x") and bsdtar (libarchive); prints throughput, the ratio of
# kavrel-lha to each, and peak memory (RSS). Run by hand:
#   bench/lha/bench-lha.sh [build folder with kavrel-lha]   (default: build/release)
# Work folder: build/lha-bench (data and archives are kept between runs).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build/release}"
tool="$build/lha/tool/kavrel-lha"
work="$root/build/lha-bench"
runs="${RUNS:-3}"
[ -x "$tool" ] || { echo "no kavrel-lha at $tool (build the target kavrel-lha)" >&2; exit 1; }
for t in lhasa bsdtar lha /usr/bin/time; do
  command -v "$t" >/dev/null || { echo "missing $t (packages lhasa, libarchive-tools, jlha-utils, time)" >&2; exit 1; }
done
mkdir -p "$work/data"

# --- data: text, program code, and a little that does not compress --------------------
if [ ! -f "$work/data/.done" ]; then
  echo "making test data in $work/data"
  set +o pipefail  # head closes the pipes early
  find /usr/include -type f -name '*.h' -print0 | sort -z | xargs -0 cat | head -c 24000000 > "$work/data/headers.txt"
  find /usr/share/doc /usr/share/common-licenses -type f -print0 2>/dev/null | sort -z | xargs -0 cat 2>/dev/null |
    head -c 12000000 > "$work/data/docs.txt" || true
  find /usr/lib/x86_64-linux-gnu -maxdepth 1 -type f -name '*.so*' -size +1M -print0 | sort -z | xargs -0 cat |
    head -c 20000000 > "$work/data/libs.bin"
  find /usr/bin -maxdepth 1 -type f -size +200k -print0 | sort -z | xargs -0 cat | head -c 8000000 > "$work/data/programs.bin"
  head -c 3000000 /dev/urandom > "$work/data/random.bin"
  set -o pipefail
  touch "$work/data/.done"
fi
size=$(cat "$work"/data/*.txt "$work"/data/*.bin | wc -c)
echo "data: $((size / 1000000)) MB in $(ls "$work/data" | wc -l) files"

# --- archives (jlha: o5 = -lh5-, o7 = -lh7-) -------------------------------------------
for m in 5 7; do
  arc="$work/lh$m.lzh"
  if [ ! -f "$arc" ]; then
    echo "making $arc with jlha (this takes a while)"
    (cd "$work/data" && lha "ao${m}q" "$arc" headers.txt docs.txt libs.bin programs.bin random.bin >/dev/null)
  fi
  "$tool" l "$arc" | awk -v m="-lh$m-" '$1 != m && $1 != "-lh0-" { print "unexpected method in archive: " $0; bad=1 } END { exit bad }'
done

# --- timing ------------------------------------------------------------------------------
# Best wall time and best CPU time (user+sys) of $runs runs, and the peak RSS; each run
# extracts into a fresh folder, and what lands there is compared with the data.
measure() {  # name command...
  local name="$1"; shift
  local best="" bestcpu="" rss=0 i
  for i in $(seq 1 "$runs"); do
    rm -rf "$work/out"; mkdir -p "$work/out"
    sync
    /usr/bin/time -o "$work/time.txt" -f '%e %U %S %M' "$@" >/dev/null 2>&1
    local wall user sys kb
    read -r wall user sys kb < "$work/time.txt"
    local cpu; cpu=$(echo "$user + $sys" | bc -l)
    if [ -z "$best" ] || [ "$(echo "$wall < $best" | bc -l)" = 1 ]; then best=$wall; fi
    if [ -z "$bestcpu" ] || [ "$(echo "$cpu < $bestcpu" | bc -l)" = 1 ]; then bestcpu=$cpu; fi
    [ "$kb" -gt "$rss" ] && rss=$kb
  done
  (cd "$work/out" && for f in "$work"/data/*.txt "$work"/data/*.bin; do
     cmp -s "$f" "$(basename "$f")" || echo "MISMATCH: $name extracted $(basename "$f") wrongly" >&2
   done)
  echo "$best $bestcpu $rss"
}

echo "best of $runs runs each; wall = elapsed, cpu = user+sys; MB/s of decoded data"
printf '\n%-6s %-10s %8s %8s %9s %9s %10s\n' method tool 'wall s' 'cpu s' 'wall MB/s' 'cpu MB/s' 'peak RSS'
for m in 5 7; do
  arc="$work/lh$m.lzh"
  read -r tk ck rk < <(measure kavrel-lha "$tool" e "$arc" "$work/out")
  read -r tl cl rl < <(measure lhasa sh -c "cd '$work/out' && exec lhasa xq '$arc'")
  read -r tb cb rb < <(measure bsdtar bsdtar -xf "$arc" -C "$work/out")
  for row in "kavrel-lha $tk $ck $rk" "lhasa $tl $cl $rl" "bsdtar $tb $cb $rb"; do
    set -- $row
    printf '%-6s %-10s %8.3f %8.3f %9.1f %9.1f %7d KB\n' "-lh$m-" "$1" "$2" "$3" \
      "$(echo "$size / $2 / 1000000" | bc -l)" "$(echo "$size / $3 / 1000000" | bc -l)" "$4"
  done
  printf '%-6s kavrel-lha vs lhasa: %.2fx (wall) %.2fx (cpu); vs bsdtar: %.2fx (wall) %.2fx (cpu)\n\n' "-lh$m-" \
    "$(echo "$tl / $tk" | bc -l)" "$(echo "$cl / $ck" | bc -l)" "$(echo "$tb / $tk" | bc -l)" "$(echo "$cb / $ck" | bc -l)"
done
# Memory does not grow with the archive: peak RSS of kavrel-lha on a tiny archive and on
# the large ones.
if [ ! -f "$work/tiny.lzh" ]; then
  head -c 4000 "$work/data/headers.txt" > "$work/tiny.txt"
  (cd "$work" && lha ao7q tiny.lzh tiny.txt >/dev/null)
fi
for a in tiny lh5 lh7; do
  rm -rf "$work/out"; mkdir -p "$work/out"
  /usr/bin/time -o "$work/time.txt" -f '%M' "$tool" e "$work/$a.lzh" "$work/out" >/dev/null
  printf 'peak RSS of kavrel-lha e %-9s %6d KB (archive %d bytes)\n' "$a.lzh:" "$(cat "$work/time.txt")" \
    "$(stat -c %s "$work/$a.lzh")"
done
rm -rf "$work/out" "$work/time.txt"
echo "(peak RSS is the whole process: program, C library and buffers; the decoder's own"
echo " buffers are under 0.5 MiB for -lh5-/-lh7-, whatever the archive size)"
