#!/usr/bin/env bash
# The screenshot checks of scene_checks.sh on frames the demo's own code
# draws without a screen (vorn-capture, keys scripted per frame): each check
# must accept the frames it is written for and refuse those that break its
# rule, so that on a real screen it can fail.
#   scene_checks_test.sh path/to/vorn-capture     (ROCK8.BMP beside it)
capture=${1:?usage: scene_checks_test.sh path/to/vorn-capture}
rock_bmp="$(dirname "$capture")/ROCK8.BMP"
# shellcheck source=e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"

require_tools bmptopnm ppmchange
[ -f "$rock_bmp" ] || die "no ROCK8.BMP beside $capture"
read_scene_colours

# Frames 1-19 no key, 20-30 Up, 31-35 none, 36-44 Down, 45-49 none,
# 50-54 Left.
"$capture" --seed 3 --frames 60 --keys up@20-30,down@36-44,left@50-54 --out "$work/frames" \
  >/dev/null 2>"$work/capture.err" || {
  cat "$work/capture.err" >&2
  die "vorn-capture failed"
}
for frame in 10 13 22 26 40 50 53; do
  if ! bmptopnm "$work/frames/frame-$(printf %04d $frame).bmp" >"$work/f$frame.ppm" 2>/dev/null; then
    die "cannot read frame $frame"
  fi
  picture_grid "f$frame"
done
# Frame 10 with the slowest stars' colour changed to one ROCK8.BMP lacks, as
# a wrong palette would show it.
read -r red green blue <<<"${star_list%%,*}"
if ! ppmchange "$(printf 'rgb:%02x/%02x/%02x' "$red" "$green" "$blue")" rgb:01/02/03 \
  "$work/f10.ppm" >"$work/recoloured.ppm"; then
  die "cannot recolour frame 10"
fi
picture_grid recoloured

# expect CHECK FRAME FRAME VERDICT: the check on those two screenshots must
# hold (VERDICT "holds") or not ("fails").
expect() {
  local verdict=holds
  "$1" "$2" "$3" || verdict=fails
  if [ "$verdict" = "$4" ]; then
    pass "$1 $2 $3 $verdict ($check_summary)"
  else
    fail "$1 $2 $3 $verdict, expected it to be $4 ($check_summary)"
  fi
}
shown() { scene_shown "$2"; }

expect shown - f10 holds
expect shown - f40 fails         # streaks: more star pixels than stars
expect shown - recoloured fails  # a colour that is not ROCK8.BMP's
expect stars_fall f10 f13 holds
expect stars_fall f10 f10 fails  # nothing moved
expect stars_fall f13 f10 fails  # backwards
expect stars_fall f22 f26 fails  # Up held
expect stars_fall f50 f53 fails  # Left held: sideways
expect stars_fall f10 recoloured fails
expect stars_stand f22 f26 holds
expect stars_stand f10 f13 fails
expect stars_stand f10 recoloured fails
expect stars_streak - f40 holds
expect stars_streak - f10 fails

finish
