#!/usr/bin/env bash
# The demo itself, end to end, on a virtual X screen through SDL's X11
# driver: it must refuse to start without a display, show the scene inside
# the letterboxed picture (with --integer-scaling: whole multiples, so that
# every pixel of the frame can be read back), answer held keys, and quit
# with exit code 0. scaling_test.sh checks the default fill.
#   xvfb_test.sh path/to/vorn [path/to/wm_close]
# wm_close (built beside the tests) asks the window to close as a window
# manager does; without it that check is left out.
# Screenshots of the scene (and of any check on the stars that failed) are
# kept as xvfb_*.png in the current folder (or in $VORN_E2E_ARTIFACTS).
vorn=${1:?usage: xvfb_test.sh path/to/vorn [path/to/wm_close]}
wm_close=${2:-}
rock_bmp="$(dirname "$vorn")/ROCK8.BMP"
# shellcheck source=e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"

# shellcheck disable=SC2119  # only the tools the shared helpers use
require_tools
[ -x "$vorn" ] || die "no program at $vorn"
[ -f "$rock_bmp" ] || die "no ROCK8.BMP beside $vorn"
read_scene_colours

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
  DISPLAY=$display SDL_VIDEODRIVER=x11 "$vorn" --integer-scaling >"$work/$1.out" 2>"$work/$1.err" &
  vorn_pid=$!
}

# Prints the window id once the window of this run of the program is mapped.
program_window() { find_window '^Vorn Game Console$' 60 --pid "$vorn_pid"; }

# grab_picture NAME: the whole screen as $work/NAME.screen.ppm, the picture
# cut from it (cut_picture).
grab_picture() {
  grab_screen "$1.screen" 0 0 "$screen_width" "$screen_height" &&
    cut_picture "$1.screen" "$1" "$picture_left" "$picture_top" "$picture_scale"
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

# Everything around the picture stays black.
check_letterbox() {
  if black_around "$1.screen" "$picture_left" "$picture_top" "$picture_width" "$picture_height"; then
    pass "black letterbox around the picture at ($picture_left, $picture_top)"
  else
    fail "the letterbox around the 640x480 picture is not black"
  fi
}

check_scene_and_escape() {
  start_vorn scene
  local window
  window=$(program_window)
  if [ -z "$window" ]; then
    fail "no window titled \"Vorn Game Console\" within 60 s"
    cat "$work/scene.err" >&2
    return
  fi
  pass "window \"Vorn Game Console\" is mapped"
  key windowfocus "$window"
  if check_scene_keys xvfb_; then
    check_letterbox scene
    check_key_quits Escape Escape
  fi
  if grep -q '^vorn:' "$work/scene.err"; then
    fail "the program reported a problem:"
    cat "$work/scene.err" >&2
  fi
}

# --- the other ways to end ------------------------------------------------------

# start_scene RUN: a new run of the program, its window focused and the
# scene up; fails (and says so) if that does not happen within the bounds.
start_scene() {
  start_vorn "$1"
  local window
  window=$(program_window)
  [ -n "$window" ] || { fail "no window for the $1 run"; return 1; }
  key windowfocus "$window"
  wait_for_scene "$1" 60 || { fail "the $1 run did not show the scene ($check_summary)"; return 1; }
  run_window=$window
}

# check_asked_to_end RUN LABEL ACTION...: with the scene up, ACTION (given
# the window id) asks the program to end; it must end with exit code 0
# within 30 s.
check_asked_to_end() {
  local run=$1 label=$2
  shift 2
  start_scene "$run" || return
  "$@" "$run_window" || { fail "$label: could not ask the program to end"; return; }
  wait_for_exit 30
  if [ "$exit_code" -eq 0 ]; then
    pass "$label: exit code 0 after ${elapsed} s"
  else
    fail "$label: exit code $exit_code"
  fi
}

send_terminate() { kill -TERM "$vorn_pid"; }

# As a window manager does when the user closes the window.
send_close() { DISPLAY=$display timeout 10 "$wm_close" "$1"; }

# --- scaled by two ------------------------------------------------------------------

# Scaled by two, nearest neighbour: every aligned 2 x 2 block one colour.
check_double_scale() {
  start_scene double || return
  check_letterbox double
  if sharp double 2; then
    pass "scaled by two, nearest neighbour, at ($picture_left, $picture_top)"
  else
    fail "the picture is not a sharp double-size copy at ($picture_left, $picture_top)"
  fi
  kill -TERM "$vorn_pid"
  wait_for_exit 30
  [ "$exit_code" -eq 0 ] || fail "scaled run: exit code $exit_code"
}

check_no_display

# 1024 x 768 holds the picture once but not twice.
start_screen 1024 768
echo "Xvfb on display $display, ${screen_width}x${screen_height}"
check_scene_and_escape
stop_vorn
start_scene space && check_key_quits space Space
stop_vorn
check_asked_to_end terminate "asked to end (SIGTERM)" send_terminate
stop_vorn
if [ -n "$wm_close" ]; then check_asked_to_end close "closed by the window manager" send_close; fi
stop_vorn
stop_xvfb

# 1400 x 1000 holds it twice.
start_screen 1400 1000
echo "Xvfb on display $display, ${screen_width}x${screen_height}"
check_double_scale
stop_vorn
stop_xvfb

finish
