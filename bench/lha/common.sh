# Shared by bench-lha.sh and bench-compress.sh (sourced): the core every tool runs on,
# and the deterministic mix both measure.

# Every tool on one core, as the figures were measured: a tool's helper threads
# (jlha's compiler and garbage collector) then cost it time instead of hiding on an idle
# core. CORE=N picks the core; CORE=all runs unpinned. Re-runs the calling script under
# taskset.
pin_to_one_core() {  # the script's arguments
  if [ -z "${KAVREL_BENCH_CORE:-}" ] && [ "${CORE:-}" != all ] && command -v taskset >/dev/null; then
    local core="${CORE:-$(taskset -pc $$ | sed 's/.*: *//; s/[-,].*//')}"
    KAVREL_BENCH_CORE="$core" exec taskset -c "$core" "$0" "$@"
  fi
  if [ -n "${KAVREL_BENCH_CORE:-}" ]; then echo "every tool runs on core $KAVREL_BENCH_CORE"; fi
}

# The mix of gen-mix.py in $1, made again whenever the generator changes.
make_mix() {  # folder
  if [ ! -f "$1/.done" ] || [ "$root/bench/lha/gen-mix.py" -nt "$1/.done" ]; then
    echo "making the mix in $1"
    python3 "$root/bench/lha/gen-mix.py" "$1"
    touch "$1/.done"
  fi
}
