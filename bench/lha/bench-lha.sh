#!/usr/bin/env bash
# Extraction benchmark of the archive library: the 64 MiB mix of bench/lha/gen-mix.py
# (the same bytes on every machine), packed once as -lh5- and -lh7- with Debian's
# jlha-utils, extracted by kavrel-lha ("x"), lhasa ("lhasa xq", x quietly) and bsdtar ("bsdtar -xf").
# Tools run interleaved: each round runs every tool once per archive (in a rotating
# order), and the figures are medians over the rounds, so a busy neighbour on the
# machine slows all tools alike. Every run's output is compared with the data; a tool
# that extracts wrongly fails the benchmark.
#   bench/lha/bench-lha.sh [kavrel-lha binary, or a build folder holding lha/tool/kavrel-lha]
#     default: build/release/lha/tool/kavrel-lha (scripts/build release), as the README names
#   ROUNDS=N (default 9)
# Work folder: build/lha-bench (data in mix/ and the archives are made once and kept).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
. "$root/bench/lha/common.sh"
pin_to_one_core "$@"  # every tool on one core (CORE=N, CORE=all unpinned)
target="${1:-$root/build/release/lha/tool/kavrel-lha}"
[ -d "$target" ] && target="$target/lha/tool/kavrel-lha"
tool="$(cd "$(dirname "$target")" 2>/dev/null && pwd)/$(basename "$target")"
work="$root/build/lha-bench"
mix="$work/mix"
rounds="${ROUNDS:-9}"
files=(text.txt log.txt mixed.bin sparse.bin random.bin)
[ -x "$tool" ] || { echo "no kavrel-lha at $target (scripts/build release)" >&2; exit 1; }
for t in lhasa bsdtar lha python3 /usr/bin/time; do
  command -v "$t" >/dev/null || { echo "missing $t (packages lhasa, libarchive-tools, jlha-utils, python3, time)" >&2; exit 1; }
done
mkdir -p "$work"

make_mix "$mix"  # made again whenever the generator changes, and the archives with it
for m in 5 7; do
  arc="$work/lh$m.lzh"
  if [ ! -f "$arc" ] || [ "$mix/.done" -nt "$arc" ]; then
    echo "packing $arc with jlha (lha ao${m}q; this takes a while)"
    rm -f "$arc.tmp"
    (cd "$mix" && lha "ao${m}q" "$arc.tmp" "${files[@]}" >/dev/null)
    mv "$arc.tmp" "$arc"
  fi
  # Only the method under test (and -lh0- for what does not compress) may appear.
  "$tool" l "$arc" | awk -v m="-lh$m-" '$1 != m && $1 != "-lh0-" { print "unexpected method in archive: " $0; bad=1 } END { exit bad }'
done
if [ ! -f "$work/tiny.lzh" ]; then
  head -c 4000 "$mix/text.txt" > "$work/tiny.txt"
  (cd "$work" && lha ao7q tiny.lzh tiny.txt >/dev/null)
fi

# The timing loop: os.wait4 gives each run's own CPU time.
exec python3 - "$tool" "$work" "$rounds" "${files[@]}" <<'EOF'
import filecmp, os, shutil, statistics, subprocess, sys, time

tool, work, rounds, files = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4:]
mix, out = os.path.join(work, "mix"), os.path.join(work, "out")
size = sum(os.path.getsize(os.path.join(mix, f)) for f in files)

rss_file = os.path.join(work, "rss.txt")

def run(cmd, cwd):
    """Wall seconds, CPU seconds (user+sys), peak RSS in KiB, exit status. The peak RSS
    comes from /usr/bin/time: a child forked by Python would start with Python's RSS."""
    t0 = time.perf_counter()
    p = subprocess.Popen(["/usr/bin/time", "-f", "%M", "-o", rss_file] + cmd, cwd=cwd,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, ru = os.wait4(p.pid, 0)
    wall = time.perf_counter() - t0
    with open(rss_file) as f:
        rss = int(f.read().split()[-1])
    return wall, ru.ru_utime + ru.ru_stime, rss, os.waitstatus_to_exitcode(status)

def fresh_out():
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)

def tools_for(arc):
    return [("kavrel-lha", [tool, "x", arc, out]),
            ("lhasa", ["lhasa", "xq", arc]),
            ("bsdtar", ["bsdtar", "-xf", arc])]

print(f"data: {size / 2**20:.1f} MiB in {len(files)} files; {rounds} interleaved rounds;"
      " medians; wall = elapsed, cpu = user+sys; MB/s = 10^6 bytes of output per second")
samples = {}
failed = False
for r in range(rounds):
    for m in (5, 7):
        arc = os.path.join(work, f"lh{m}.lzh")
        order = tools_for(arc)
        k = (r + m) % len(order)
        for name, cmd in order[k:] + order[:k]:
            fresh_out()
            wall, cpu, rss, code = run(cmd, out)
            bad = [f for f in files if not os.path.exists(os.path.join(out, f))
                   or not filecmp.cmp(os.path.join(mix, f), os.path.join(out, f), shallow=False)]
            if code != 0 or bad:
                print(f"FAILED: {name} on -lh{m}-: exit {code}, wrong or missing: {' '.join(bad) or '-'}",
                      file=sys.stderr)
                failed = True
            samples.setdefault((m, name), []).append((wall, cpu, rss))
    print(f"  round {r + 1}/{rounds} done", file=sys.stderr, flush=True)
shutil.rmtree(out, ignore_errors=True)

print(f"\n{'method':6} {'tool':10} {'wall s':>7} {'(min-max)':>13} {'cpu s':>7} {'wall MB/s':>9}"
      f" {'cpu MB/s':>9} {'peak RSS':>10}")
for m in (5, 7):
    med = {}
    for name in ("kavrel-lha", "lhasa", "bsdtar"):
        s = samples[(m, name)]
        walls = [x[0] for x in s]
        wall, cpu = statistics.median(walls), statistics.median(x[1] for x in s)
        med[name] = (wall, cpu)
        print(f"-lh{m}-  {name:10} {wall:7.3f} {min(walls):6.3f}-{max(walls):6.3f} {cpu:7.3f}"
              f" {size / wall / 1e6:9.1f} {size / cpu / 1e6:9.1f} {max(x[2] for x in s):7d} KB")
    kw, kc = med["kavrel-lha"]
    print(f"-lh{m}-  kavrel-lha vs lhasa: {med['lhasa'][0] / kw:.2f}x wall, {med['lhasa'][1] / kc:.2f}x cpu;"
          f" vs bsdtar: {med['bsdtar'][0] / kw:.2f}x wall, {med['bsdtar'][1] / kc:.2f}x cpu\n")

# Memory does not grow with the archive: kavrel-lha's peak RSS on a tiny and the large archives.
for a in ("tiny", "lh5", "lh7"):
    fresh_out()
    arc = os.path.join(work, a + ".lzh")
    _, _, rss, code = run([tool, "x", arc, out], out)
    print(f"peak RSS of kavrel-lha x {a + '.lzh:':9} {rss:6d} KB (archive {os.path.getsize(arc)} bytes)"
          + ("" if code == 0 else f"  FAILED: exit {code}"))
    failed |= code != 0
shutil.rmtree(out, ignore_errors=True)
os.remove(rss_file)
print("(peak RSS is the whole process: program, C library and buffers)")
sys.exit(1 if failed else 0)
EOF
