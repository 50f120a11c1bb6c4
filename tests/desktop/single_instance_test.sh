#!/usr/bin/env bash
# Without a session bus, the lock file: a second start says so and leaves the first alone;
# a lock file that is not this user's own is an error, never "already running".
set -euo pipefail
app=$1
work=$(mktemp -d)
trap 'kill "${first:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
export XDG_CACHE_HOME=$work/cache DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
lockdir=$XDG_RUNTIME_DIR
lock=$XDG_RUNTIME_DIR/quintrel-companion-$(id -u).lock

check() {  # description [signal that ends the first instance]
    "$app" >"$work/first.out" 2>"$work/first.err" &
    first=$!
    # The first one owns its lock once its status item exists.
    for _ in $(seq 100); do
        [[ $(head -n1 "$lockdir/quintrel-companion-$(id -u).lock" 2>/dev/null) == "$first" ]] && break
        sleep 0.1
    done
    second=$(timeout 20 "$app" 2>/dev/null) && status=0 || status=$?
    [[ $status == 0 ]] || { echo "$1: second start exited with $status"; exit 1; }
    [[ $second == "Quintrel Companion is already running" ]] ||
        { echo "$1: second start printed '$second'"; exit 1; }
    kill -0 "$first" || { echo "$1: the first instance is gone"; exit 1; }
    kill -s "${2:-TERM}" "$first"
    wait "$first" || true
    first=
    echo "$1: ok"
}

refused() {  # description, expected text of the one line
    out=$(timeout 20 "$app" 2>/dev/null) && status=0 || status=$?
    [[ $status == 1 && $out == *"$2"* ]] ||
        { echo "$1: exited with $status and printed '$out'"; exit 1; }
    echo "$1: ok"
}

check "lock file without a bus" KILL
# The first instance above died without a chance to remove its lock: it is taken over.
[[ -f $lock ]] || { echo "no lock file was left"; exit 1; }
check "lock file left by a dead instance"
# Ended properly, an instance takes its lock file with it.
[[ ! -e $lock ]] || { echo "the lock file outlived its instance"; exit 1; }

# Without a runtime folder: a folder of the user's own, never the shared /tmp.
lockdir=$XDG_CACHE_HOME/quintrel-companion
(unset XDG_RUNTIME_DIR && check "lock file without a runtime folder")
[[ $(stat -c %a "$lockdir") == 700 ]] || { echo "the lock's folder is not private"; exit 1; }

rm -f "$lock" && mkfifo "$lock"
refused "a FIFO as the lock file" "The lock file $lock is not a regular file"
rm -f "$lock" && ln -s "$work/elsewhere" "$lock"
refused "a symbolic link as the lock file" "The lock file $lock is not a regular file"
if [[ $(id -u) == 0 ]]; then
    rm -f "$lock" && touch "$lock" && chown nobody "$lock"
    refused "another user's lock file" "The lock file $lock belongs to another user"
fi
