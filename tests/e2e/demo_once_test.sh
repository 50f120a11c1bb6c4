#!/usr/bin/env bash
# scripts/demo --once, headless, against an existing test build: it makes every screenshot
# it promises, the panel shows the stand-in's number, the demo runs on preferences of its
# own (the user's are neither read nor written), and no process outlives the script.
# Usage: demo_once_test.sh <source dir> <build dir>
set -euo pipefail
source_dir=$1
build_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

check() {  # description, command...
    "${@:2}" || { echo "FAILED: $1"; exit 1; }
}

# A user with preferences of their own.
mkdir -p "$work/user/quintrel"
own='{"qnapicode":"MyOwnCode0123456789abcdefghijklmnopqr","qnmode":0}'
printf '%s' "$own" >"$work/user/quintrel/preferences.json"

out=$work/out
env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$work/user" QUINTREL_DEMO_BUILD_DIR="$build_dir" \
    QUINTREL_DEMO_OUTPUT_DIR="$out" timeout 240 "$source_dir/scripts/demo" --once | tee "$work/said"

for shot in panel notification popup settings; do
    check "the $shot screenshot exists" test -s "$out/$shot.png"
done
check "the panel showed a number" grep -q 'label="[0-9][0-9]*"' "$out/panel.log"
check "the user's preferences are unchanged" \
    test "$(cat "$work/user/quintrel/preferences.json")" = "$own"
check "nothing else was written to the user's folder" \
    test "$(cd "$work/user" && find . | sort | tr '\n' ' ')" = ". ./quintrel ./quintrel/preferences.json "
check "the demo stored its code in its own folder" \
    grep -q '"qnapicode": "QuintrelDemo2026standinCode0123456789"' "$out/config/quintrel/preferences.json"
check "the demo says where its preferences are" grep -qF "$out/config/quintrel/preferences.json" "$work/said"

# Everything the demo started has ended with it.
check "no stray processes" test -z "$(pgrep -f "$build_dir/src/desktop/quintrel-companion" || true)"
echo "demo --once: ok"
