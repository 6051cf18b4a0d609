#!/usr/bin/env bash
# Renders the application icon for desktops: an SVG and PNGs in the hicolor theme's sizes,
# written into icons/ beside this script (the results are committed). The shapes are those
# of kinorex.xpm, the dialog's own icon, on its 32-unit grid: a film strip with a play sign.
# Needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"

dark='#263238' white='#ECEFF1' blue='#1E88E5' orange='#FFB300'
# Rectangles as "x0 y0 x1 y1 colour", right and bottom edges exclusive.
rectangles=("1 2 31 30 $dark" "3 8 29 24 $blue")
for x in 3 7 11 15 19 23 27; do
  rectangles+=("$x 4 $((x + 2)) 6 $white" "$x 26 $((x + 2)) 28 $white")
done
play_sign=(12 10 24 16 12 22)

out=icons/hicolor
mkdir -p "$out/scalable/apps"
{
  echo '<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">'
  for r in "${rectangles[@]}"; do
    read -r x0 y0 x1 y1 colour <<<"$r"
    echo "  <rect x=\"$x0\" y=\"$y0\" width=\"$((x1 - x0))\" height=\"$((y1 - y0))\" fill=\"$colour\"/>"
  done
  printf '  <polygon points="%s,%s %s,%s %s,%s" fill="%s"/>\n' "${play_sign[@]}" "$orange"
  echo '</svg>'
} >"$out/scalable/apps/kinorex.svg"

# Drawn at 32 pixels per unit so that every edge is exact, then scaled down.
unit=32
draw=()
for r in "${rectangles[@]}"; do
  read -r x0 y0 x1 y1 colour <<<"$r"
  draw+=(-fill "$colour" -draw "rectangle $((x0 * unit)),$((y0 * unit)) $((x1 * unit - 1)),$((y1 * unit - 1))")
done
points=""
for ((i = 0; i < ${#play_sign[@]}; i += 2)); do
  points+="$((play_sign[i] * unit)),$((play_sign[i + 1] * unit)) "
done
draw+=(-fill "$orange" -draw "polygon $points")

for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "$out/${size}x${size}/apps"
  convert -size $((32 * unit))x$((32 * unit)) xc:none "${draw[@]}" \
    -filter box -resize "${size}x${size}" -strip \
    -define png:exclude-chunks=date,time "$out/${size}x${size}/apps/kinorex.png"
done
