#!/usr/bin/env bash
# Draws the installed SVG icon as desktops do (librsvg) and compares it with
# the program's own pixels, at sizes where the design's units are whole pixels.
#   usage: icon_svg.sh EXPORT_ICON SVG WORK_DIR
set -euo pipefail
command -v rsvg-convert >/dev/null || { echo "SKIP: rsvg-convert is not installed (bash scripts/deps.sh)"; exit 77; }
out="$3/icon-svg-drawn.png"
for size in 128 256; do
    rsvg-convert -w "$size" -h "$size" -o "$out" "$2"
    "$1" --compare "$out"
done
