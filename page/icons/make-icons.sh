#!/bin/bash
# Draws the page viewer's icon: a red exclamation mark with a grey drop
# shadow on a transparent background, reduced to 16 colours.
set -euo pipefail
cd "$(dirname "$0")"
draw() {  # draw SIZE OUT: the same drawing on a 32-unit grid, scaled
    local size=$1 out=$2 s
    s=$(echo "scale=4; $size/32" | bc)
    convert -size "${size}x${size}" xc:none \
        -draw "scale $s,$s fill #808080 polygon 14,4 22,4 20,22 16,22" \
        -draw "scale $s,$s fill #808080 rectangle 15,25 21,30" \
        -draw "scale $s,$s fill #ff0000 stroke #800000 stroke-width 1 polygon 11,2 19,2 17,20 13,20" \
        -draw "scale $s,$s fill #ff0000 stroke #800000 stroke-width 1 rectangle 12,23 18,29" \
        -colors 16 PNG32:"$out"
}
draw 32 ornpage-32.png
draw 48 ornpage-48.png
draw 128 ornpage-128.png
