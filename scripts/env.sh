# Shared environment of Kavrel's scripts: one Wine prefix of the project's own,
# one LANG for setup, tests and demo (changing LANG resets Wine's font substitutes).
KAVREL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export KAVREL_ROOT
export KAVREL_BUILD="${KAVREL_BUILD:-$KAVREL_ROOT/build}"
export WINEPREFIX="${KAVREL_WINEPREFIX:-$KAVREL_BUILD/wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8
unset LC_ALL
# Folders behind the Wine test drives: D: fixed (medium), E: fixed (installations),
# F: typed as a floppy (removable medium).
export KAVREL_DRIVES="$KAVREL_BUILD/drives"

# Whether this kernel runs 32-bit x86 programs (IA-32 emulation): a static i386 ELF of
# 96 bytes, written here, whose only work is exit(42). Where the kernel lacks IA-32
# emulation, it fails to start (exec format error) and the 32-bit build cannot run.
kavrel_ia32_runs() {
  local dir rc
  # in the build folder, where programs run anyway (a temporary folder may be noexec)
  mkdir -p "$KAVREL_BUILD" && dir=$(mktemp -d "$KAVREL_BUILD/ia32-check.XXXXXX") || return 1
  # ELF header: 32-bit, little-endian, ET_EXEC, EM_386, entry 0x08048054, one program header
  printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000' >"$dir/exit42"
  printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000' >>"$dir/exit42"
  printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000' >>"$dir/exit42"
  # PT_LOAD of the whole file at 0x08048000, 96 bytes, read and execute
  printf '\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010' >>"$dir/exit42"
  printf '\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000' >>"$dir/exit42"
  # mov eax, 1 (exit); mov ebx, 42; int 0x80
  printf '\270\001\000\000\000\273\052\000\000\000\315\200' >>"$dir/exit42"
  chmod +x "$dir/exit42"
  "$dir/exit42" 2>/dev/null
  rc=$?
  rm -rf "$dir"
  [ "$rc" = 42 ]
}

# The machine a Windows program is built for, from its PE header: 8664 (x86_64), 014c (i386).
kavrel_pe_machine() {
  local pe
  pe=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') && [ -n "$pe" ] || return 1
  od -An -tx2 -j"$((pe + 4))" -N2 "$1" 2>/dev/null | tr -d ' '
}

# The Wine loader for `wine PROGRAM ...`. With wine32 installed, /usr/bin/wine is the
# 32-bit loader, which hands a 64-bit program to start.exe; that cannot name a Linux path
# outside the prefix's drives (there is no Z:) and fails it with "file not found". A
# 64-bit program named by its Linux path therefore goes to the 64-bit loader itself.
kavrel_wine_loader() {
  if [ -x /usr/lib/wine/wine ] && [ -x /usr/lib/wine/wine64 ] && [ -f "${1:-}" ] &&
     [ "$(kavrel_pe_machine "$1")" = 8664 ]; then
    echo /usr/lib/wine/wine64
  else
    type -P wine
  fi
}
wine() { "$(kavrel_wine_loader "${1:-}")" "$@"; }

# Start an Xvfb of our own unless one is already given to us.
kavrel_start_xvfb() {
  if [ -n "${KAVREL_XVFB_PID:-}" ]; then return 0; fi
  local n
  for n in 91 92 93 94 95 96 97 98 99; do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then break; fi
  done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  KAVREL_XVFB_PID=$!
  export KAVREL_XVFB_PID
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && return 0
    sleep 0.1
  done
  echo "Xvfb did not start" >&2
  return 1
}

kavrel_stop_xvfb() {
  if [ -n "${KAVREL_XVFB_PID:-}" ]; then
    kill "$KAVREL_XVFB_PID" 2>/dev/null || true
    wait "$KAVREL_XVFB_PID" 2>/dev/null || true
    unset KAVREL_XVFB_PID
  fi
}
