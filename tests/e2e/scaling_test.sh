#!/usr/bin/env bash
# Paused full screen at 1366 x 768 (SDL's first renderer, then its software
# one): the F12 frame enlarged twice and filtered to 1024 x 768, within a few
# levels of ImageMagick's; with --integer-scaling the frame itself, centred.
vorn=${1:?usage: scaling_test.sh path/to/vorn}
# shellcheck source=e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
require_tools pngtopam convert compare

# paused_shot RENDERER RUN [OPTION...]: P and F12 once the scene is up; sets shot, grabs $work/RUN.ppm.
paused_shot() {
  local driver=() deadline=$((SECONDS + 60))
  [ "$1" = default ] || driver=("SDL_RENDER_DRIVER=$1")
  env "${driver[@]}" DISPLAY="$display" SDL_VIDEODRIVER=x11 "$vorn" --shots "$work" "${@:3}" >"$work/$2.out" 2>&1 &
  vorn_pid=$!
  window=$(find_window '^Vorn Game Console$' 60 --pid "$vorn_pid") || return 1
  until grab_screen "$2" 0 0 1366 768 && [ "$(region_max "$2" 0 0 1366 768)" -gt 0 ]; do [ $SECONDS -lt $deadline ] && running && sleep 0.2 || return 1; done
  key windowfocus "$window" && key key p
  until [ "$(key getwindowname "$window")" = "Vorn Game Console (paused)" ]; do [ $SECONDS -lt $deadline ] && sleep 0.1 || return 1; done
  key key F12
  until shot=$(grep -m1 '\.png$' "$work/$2.out"); do [ $SECONDS -lt $deadline ] && sleep 0.1 || return 1; done
  grab_screen "$2" 0 0 1366 768
}

# judge LABEL RUN X Y W H LEVELS: that box is $work/RUN.ref.ppm within LEVELS (of 257), black around.
judge() {
  local samples
  samples=$(pamcut -left "$3" -top "$4" -width "$5" -height "$6" "$work/$2.ppm" |
    compare -metric PAE "$work/$2.ref.ppm" - null: 2>&1 | cut -d' ' -f1)
  if [[ $samples =~ ^[0-9]+$ ]] && [ $((samples / 257)) -le "$7" ] && black_around "$2" "$3" "$4" "$5" "$6"; then
    pass "$1: ${5}x$6 at ($3, $4), $((samples / 257)) levels off at most, black around"
  else
    keep_screenshot "$2" "scaling_$2.png"
    fail "$1: not ${5}x$6 at ($3, $4) within $7 levels ($samples / 257)"
  fi
}

start_xvfb 1366 768
for renderer in default software; do
  # Software rounds up to six levels off, nearest neighbour or a blur 80 and more.
  paused_shot "$renderer" "$renderer" && convert "$shot" -sample 200% -interpolate bilinear \
    -interpolative-resize '1024x768!' "$work/$renderer.ref.ppm"
  judge "$renderer renderer, full screen" "$renderer" 171 0 1024 768 8
  stop_vorn
  paused_shot "$renderer" "$renderer-integer" --integer-scaling && pngtopam "$shot" >"$work/$renderer-integer.ref.ppm"
  judge "$renderer renderer, --integer-scaling" "$renderer-integer" 363 144 640 480 0
  stop_vorn
done
finish
