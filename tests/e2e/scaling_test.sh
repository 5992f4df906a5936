#!/usr/bin/env bash
# The paused picture full screen at 1366 x 768, with SDL's first renderer and
# its software one: by default the frame F12 saved enlarged twice and
# filtered down to 1024 x 768 (ImageMagick's bilinear at pixel centres is
# the reference), within a few levels; with --integer-scaling the frame
# itself in the middle. Failed shots are kept as scaling_*.png.
#   scaling_test.sh path/to/vorn
vorn=${1:?usage: scaling_test.sh path/to/vorn}
# shellcheck source=e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
require_tools pngtopam convert compare
# SDL's software renderer steps in fixed point: up to about six levels off
# where a star meets black. Nearest neighbour or a blur are 80 and more.
tolerance=8

# paused_shot RENDERER RUN [OPTION...]: the program, once its scene is up,
# paused and F12 pressed; sets shot to the PNG saved, grabs $work/RUN.ppm.
paused_shot() {
  local driver=() deadline=$((SECONDS + 60))
  [ "$1" = default ] || driver=("SDL_RENDER_DRIVER=$1")
  env "${driver[@]}" DISPLAY="$display" SDL_VIDEODRIVER=x11 "$vorn" --shots "$work" "${@:3}" >"$work/$2.out" 2>&1 &
  vorn_pid=$!
  window=$(find_window '^Vorn Game Console$' 60 --pid "$vorn_pid") || return 1
  until grab_screen "$2" 0 0 1366 768 && [ "$(region_max "$2" 0 0 1366 768)" -gt 0 ]; do
    [ $SECONDS -lt $deadline ] && running && sleep 0.2 || return 1
  done
  key windowfocus "$window" && key key p
  until [ "$(key getwindowname "$window")" = "Vorn Game Console (paused)" ]; do
    [ $SECONDS -lt $deadline ] && sleep 0.1 || return 1
  done
  key key F12
  until shot=$(grep -m1 '\.png$' "$work/$2.out"); do [ $SECONDS -lt $deadline ] && sleep 0.1 || return 1; done
  grab_screen "$2" 0 0 1366 768
}

# within LABEL NAME X Y W H LEVELS: in $work/NAME.ppm the box at (X, Y) is
# $work/NAME.ref.ppm within LEVELS, black around it.
within() {
  local samples
  pamcut -left "$3" -top "$4" -width "$5" -height "$6" "$work/$2.ppm" >"$work/$2.box.ppm"
  samples=$(compare -metric PAE "$work/$2.ref.ppm" "$work/$2.box.ppm" null: 2>&1 | cut -d' ' -f1)
  if [[ $samples =~ ^[0-9]+$ ]] && [ $((samples / 257)) -le "$7" ] && black_around "$2" "$3" "$4" "$5" "$6"; then
    pass "$1: ${5}x$6 at ($3, $4), within $((samples / 257)) levels, black around"
  else
    keep_screenshot "$2" "scaling_$2.png"
    fail "$1: not ${5}x$6 at ($3, $4) within $7 levels (largest difference: $samples / 257)"
  fi
}

start_xvfb 1366 768
for renderer in default software; do
  if paused_shot "$renderer" "$renderer"; then
    convert "$shot" -sample 200% -interpolate bilinear -interpolative-resize '1024x768!' "$work/$renderer.ref.ppm"
    within "$renderer renderer, the frame enlarged and filtered" "$renderer" 171 0 1024 768 $tolerance
  else
    fail "$renderer renderer: no paused scene and screenshot: $(cat "$work/$renderer.out")"
  fi
  stop_vorn
  if paused_shot "$renderer" "$renderer-integer" --integer-scaling; then
    pngtopam "$shot" | pamtopnm >"$work/$renderer-integer.ref.ppm"
    within "$renderer renderer, --integer-scaling: the frame itself" "$renderer-integer" 363 144 640 480 0
  else
    fail "$renderer renderer, --integer-scaling: no paused scene and screenshot"
  fi
  stop_vorn
done
finish
