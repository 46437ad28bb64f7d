#!/bin/bash
# Draws the figure viewer's icon: a framed picture (sky, sun, hills) with a
# magnifying glass over its corner, reduced to 16 colours like the classic icon.
set -euo pipefail
cd "$(dirname "$0")"
draw() {  # draw SIZE OUT: the same drawing on a 32-unit grid, scaled
    local size=$1 out=$2 s
    s=$(echo "scale=4; $size/32" | bc)
    convert -size "${size}x${size}" xc:none \
        -draw "scale $s,$s fill #808080 rectangle 2,4 27,25" \
        -draw "scale $s,$s fill #ffffff rectangle 3,5 26,24" \
        -draw "scale $s,$s fill #00ffff rectangle 4,6 25,17" \
        -draw "scale $s,$s fill #ffff00 circle 9,10 9,12" \
        -draw "scale $s,$s fill #008000 polygon 4,18 10,12 16,18 20,14 25,19 25,23 4,23" \
        -draw "scale $s,$s fill #000080 stroke #000080 stroke-width 3 line 22,22 29,29" \
        -draw "scale $s,$s fill #c0c0c0 stroke #000000 stroke-width 1.5 circle 19,19 19,25" \
        -draw "scale $s,$s fill none stroke #ffffff stroke-width 1 arc 15,15 21,21 180,270" \
        -colors 16 PNG32:"$out"
}
draw 32 ornfig-32.png
draw 48 ornfig-48.png
draw 128 ornfig-128.png
