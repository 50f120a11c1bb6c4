#!/usr/bin/env bash
# Synthesises the notification sounds in this folder with sox and encodes them with lame:
#   01.mp3  a soft two-note bell chime rising a fifth (C6, then G6), 1.3 s
#   02.mp3  a gentle "ding-dong" falling a major third (G5, then E♭5), 1.1 s
# Each note is a sine with a quieter inharmonic overtone (as a small bell has) and a
# logarithmic decay. Run it from anywhere; it rewrites both files.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# note <out.wav> <frequency Hz> <length s> <delay s> <gain dB>
note() {
    local out=$1 freq=$2 length=$3 delay=$4 gain=$5
    local overtone
    overtone=$(awk "BEGIN { print $freq * 2.76 }")
    sox -D -n -r 44100 -c 1 -b 16 "$work/fundamental.wav" synth "$length" sine "$freq"
    sox -D -n -r 44100 -c 1 -b 16 "$work/overtone.wav" synth "$length" sine "$overtone" gain -14
    sox -D -m "$work/fundamental.wav" "$work/overtone.wav" "$out" \
        fade l 0.004 "$length" "$(awk "BEGIN { print $length - 0.01 }")" gain "$gain" pad "$delay"
}

# chime <out.mp3> <total length s> then pairs of "<frequency> <length> <delay>"
chime() {
    local out=$1 total=$2
    shift 2
    local parts=() i=0
    while [ $# -gt 0 ]; do
        note "$work/part$i.wav" "$1" "$2" "$3" -9
        parts+=("$work/part$i.wav")
        i=$((i + 1))
        shift 3
    done
    sox -D -m "${parts[@]}" "$work/mix.wav" trim 0 "$total" reverb 20 50 40 gain -n -3
    sox -D "$work/mix.wav" -c 2 "$work/stereo.wav"
    lame --quiet --noreplaygain -b 128 "$work/stereo.wav" "$out"
}

chime 01.mp3 1.28 1046.50 1.0 0 1567.98 1.1 0.18
chime 02.mp3 1.1 783.99 0.8 0 622.25 0.85 0.25
