#!/usr/bin/env bash
# Renders the PNG sizes of the app icon from its SVG into png/<size>.png (rsvg-convert,
# Debian package librsvg2-bin). The PNGs are committed; run this after editing the SVG.
set -euo pipefail
cd "$(dirname "$0")"

for size in 16 22 24 32 48 64 128 256; do
    mkdir -p png
    rsvg-convert --width "$size" --height "$size" --format png \
        --output "png/$size.png" com.quintrel.Companion.svg
done
