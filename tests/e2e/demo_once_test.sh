#!/usr/bin/env bash
# scripts/demo --once, headless, against an existing test build: the panel shows the
# stand-in's number in the screenshot, the demo code is stored only when there is none,
# and no process outlives the script.
# Usage: demo_once_test.sh <source dir> <build dir>
set -euo pipefail
source_dir=$1
build_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run_demo() {  # config home, output dir
    env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$1" QUINTREL_DEMO_BUILD_DIR="$build_dir" \
        QUINTREL_DEMO_OUTPUT_DIR="$2" timeout 120 "$source_dir/scripts/demo" --once
}
check() {  # description, command...
    local what=$1
    shift
    if ! "$@"; then
        echo "FAILED: $what"
        exit 1
    fi
}

# A fresh user: the demo code is stored and the panel shows a number.
run_demo "$work/fresh" "$work/out1"
check "the screenshot exists" test -s "$work/out1/panel.png"
check "the panel showed a number" grep -q 'label="[0-9][0-9]*"' "$work/out1/panel.log"
check "the demo code was stored" grep -q '"qnapicode": "QuintrelDemo2026standinCode0123456789"' \
    "$work/fresh/quintrel/preferences.json"

# A user with a code of their own keeps it (and the other values), and the demo runs with it.
mkdir -p "$work/own/quintrel"
own='{"qnapicode":"MyOwnCode0123456789abcdefghijklmnopqr","qnmode":0}'
printf '%s' "$own" >"$work/own/quintrel/preferences.json"
run_demo "$work/own" "$work/out2"
check "the user's preferences are unchanged" test "$(cat "$work/own/quintrel/preferences.json")" = "$own"
check "the panel showed a number with the user's code" \
    grep -q 'label="[0-9][0-9]*"' "$work/out2/panel.log"

# Everything the demo started has ended with it.
check "no stray processes" test -z "$(pgrep -f "$build_dir/src/desktop/quintrel-companion" || true)"
echo "demo --once: ok"
