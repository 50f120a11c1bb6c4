#!/usr/bin/env bash
# quintrel-sound into a private PulseAudio whose only sink is a pipe: what arrives is not
# silence. Usage: audible_sound_test.sh <quintrel-sound> <file.mp3>; 77 (skip): no PulseAudio.
set -euo pipefail
helper=$1
sound=$2

command -v pulseaudio >/dev/null && command -v pactl >/dev/null && command -v sox >/dev/null ||
    { echo "SKIP: pulseaudio, pactl or sox is not installed"; exit 77; }

runtime=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$runtime"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR=$runtime HOME=$runtime
export PULSE_SERVER=unix:$runtime/pulse.sock
mkfifo "$runtime/capture"

env -u DBUS_SESSION_BUS_ADDRESS pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --use-pid-file=no --log-target=stderr \
    -L "module-native-protocol-unix socket=$runtime/pulse.sock auth-anonymous=1" \
    -L "module-pipe-sink file=$runtime/capture sink_name=capture format=s16le rate=44100 channels=2 use_system_clock_for_timing=yes" \
    2>"$runtime/pulseaudio.log" &
pids+=($!)

for _ in $(seq 1 200); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null 2>&1 ||
    { echo "SKIP: PulseAudio did not start here:"; tail -5 "$runtime/pulseaudio.log"; exit 77; }

cat "$runtime/capture" >"$runtime/captured.raw" &
pids+=($!)

DBUS_SESSION_BUS_ADDRESS= timeout 120 "$helper" "$sound"
# The sink writes in real time; let its last buffer reach the pipe.
sleep 0.5

rms=$(sox -t raw -r 44100 -e signed -b 16 -c 2 "$runtime/captured.raw" -n remix 1 stat 2>&1 |
    awk '/RMS +amplitude/ { print $3 }')
echo "captured RMS amplitude: ${rms:-none}"
awk -v rms="${rms:-0}" 'BEGIN { exit !(rms > 0.01) }'
