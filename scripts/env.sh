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
