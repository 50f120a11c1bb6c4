#!/usr/bin/env bash
# Runs a command with DISPLAY set to a private Xvfb server, stopped afterwards.
set -euo pipefail
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$fifo" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -f "$fifo"' EXIT
read -r -t 30 display <"$fifo"
DISPLAY=":$display" "$@"
