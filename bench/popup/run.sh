#!/usr/bin/env bash
# Opens the dashboard popup under a private Xvfb against a local widget host, prints its
# time and memory, and writes a screenshot of the open popup.
#   bench/popup/run.sh [build dir] [screenshot.png]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
shot=${2:-demo-output/popup.png}
port=47319
mkdir -p "$(dirname "$shot")"
work=$(mktemp -d)
cleanup() {
    for pid in ${host:-} ${xvfb:-}; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

python3 bench/popup/widget_host.py "$port" 2>"$work/host.log" &
host=$!
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 2>/dev/null &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

"$build/bench/popup/popup_footprint" "http://localhost:$port" 6 >"$work/out" 2>"$work/err" &
app=$!
while ! grep -q '^window at' "$work/out" 2>/dev/null; do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.2
done
sleep 2
import -window root "$shot"
wait "$app"
cat "$work/out"
echo "screenshot: $shot"
grep -c 'GET /widget/' "$work/host.log" | sed 's/^/widget requests: /'
