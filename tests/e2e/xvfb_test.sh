#!/usr/bin/env bash
# The demo itself, end to end, on a virtual X screen through SDL's X11
# driver: it must refuse to start without a display, show the scene inside
# the letterboxed picture (scaled by whole multiples, sharp), answer held
# keys, and quit with exit code 0.
#   xvfb_test.sh path/to/vorn [path/to/wm_close]
# wm_close (built beside the tests) asks the window to close as a window
# manager does; without it that check is left out.
# The first screenshot is kept as xvfb_screenshot.png in the current folder
# (or in $VORN_E2E_ARTIFACTS).
vorn=${1:?usage: xvfb_test.sh path/to/vorn [path/to/wm_close]}
wm_close=${2:-}
rock_bmp="$(dirname "$vorn")/ROCK8.BMP"
# shellcheck source=e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"

require_tools pamsumm pamscale pnmenlarge pamtopnm ppmhist
[ -x "$vorn" ] || die "no program at $vorn"
[ -f "$rock_bmp" ] || die "no ROCK8.BMP beside $vorn"

# --- helpers -----------------------------------------------------------------

# A screen of $1 x $2 pixels; the picture is 640 x 480 times the largest
# whole multiple that fits, centred.
start_screen() {
  start_xvfb "$1" "$2"
  local scale_x=$((screen_width / 640)) scale_y=$((screen_height / 480))
  picture_scale=$((scale_x < scale_y ? scale_x : scale_y))
  picture_width=$((640 * picture_scale))
  picture_height=$((480 * picture_scale))
  picture_left=$(((screen_width - picture_width) / 2))
  picture_top=$(((screen_height - picture_height) / 2))
}

start_vorn() {
  DISPLAY=$display SDL_VIDEODRIVER=x11 "$vorn" >"$work/$1.out" 2>"$work/$1.err" &
  vorn_pid=$!
}

# Prints the window id once the program's window is mapped.
find_window() {
  DISPLAY=$display timeout 20 xdotool search --sync --onlyvisible --name '^Vorn Game Console$' \
    2>/dev/null | head -n 1
}

screenshot() { grab_screen "$1" 0 0 "$screen_width" "$screen_height"; }

# Largest sample value in a rectangle of a screenshot: 0 means all black.
region_max() {
  pamcut -left "$2" -top "$3" -width "$4" -height "$5" "$work/$1.ppm" | pamsumm -max -brief
}

picture_region() {
  pamcut -left $picture_left -top $picture_top -width $picture_width -height $picture_height \
    "$work/$1.ppm"
}

# Pixels of the picture drawn in any of the star colours.
star_pixels() {
  picture_region "$1" | ppmhist -noheader |
    awk -v colours="$(star_colour_list)" '
      BEGIN { n = split(colours, list, ","); for (i = 1; i <= n; i++) if (list[i] != "") wanted[list[i]] = 1 }
      { if (($1 " " $2 " " $3) in wanted) total += $5 }
      END { print total + 0 }'
}

# --- without a display ---------------------------------------------------------

# SDL's own choice of driver, as on a machine with no screen at all: the
# drivers that draw nowhere must not be taken for a display.
check_no_display() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR -u SDL_VIDEODRIVER timeout 20 "$vorn" \
    >"$work/nodisplay.out" 2>"$work/nodisplay.err"
  local code=$?
  local lines
  lines=$(wc -l <"$work/nodisplay.err")
  if [ "$code" -eq 0 ] || [ "$code" -eq 124 ]; then
    fail "without a display: exit code $code, expected a quick failure"
  elif [ "$lines" -ne 1 ] || ! grep -q '^vorn: .*display' "$work/nodisplay.err"; then
    fail "without a display: expected one line on stderr, got $lines:"
    cat "$work/nodisplay.err" >&2
  elif [ -s "$work/nodisplay.out" ]; then
    fail "without a display: unexpected output on stdout"
  else
    pass "without a display: exit code $code, \"$(cat "$work/nodisplay.err")\""
  fi
}

# --- the scene and the quit keys -----------------------------------------------

check_picture() {
  local shot=$1
  local right_left=$((picture_left + picture_width))
  local bottom_top=$((picture_top + picture_height))
  local outside
  outside=$(($(region_max "$shot" 0 0 "$screen_width" "$picture_top") +
    $(region_max "$shot" 0 "$bottom_top" "$screen_width" $((screen_height - bottom_top))) +
    $(region_max "$shot" 0 $picture_top $picture_left $picture_height) +
    $(region_max "$shot" $right_left $picture_top $((screen_width - right_left)) $picture_height)))
  if [ "$outside" -ne 0 ]; then
    fail "the letterbox around the 640x480 picture is not black"
  else
    pass "black letterbox around the picture at ($picture_left, $picture_top)"
  fi
  if [ "$(picture_region "$shot" | pamsumm -max -brief)" -eq 0 ]; then
    fail "the picture is all black"
  fi
}

# Stars are single pixels, 600 of them less those behind rocks; with Down
# held each is a four-pixel streak.
check_stars() {
  local plain=$1 streaked=$2
  if [ "$plain" -lt 150 ] || [ "$plain" -gt 700 ]; then
    fail "expected a few hundred star pixels in the picture, found $plain"
  else
    pass "$plain star pixels in the star colours of ROCK8.BMP"
  fi
  if [ "$streaked" -lt $((plain * 2)) ]; then
    fail "holding Down should streak the stars: $streaked star pixels, $plain without"
  else
    pass "holding Down streaks the stars: $streaked star pixels"
  fi
}

check_scene_and_escape() {
  start_vorn scene
  local window
  window=$(find_window)
  if [ -z "$window" ]; then
    fail "no window titled \"Vorn Game Console\" within 20 s"
    cat "$work/scene.err" >&2
    return
  fi
  pass "window \"Vorn Game Console\" is mapped"
  key windowfocus "$window"
  sleep 1.5
  screenshot first || { fail "no screenshot"; return; }
  pnmtopng "$work/first.ppm" >"$artifacts/xvfb_screenshot.png" 2>/dev/null
  sleep 0.5
  screenshot second
  if cmp -s "$work/first.ppm" "$work/second.ppm"; then
    fail "the picture does not change between frames"
  else
    pass "the picture moves"
  fi
  check_picture first
  key keydown Down
  sleep 0.7
  screenshot streaks
  key keyup Down
  check_stars "$(star_pixels first)" "$(star_pixels streaks)"

  check_escape_quits 15
  if grep -q '^vorn:' "$work/scene.err"; then
    fail "the program reported a problem:"
    cat "$work/scene.err" >&2
  fi
}

# --- the other ways to end ------------------------------------------------------

# check_quits RUN LABEL ACTION...: half a second after the window of a new
# run is up, ACTION (given the window id) asks the program to end; it must
# end with exit code 0 within 15 s.
check_quits() {
  local run=$1 label=$2 window
  shift 2
  start_vorn "$run"
  window=$(find_window)
  [ -n "$window" ] || { fail "no window for the $run run"; return; }
  sleep 0.5
  "$@" "$window" || { fail "$label: could not ask the program to end"; return; }
  wait_for_exit 15
  if [ "$exit_code" -eq 0 ]; then
    pass "$label: exit code 0 after ${elapsed} s"
  else
    fail "$label: exit code $exit_code"
  fi
}

press_space() {
  key windowfocus "$1"
  sleep 0.5
  key keydown space
  sleep 0.3
  key keyup space
}

send_terminate() { kill -TERM "$vorn_pid"; }

# As a window manager does when the user closes the window.
send_close() { DISPLAY=$display timeout 10 "$wm_close" "$1"; }

# --- scaled by two ------------------------------------------------------------------

# Nearest-neighbour scaling by two makes every aligned 2 x 2 block one
# colour: halving the picture and doubling it again gives it back unchanged.
check_double_scale() {
  start_vorn double
  [ -n "$(find_window)" ] || { fail "no window for the scaled run"; return; }
  sleep 1.5
  screenshot double || { fail "no screenshot"; return; }
  check_picture double
  picture_region double >"$work/double_picture.ppm"
  pamscale -reduce 2 "$work/double_picture.ppm" 2>/dev/null | pnmenlarge 2 >"$work/double_again.ppm"
  if cmp -s <(pamtopnm <"$work/double_picture.ppm") <(pamtopnm <"$work/double_again.ppm"); then
    pass "scaled by two, nearest neighbour, at ($picture_left, $picture_top)"
  else
    fail "the picture is not a sharp double-size copy at ($picture_left, $picture_top)"
  fi
  kill -TERM "$vorn_pid"
  wait_for_exit 15
  [ "$exit_code" -eq 0 ] || fail "scaled run: exit code $exit_code"
}

check_no_display

# 1024 x 768 holds the picture once but not twice.
start_screen 1024 768
echo "Xvfb on display $display, ${screen_width}x${screen_height}"
check_scene_and_escape
check_quits space "Space" press_space
check_quits terminate "asked to end (SIGTERM)" send_terminate
if [ -n "$wm_close" ]; then check_quits close "closed by the window manager" send_close; fi
stop_xvfb

# 1400 x 1000 holds it twice.
start_screen 1400 1000
echo "Xvfb on display $display, ${screen_width}x${screen_height}"
check_double_scale
stop_xvfb

finish
