#!/usr/bin/env bash
# Runs a command under a private Xvfb server, so it gets an on-screen (GLX) window without
# relying on a running display. Exits 77 (skipped) when Xvfb is not installed.
set -euo pipefail
command -v Xvfb >/dev/null || { echo "Xvfb not installed: skipped"; exit 77; }
# -displayfd picks a free display number and writes it once the server accepts clients.
fifo="$(mktemp -u)"
mkfifo "$fifo"
# -noreset: a server that resets when its last client leaves refuses the next one for a while.
Xvfb -displayfd 3 -screen 0 320x240x24 -nolisten tcp -noreset 3>"$fifo" 2>/dev/null &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -f "$fifo"' EXIT
read -r -t 20 display <"$fifo" || { echo "Xvfb did not start"; exit 1; }
unset WAYLAND_DISPLAY
DISPLAY=":$display" "$@"
