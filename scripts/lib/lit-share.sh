#!/usr/bin/env bash
# Per mille of a picture's pixels that are lit, inside a box given in percent
# of its width and height:
#   lit-share.sh PICTURE.ppm LEFT TOP RIGHT BOTTOM
# "Lit" is a grey level above a quarter of full brightness.
set -euo pipefail
[[ $# -eq 5 ]] || { echo "usage: $0 PICTURE LEFT TOP RIGHT BOTTOM (percent)" >&2; exit 2; }
picture=$1
read -r width height < <(pamfile -size "$picture")
left=$((width * $2 / 100))
top=$((height * $3 / 100))
box_width=$((width * ($4 - $2) / 100))
box_height=$((height * ($5 - $3) / 100))
(( box_width > 0 && box_height > 0 )) || { echo "$0: empty box" >&2; exit 2; }
lit=$(pamcut -left "$left" -top "$top" -width "$box_width" -height "$box_height" "$picture" |
  ppmtopgm | pgmtopbm -threshold -value 0.25 | pamsumm -sum -brief)
# pamsumm counts white (lit) pixels of the bitmap as 1.
echo $(( ${lit%.*} * 1000 / (box_width * box_height) ))
