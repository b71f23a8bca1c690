#!/usr/bin/env bash
# Compression benchmark of kavrel-lha a against jlha (-lh5-, -lh7-) and gzip -9 (deflate,
# for scale), on the deterministic 64 MiB mix of bench/lha/gen-mix.py (text, log lines,
# mixed and sparse binary, random). Each file is compressed on its own by every tool;
# rounds are interleaved (each round runs every tool once) and the median wall time of
# the rounds is reported, with size, MB/s and the ratio to jlha -lh7-, per kind of data
# and in total. Every archive kavrel-lha writes is then checked by kavrel-lha t and lhasa t.
#   bench/lha/bench-compress.sh [kavrel-lha binary]   (default: build/release/lha/tool/kavrel-lha)
#   RUNS=5 bench/lha/bench-compress.sh                (rounds; default 3)
# Work folder: build/lha-bench (the mix is made once and kept until gen-mix.py changes).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
. "$root/bench/lha/common.sh"
pin_to_one_core "$@"  # every tool on one core (CORE=N, CORE=all unpinned)
tool="$(realpath "${1:-$root/build/release/lha/tool/kavrel-lha}")"
work="$root/build/lha-bench"
runs="${RUNS:-3}"
[ -x "$tool" ] || { echo "no kavrel-lha at $tool (scripts/build release)" >&2; exit 1; }
for t in lha lhasa gzip python3 /usr/bin/time; do
  command -v "$t" >/dev/null || { echo "missing $t (packages jlha-utils, lhasa, gzip, python3, time)" >&2; exit 1; }
done
mix="$work/mix"
make_mix "$mix"  # made again whenever the generator changes
kinds=(text.txt log.txt mixed.bin sparse.bin random.bin)
out="$work/compress"
rm -rf "$out"; mkdir -p "$out"
results="$out/results.tsv"
: > "$results"

# name|command (run in the mix folder; $f the input, $o the output)
tools=(
  'jlha -lh5-|lha ao5q "$o" "$f"'
  'jlha -lh7-|lha ao7q "$o" "$f"'
  'gzip -9|gzip -9c "$f" > "$o"'
  'kavrel -lh5-|"$tool" a -lh5 "$o" "$f"'
  'kavrel -lh7-|"$tool" a "$o" "$f"'
  'kavrel -lh7- -9|"$tool" a -9 "$o" "$f"'
)

cd "$mix"
for round in $(seq 1 "$runs"); do
  echo "round $round of $runs"
  for f in "${kinds[@]}"; do
    for i in "${!tools[@]}"; do
      name="${tools[$i]%%|*}"
      cmd="${tools[$i]#*|}"
      o="$out/$i-$f.out"
      rm -f "$o"
      /usr/bin/time -o "$out/time" -f '%e %U %S' bash -c "f='$f' o='$o' tool='$tool'; $cmd" >/dev/null
      read -r wall user sys < "$out/time"
      printf '%s\t%s\t%s\t%s\t%s\n' "$name" "$f" "$(stat -c %s "$o")" "$wall" "$user" >> "$results"
    done
  done
done

# The archives of the last round must extract to the data, by our reader and by lhasa.
for i in "${!tools[@]}"; do
  case "${tools[$i]}" in kavrel*) ;; *) continue ;; esac
  for f in "${kinds[@]}"; do
    "$tool" t "$out/$i-$f.out" >/dev/null || { echo "kavrel-lha t failed on ${tools[$i]%%|*} $f" >&2; exit 1; }
    lhasa t "$out/$i-$f.out" >/dev/null 2>&1 || { echo "lhasa t failed on ${tools[$i]%%|*} $f" >&2; exit 1; }
  done
done
echo "all kavrel-lha archives check out (kavrel-lha t, lhasa t)"

python3 - "$results" "$mix" <<'PY'
import os, statistics, sys
from collections import defaultdict
rows = [l.rstrip("\n").split("\t") for l in open(sys.argv[1]) if l.strip()]
size, walls, cpus = {}, defaultdict(list), defaultdict(list)
tools, kinds = [], []
for name, kind, s, wall, user in rows:
    if name not in tools: tools.append(name)
    if kind not in kinds: kinds.append(kind)
    size[name, kind] = int(s)
    walls[name, kind].append(float(wall))
    cpus[name, kind].append(float(user))
inputs = {k: os.path.getsize(os.path.join(sys.argv[2], k)) for k in kinds}
wall = {key: statistics.median(v) for key, v in walls.items()}
cpu = {key: statistics.median(v) for key, v in cpus.items()}
def total(table, name, ks):
    return sum(table[name, k] for k in ks)
print(f"\nmedian of {len(walls[tools[0], kinds[0]])} interleaved rounds; ratio and speed-ups against jlha -lh7-")
print("(wall time; CPU = user time, which a busy machine distorts less)")
print(f"{'data':11} {'tool':16} {'bytes':>12} {'of in':>7} {'time':>9} {'speed':>12} {'vs -lh7-':>8} {'speed-up':>8} {'CPU':>7} {'CPU x':>6}")
for k in kinds + ["total"]:
    ks = kinds if k == "total" else [k]
    n = sum(inputs[x] for x in ks)
    ref_s, ref_t, ref_c = (total(t, "jlha -lh7-", ks) for t in (size, wall, cpu))
    for name in tools:
        s, t, c = (total(tab, name, ks) for tab in (size, wall, cpu))
        print(f"{k:11} {name:16} {s:12,} {100*s/n:6.2f}% {t:7.2f} s {n/t/1e6:7.1f} MB/s {100*s/ref_s:7.2f}% "
              f"{ref_t/t:7.1f}x {c:5.2f} s {ref_c/c:5.1f}x")
    print()
PY
