#!/usr/bin/env bash
# Runs a command inside a private Wine environment for one build tree:
#   scripts/wine-env.sh BUILD_DIR COMMAND [ARGS...]
# Starts Xvfb and a persistent wineserver for BUILD_DIR/wineprefix (copied from
# a template prefix made once under build/), exports DISPLAY, WINEPREFIX and
# WINEDEBUG, runs the command and stops both again, whatever the outcome.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(cd "$1" && pwd)
shift

export WINEDEBUG=-all
# No Mono installer; a crash ends the process instead of starting the
# debugger; no menu builder, which spins under an emulated i386.
export WINEDLLOVERRIDES="mscoree=;winedbg.exe=d;winemenubuilder.exe=d"
# A native server where there is one: it serves 32-bit clients too, and
# under an emulated i386 it is the one process that need not be emulated.
if [ -z "${WINESERVER:-}" ] && [ -x /usr/lib/wine/wineserver64 ]; then
  export WINESERVER=/usr/lib/wine/wineserver64
fi
server=${WINESERVER:-wineserver}
template="$root/build/wine-template"
if [ ! -f "$template/.ready" ]; then
  rm -rf "$template"
  WINEPREFIX="$template" WINEARCH=win32 wineboot -i </dev/null >/dev/null 2>&1
  WINEPREFIX="$template" "$server" -w
  touch "$template/.ready"
fi
export WINEPREFIX="$build_dir/wineprefix"
if [ ! -d "$WINEPREFIX" ]; then
  cp -a "$template" "$WINEPREFIX"
  rm -f "$WINEPREFIX/.ready"
fi

xvfb_pid=""
cleanup() {
  "$server" -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT INT TERM

if [ -z "${TB_NO_DISPLAY:-}" ]; then
  fifo=$(mktemp -u) && mkfifo "$fifo"
  Xvfb -displayfd 9 -screen 0 1280x800x24 -nolisten tcp 9>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r display_number <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$display_number"
fi

# A server started on demand would inherit our pipes and keep them open.
"$server" -p </dev/null >/dev/null 2>&1
# The first Wine process starts the prefix's services; let them inherit
# /dev/null rather than the caller's pipes, which they would hold open.
wine cmd.exe /c exit </dev/null >/dev/null 2>&1
"$@"
