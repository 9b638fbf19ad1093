#!/usr/bin/env bash
# Renders the photograph of the two sensor units shown in the middle of the main window:
# two black boxes side by side, each with a nine-pin connector at the front and a printed
# label on top (AX-9 left, KQ3 right). 160 x 102, JPEG.
#   tools/mkresources/mkphoto.sh [output]   (default resources/IMAGEKQ3.jpg)
set -euo pipefail
out=${1:-"$(dirname "$0")/../../resources/IMAGEKQ3.jpg"}
font=$(fc-match -f '%{file}' 'DejaVu Sans:bold')

args=()
# One unit: body, top face, label, connector shell with two rows of pins (5 + 4).
unit() {  # x0 label
  local x=$1 label=$2 r=$(($1 + 66)) i
  args+=(-fill '#1b1b1d' -draw "roundrectangle $x,14 $r,84 5,5")
  args+=(-fill '#2c2c30' -draw "roundrectangle $((x + 2)),16 $((r - 2)),66 4,4")
  args+=(-fill '#d9d4c4' -draw "rectangle $((x + 8)),20 $((r - 8)),36")
  args+=(-fill '#202020' -font "$font" -pointsize 11 -annotate "+$((x + 17))+32" "$label")
  args+=(-fill '#9a9aa0' -draw "polygon $((x + 15)),70 $((r - 15)),70 $((r - 19)),82 $((x + 19)),82")
  args+=(-fill '#45454a' -draw "polygon $((x + 18)),72 $((r - 18)),72 $((r - 21)),80 $((x + 21)),80")
  for i in 0 1 2 3 4; do args+=(-fill '#e8c860' -draw "circle $((x + 23 + i * 5)),74 $((x + 24 + i * 5)),74"); done
  for i in 0 1 2 3; do args+=(-fill '#e8c860' -draw "circle $((x + 25 + i * 5)),78 $((x + 26 + i * 5)),78"); done
  args+=(-fill '#3a3a3e' -draw "circle $((x + 8)),76 $((x + 10)),76" -draw "circle $((r - 8)),76 $((r - 6)),76")
}
unit 8 AX-9
unit 86 KQ3
convert -size 160x102 gradient:'#c8ccd2-#8e939b' \
  -fill '#00000030' -draw 'roundrectangle 10,20 80,92 6,6' -draw 'roundrectangle 90,20 160,92 6,6' \
  "${args[@]}" -blur 0x0.4 -seed 7 -attenuate 0.15 +noise Gaussian -strip -quality 90 -sampling-factor 2x2 "$out"
echo "$out: $(stat -c %s "$out") bytes"
