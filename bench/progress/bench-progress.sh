#!/usr/bin/env bash
# The cost of the wizard's progress window: entry 301 extracts the 64 MiB benchmark
# archive (-lh5-, made by bench/lha from the generated mix) with and without the progress
# window, interleaved, under Wine; prints CPU and wall medians and the time the window
# takes to show.   bench/progress/bench-progress.sh [RUNS]   (default 7)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
. "$root/scripts/env.sh"
runs="${1:-7}"
bench="$KAVREL_BUILD/win64/bench/progress/progress-bench.exe"
[ -f "$bench" ] || { echo "no $bench (scripts/build win64)" >&2; exit 1; }
work="$KAVREL_BUILD/lha-bench"
# The mix and its -lh5- archive as bench/lha makes them (again when the generator changes).
mkdir -p "$work"
if [ ! -f "$work/mix/.done" ] || [ "$root/bench/lha/gen-mix.py" -nt "$work/mix/.done" ]; then
  python3 "$root/bench/lha/gen-mix.py" "$work/mix" && touch "$work/mix/.done"
fi
if [ ! -f "$work/lh5.lzh" ] || [ "$work/mix/.done" -nt "$work/lh5.lzh" ]; then
  (cd "$work/mix" && lha ao5q "$work/lh5.lzh.tmp" text.txt log.txt mixed.bin sparse.bin random.bin >/dev/null)
  mv "$work/lh5.lzh.tmp" "$work/lh5.lzh"
fi
# The archive and the output on the fixed test drive E:, as an installation would be.
mkdir -p "$KAVREL_DRIVES/e/BENCH/out"
cp "$work/lh5.lzh" "$KAVREL_DRIVES/e/BENCH/MIX.lzh"
started=""
if [ -z "${DISPLAY:-}" ]; then kavrel_start_xvfb; started=1; fi
wine "$bench" "$runs" 'E:\BENCH\MIX' 'E:\BENCH\out'
rm -rf "$KAVREL_DRIVES/e/BENCH"
[ -n "$started" ] && kavrel_stop_xvfb
exit 0
