#!/usr/bin/env bash
# Renders the PNG sizes of the app icon from its SVG into png/<size>.png, and those of the
# symbolic icon into png/symbolic/<size>.png: the sizes the tray item offers a panel
# (titleicon::kSizes), which the app then decodes without Qt's SVG library
# (rsvg-convert, Debian package librsvg2-bin). The PNGs are committed; run this after
# editing an SVG.
set -euo pipefail
cd "$(dirname "$0")"

mkdir -p png/symbolic
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" --format png \
        --output "png/$size.png" com.quintrel.Companion.svg
done
for size in 16 22 24 32 48 64; do
    rsvg-convert --width "$size" --height "$size" --format png \
        --output "png/symbolic/$size.png" com.quintrel.Companion-symbolic.svg
done
