# "Is the nebula on the screen", the rule in tests/support/nebula_rule.env.
# Source it, then:
#
#   lit_share PICTURE LEFT TOP RIGHT BOTTOM   per mille of lit pixels in a box
#                                             (percent of the picture's size)
#   nebula_shown PICTURE                      0 when title and cloud are lit;
#                                             sets nebula_figures to what it saw
#
# PICTURE is any netpbm picture (a PPM capture, or xwdtopnm's output).
[[ -n ${_orvane_nebula_sh:-} ]] && return 0
_orvane_nebula_sh=1
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/support/nebula_rule.env"

lit_share() {
  local picture=$1 width height
  read -r width height < <(pamfile -size "$picture") || return 2
  local left=$((width * $2 / 100)) top=$((height * $3 / 100))
  local box_width=$((width * ($4 - $2) / 100)) box_height=$((height * ($5 - $3) / 100))
  ((box_width > 0 && box_height > 0)) || { echo "lit_share: empty box" >&2; return 2; }
  local lit
  # pgmtopbm makes lit pixels white, which pamsumm counts as 1.
  lit=$(pamcut -left "$left" -top "$top" -width "$box_width" -height "$box_height" "$picture" |
    ppmtopgm | pgmtopbm -threshold -value "$(awk -v l="$NEBULA_LIT_LEVEL" 'BEGIN { print l / 255 }')" |
    pamsumm -sum -brief) || return 2
  echo $((${lit%.*} * 1000 / (box_width * box_height)))
}

nebula_figures=
nebula_shown() {
  local title cloud
  title=$(lit_share "$1" $NEBULA_TITLE_BOX) && cloud=$(lit_share "$1" $NEBULA_CLOUD_BOX) || {
    nebula_figures="unreadable picture $1"
    return 1
  }
  nebula_figures="title $title, cloud $cloud per mille lit"
  ((title >= NEBULA_TITLE_MIN && cloud >= NEBULA_CLOUD_MIN))
}
