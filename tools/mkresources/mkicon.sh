#!/usr/bin/env bash
# Renders the program icon: a jet seen from above, pointing right, in cyan and white on a
# blue disc. The program's own two sizes are 16-colour BMP files in which fuchsia (FF00FF)
# marks the transparent corners outside the disc; the desktop's icons are PNG files with
# those corners transparent, the 16 and 32 the same pixels as the program's, the larger
# ones from the same drawing (the 256 pixel-doubled from the 128 master).
#   tools/mkresources/mkicon.sh [resources folder] [desktop icons folder]
#   (default resources/ and data/icons/)
set -euo pipefail
dir=${1:-"$(dirname "$0")/../../resources"}
icons=${2:-"$(dirname "$0")/../../data/icons"}

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

desktop() {  # size file [source]
  local size=$1 file=$2 source=${3:-}
  if [ -n "$source" ]; then
    convert "$source" -transparent '#FF00FF' PNG32:"$file"
  else
    make "$size" "$file.bmp" >/dev/null
    convert "$file.bmp" -transparent '#FF00FF' PNG32:"$file"
    rm -f "$file.bmp"
  fi
  echo "$file: $(identify -format '%wx%h' "$file")"
}
mkdir -p "$icons"
desktop 16 "$icons/16.png" "$dir/MAINICON16.bmp"
desktop 32 "$icons/32.png" "$dir/MAINICON.bmp"
desktop 48 "$icons/48.png"
desktop 64 "$icons/64.png"
desktop 128 "$icons/128.png"
convert "$icons/128.png" -filter point -resize 256x256 PNG32:"$icons/256.png" && rm "$icons/128.png"
echo "$icons/256.png: $(identify -format '%wx%h' "$icons/256.png")"
