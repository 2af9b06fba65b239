#!/usr/bin/env bash
# Draws win32/VarokConfig.ico, the exe's icon, at 256, 48, 32 and 16 pixels: the drawing of
# gui/varokconfig.svg, given to ImageMagick as its own drawing commands (it reads no SVG here).
# Run after changing that drawing; the icon is kept in the repository.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sizes=(256 48 32 16)
for size in "${sizes[@]}"; do
    scale=$(awk "BEGIN { print $size / 64 }")
    convert -size "${size}x$size" xc:none -draw "scale $scale,$scale
        fill '#2d5d8f' roundrectangle 4,8 60,56 6,6
        fill '#e8eef5' roundrectangle 10,14 54,50 3,3
        fill '#c0392b' path 'M18 28h6l8-7v22l-8-7h-6z'
        fill none stroke '#c0392b' stroke-width 3 stroke-linecap round path 'M37 25q4 7 0 14M42 21q7 11 0 22'" \
        -depth 8 "png32:$work/$size.png"
done
convert $(printf "$work/%s.png " "${sizes[@]}") win32/VarokConfig.ico
