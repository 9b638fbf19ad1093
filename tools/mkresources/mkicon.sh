#!/usr/bin/env bash
# Renders the program icon in its two sizes: a jet seen from above, pointing right, in cyan
# and white on a blue disc. 16-colour BMP files; fuchsia (FF00FF) marks the transparent
# corners outside the disc.
#   tools/mkresources/mkicon.sh [folder]   (default resources/)
set -euo pipefail
dir=${1:-"$(dirname "$0")/../../resources"}

# The jet drawn on a 32 x 32 grid: fuselage, swept wings, tail planes, canopy.
jet=(-fill '#00FFFF'
     -draw 'polygon 4,14 22,13 29,16 22,19 4,18'
     -draw 'polygon 12,14 17,14 11,3 8,3'
     -draw 'polygon 12,18 17,18 11,29 8,29'
     -draw 'polygon 4,14 7,14 4,8 2,8'
     -draw 'polygon 4,18 7,18 4,24 2,24'
     -fill '#FFFFFF'
     -draw 'polygon 20,15 25,16 20,17'
     -draw 'line 6,16 19,16')

# The classic 16-colour palette, so both sizes share one set of colours.
palette=$(mktemp --suffix=.ppm)
trap 'rm -f "$palette"' EXIT
printf 'P3\n16 1\n255\n0 0 0  128 0 0  0 128 0  128 128 0  0 0 128  128 0 128  0 128 128  192 192 192\n128 128 128  255 0 0  0 255 0  255 255 0  0 0 255  255 0 255  0 255 255  255 255 255\n' > "$palette"

make() {  # size file
  local size=$1 file=$2
  convert -size 128x128 xc:'#FF00FF' -fill '#0000C0' -draw 'circle 64,64 64,1' \
    -fill '#0000FF' -draw 'circle 64,64 64,8' \
    \( -size 32x32 xc:none "${jet[@]}" -scale 400% \) -composite \
    -filter point -resize "${size}x${size}" \
    -dither None -remap "$palette" \
    -type Palette -colors 16 BMP3:"$file"
  echo "$file: $(identify -format '%wx%h %[bit-depth]-bit %k colours' "$file")"
}
make 32 "$dir/MAINICON.bmp"
make 16 "$dir/MAINICON16.bmp"
