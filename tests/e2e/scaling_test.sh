#!/usr/bin/env bash
# How the desktop program fills a 1366 x 768 screen, with the GPU renderer
# (SDL's first choice) and the software one: by default the paused picture,
# full screen and in a resized window after Alt+Enter, is the frame F12 saved
# enlarged twice (nearest neighbour) and filtered down to the largest 4:3 box
# (bilinear, at pixel centres; ImageMagick's reference), within a few levels
# as renderers round differently; with --integer-scaling it is the frame
# itself, pixel for pixel, in the middle.
#   scaling_test.sh path/to/vorn
# Screenshots of a failed check are kept as scaling_*.png in the current
# folder (or in $VORN_E2E_ARTIFACTS).
vorn=${1:?usage: scaling_test.sh path/to/vorn}
# shellcheck source=e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"

require_tools pngtopam convert compare
[ -x "$vorn" ] || die "no program at $vorn"
# The largest difference allowed between a sample and the reference's: SDL's
# software renderer steps through the picture in fixed point, which costs
# up to about six levels where a star meets black.
# Nearest neighbour or a blurring filter differ by a hundred and more.
tolerance=8

# within_10s COMMAND...: true once the command is, tried for up to 10 s.
within_10s() {
  local _
  for _ in $(seq 50); do "$@" && return 0; sleep 0.2; done
  return 1
}

# geometry_is WINDOW X Y W H: the window stands there.
geometry_is() {
  [ "$(key getwindowgeometry --shell "$1" | awk -F= '{ v[$1] = $2 } END { print v["X"], v["Y"], v["WIDTH"], v["HEIGHT"] }')" = "$2 $3 $4 $5" ]
}

# paused_shot RUN: once the scene is up, pauses the program and presses
# F12; sets shot to the PNG it saved.
paused_shot() {
  local deadline=$((SECONDS + 60))
  window=$(find_window '^Vorn Game Console$' 60 --pid "$vorn_pid") || return 1
  until grab_screen "$1.up" 0 0 1366 768 && [ "$(region_max "$1.up" 0 0 1366 768)" -gt 0 ]; do
    [ $SECONDS -lt $deadline ] && running || return 1
    sleep 0.2
  done
  key windowfocus "$window"
  key key p
  until [ "$(key getwindowname "$window")" = "Vorn Game Console (paused)" ]; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.1
  done
  key key F12
  until shot=$(grep -m1 '\.png$' "$work/$1.out"); do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.1
  done
}

# filtered_into NAME W H X Y BW BH: the W x H screen's top left corner, as
# $work/NAME.ppm, holds the frame in $shot filtered as above into the box
# BW x BH at (X, Y), black around it; sets difference (in levels).
filtered_into() {
  local name=$1 x=$4 y=$5 w=$6 h=$7 samples
  difference=?
  grab_screen "$name" 0 0 "$2" "$3" && pamcut -left "$x" -top "$y" -width "$w" -height "$h" \
    "$work/$name.ppm" >"$work/$name.box.ppm" &&
    convert "$shot" -sample 200% -interpolate bilinear -interpolative-resize "${w}x$h!" "$work/$name.ref.ppm" &&
    samples=$(compare -metric PAE "$work/$name.ref.ppm" "$work/$name.box.ppm" null: 2>&1 | cut -d' ' -f1) &&
    [[ $samples =~ ^[0-9]+$ ]] || return 1
  difference=$((samples / 257))  # ImageMagick's 16 bits a sample
  [ "$difference" -le $tolerance ] && black_around "$name" "$x" "$y" "$w" "$h"
}

# judge LABEL NAME W H X Y BW BH: filtered_into, within 10 s (a window that
# has just changed takes a moment to be drawn again).
judge() {
  local label=$1 name=$2 deadline=$((SECONDS + 10))
  shift 2
  until filtered_into "$name" "$@"; do
    if [ $SECONDS -ge $deadline ]; then
      keep_screenshot "$name" "scaling_$name.png"
      fail "$label: not the frame filtered into ${5}x$6 at ($3, $4) (largest difference: $difference levels)"
      return 1
    fi
    sleep 0.2
  done
  pass "$label: ${5}x$6 at ($3, $4), within $difference levels of the frame filtered so"
}

# start_vorn RENDERER RUN [OPTION...]: the program with that renderer
# (default: SDL's own choice), output in $work/RUN.out.
start_vorn() {
  local driver=()
  [ "$1" = default ] || driver=("SDL_RENDER_DRIVER=$1")
  env "${driver[@]}" DISPLAY="$display" SDL_VIDEODRIVER=x11 "$vorn" --shots "$work" "${@:3}" \
    >"$work/$2.out" 2>&1 &
  vorn_pid=$!
}

# check_scaling RENDERER: full screen, then Alt+Enter and a window resized
# to 1000 x 700; then full screen again with --integer-scaling.
check_scaling() {
  local renderer=$1
  start_vorn "$renderer" "$renderer"
  if paused_shot "$renderer"; then
    judge "$renderer, full screen" "$renderer-full" 1366 768 171 0 1024 768
    key key alt+Return
    # SDL's own move and resize must be done before the one made here.
    within_10s geometry_is "$window" 363 144 640 480
    key windowsize --sync "$window" 1000 700 windowmove --sync "$window" 0 0
    judge "$renderer, Alt+Enter and a window resized to 1000x700" "$renderer-window" 1000 700 33 0 933 700
  else
    fail "$renderer: no paused scene and F12 screenshot ($(cat "$work/$renderer.out"))"
  fi
  stop_vorn

  start_vorn "$renderer" "$renderer-integer" --integer-scaling
  if paused_shot "$renderer-integer" && grab_screen integer 0 0 1366 768 &&
    cmp -s <(pamcut -left 363 -top 144 -width 640 -height 480 "$work/integer.ppm" | pamtopnm) \
      <(pngtopam "$shot" | pamtopnm) && black_around integer 363 144 640 480; then
    pass "$renderer, --integer-scaling: the frame itself at (363, 144), black around it"
  else
    keep_screenshot integer "scaling_$renderer-integer.png"
    fail "$renderer, --integer-scaling: not the frame itself at (363, 144)"
  fi
  stop_vorn
}

start_xvfb 1366 768
echo "Xvfb on display $display, ${screen_width}x${screen_height}"
for renderer in default software; do check_scaling "$renderer"; done
finish
