#!/usr/bin/env bash
# Draws the program's two tray pictures into data/icons/ (ImageMagick); run it
# after changing a picture and commit the PNG files it writes.
#   tray0.png  the whereabouts board: rows with a green mark for those present
#   tray1.png  the mail mark: the alternate (blinking) picture and the picture
#              of the mail-mark window
set -euo pipefail
cd "$(dirname "$0")/../data/icons"
command -v convert >/dev/null || { echo "convert missing: run tools/install-deps.sh" >&2; exit 1; }

common=(-strip -define png:exclude-chunks=date,time)

convert -size 32x32 xc:none \
    -fill '#24487a' -stroke none -draw 'roundrectangle 1,2 30,29 4,4' \
    -fill '#fbfbf2' -draw 'rectangle 4,5 27,26' \
    -fill '#2e9d44' -draw 'circle 8,10 8,12' -draw 'circle 8,21 8,23' \
    -fill '#b8b8b8' -draw 'circle 8,15.5 8,17.5' \
    -stroke '#3c3c3c' -strokewidth 2 \
    -draw 'line 12,10 24,10' -draw 'line 12,15.5 21,15.5' -draw 'line 12,21 23,21' \
    "${common[@]}" tray0.png

convert -size 32x32 xc:none \
    -fill '#ffe45c' -stroke '#8a5200' -strokewidth 2 -draw 'rectangle 2,7 29,25' \
    -fill none -draw 'polyline 2,8 15.5,18 29,8' \
    -strokewidth 1.5 -draw 'line 3,24 12,16' -draw 'line 28,24 19,16' \
    -fill '#d42020' -stroke none -draw 'circle 26,7 26,11' \
    "${common[@]}" tray1.png

echo "wrote $(pwd)/tray0.png and tray1.png"
