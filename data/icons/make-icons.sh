#!/bin/sh
# Renders the PNG sizes of the application icon from the same drawing as the SVG (a clock hand
# sweeping over a blue disc, on a 64-unit grid). Run from this folder; the PNGs are committed.
set -eu
ID=example.tavro.TavroDesk
CONVERT=/usr/bin/convert
for size in 16 22 24 32 48 64 128 256; do
    scale=$(echo "scale=6; $size / 64" | bc)
    mkdir -p "${size}x${size}"
    $CONVERT -size "${size}x${size}" xc:none \
        -draw "affine $scale,0,0,$scale,0,0 fill #3465a4 stroke #204a87 stroke-width 2 circle 32,32 32,3" \
        -draw "affine $scale,0,0,$scale,0,0 fill none stroke white stroke-width 5 stroke-linecap round line 32,32 32,12 line 32,32 46,40" \
        -draw "affine $scale,0,0,$scale,0,0 fill #ef2929 stroke none circle 32,32 32,28" \
        -depth 8 "${size}x${size}/$ID.png"
done
