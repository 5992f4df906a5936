# shellcheck shell=bash
# shellcheck disable=SC2034,SC2154  # variables shared with the sourcing script
# Shared by the end-to-end scripts that drive a program on a virtual X
# screen (xvfb_test.sh, wine_test.sh); sourced, never run. Before sourcing,
# the script sets rock_bmp (the ROCK8.BMP beside the program under test);
# before the scene checks it defines grab_picture NAME, which puts the
# program's 640 x 480 picture in $work/NAME.ppm. Sourcing makes the scratch
# folder $work and arranges that on exit the program, whatever cleanup_more
# ends (a script may redefine it), the X screen and $work are all gone, also
# when the output is cut off.
#
# Every wait is for a condition, with a bound: the scene is up, frames were
# drawn, a key took effect, the process ended. None sleeps and hopes.
set -u

artifacts=${VORN_E2E_ARTIFACTS:-$PWD}
work=$(mktemp -d "${TMPDIR:-/tmp}/vorn-e2e.XXXXXX")
xvfb_pid=
vorn_pid=
display=
failures=0

# shellcheck source=scene_checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/scene_checks.sh"

cleanup_more() { :; }

# end_process PID: asks it to end, and after 5 s makes it (an X server can
# miss the first request).
end_process() {
  kill "$1" 2>/dev/null || return 0
  local _
  for _ in $(seq 50); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}

cleanup() {
  if [ -n "$vorn_pid" ]; then kill -KILL "$vorn_pid" 2>/dev/null; fi
  cleanup_more
  if [ -n "$xvfb_pid" ]; then end_process "$xvfb_pid"; fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 2' INT TERM HUP PIPE

pass() { echo "ok: $*"; }
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
die() {
  echo "FAIL: $*" >&2
  exit 1
}

# Called once before any check with the tools only this script needs; the
# ones the helpers below use are always looked for.
require_tools() {
  local tool
  for tool in Xvfb xdotool xwd xwdtopnm pamcut pamdepth pamtopnm pamscale pnmenlarge pamsumm pamfile pnmtopng \
    od paste timeout awk "$@"; do
    command -v "$tool" >/dev/null 2>&1 || die "$tool is not installed (scripts/test.sh installs it)"
  done
}

# The script's last word: exit code 1 when any check failed.
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
  fi
  echo "all checks passed"
}

# The packages a .deb depends on that are not installed here for its
# architecture (a library may be installed for several), one a line.
deb_depends_missing() {
  local arch package
  arch=$(dpkg-deb -f "$1" Architecture)
  for package in $(dpkg-deb -f "$1" Depends | tr ',' '\n' | sed 's/(.*//; s/|.*//; s/ //g'); do
    [ "$(dpkg-query -W -f='${db:Status-Status}' "$package:$arch" 2>/dev/null)" = installed ] || echo "$package"
  done
}

# --- the X screen ------------------------------------------------------------------

# start_xvfb WIDTH HEIGHT: a screen of that size at 24 bits; sets
# screen_width, screen_height and display (":N", not exported).
start_xvfb() {
  screen_width=$1
  screen_height=$2
  Xvfb -displayfd 3 -screen 0 "${screen_width}x${screen_height}x24" -nolisten tcp -noreset \
    3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  local _
  for _ in $(seq 100); do
    if grep -qx '[0-9][0-9]*' "$work/display" 2>/dev/null; then
      display=":$(cat "$work/display")"
      return 0
    fi
    sleep 0.1
  done
  cat "$work/xvfb.log" >&2
  die "Xvfb did not start within 10 s"
}

stop_xvfb() {
  end_process "$xvfb_pid"
  xvfb_pid=
  : >"$work/display"
}

key() { DISPLAY=$display timeout 10 xdotool "$@"; }

# find_window PATTERN SECONDS [SEARCH OPTION...]: prints the id of a visible
# window whose name matches PATTERN, once there is one; fails after SECONDS.
# Each search is one xdotool call, and one that fails (as it can when a
# window goes away while xdotool looks at it) is only made again.
find_window() {
  local pattern=$1 deadline=$((SECONDS + $2)) window
  shift 2
  while :; do
    window=$(DISPLAY=$display timeout 10 xdotool search --onlyvisible "$@" --name "$pattern" \
      2>/dev/null | head -n 1)
    [ -n "$window" ] && echo "$window" && return 0
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}

# grab_screen NAME LEFT TOP WIDTH HEIGHT: that rectangle of the screen as
# $work/NAME.ppm, 8 bits a sample.
grab_screen() {
  local attempt
  # While a window is mapped or unmapped, reading the screen can fail once.
  for attempt in 1 2 3; do
    DISPLAY=$display timeout 10 xwd -root -silent >"$work/$1.xwd" 2>"$work/xwd.err" && break
    [ $attempt -eq 3 ] && { cat "$work/xwd.err" >&2; return 1; }
    sleep 0.2
  done
  xwdtopnm "$work/$1.xwd" 2>/dev/null | pamcut -left "$2" -top "$3" -width "$4" -height "$5" |
    pamdepth 255 >"$work/$1.ppm"
}

# cut_picture SOURCE NAME LEFT TOP SCALE: from $work/SOURCE.ppm the picture,
# SCALE times 640 x 480 at (LEFT, TOP), as $work/NAME.picture.ppm and,
# brought back to 640 x 480, as $work/NAME.ppm.
cut_picture() {
  local scale=$5
  pamcut -left "$3" -top "$4" -width $((640 * scale)) -height $((480 * scale)) "$work/$1.ppm" \
    2>/dev/null | pamtopnm >"$work/$2.picture.ppm" || return 1
  if [ "$scale" -eq 1 ]; then
    cp "$work/$2.picture.ppm" "$work/$2.ppm"
  else
    pamscale -reduce "$scale" "$work/$2.picture.ppm" 2>/dev/null | pamtopnm >"$work/$2.ppm"
  fi
}

# sharp NAME SCALE: the picture cut as NAME is SCALE x SCALE pixels of one
# colour for each pixel of the frame (nearest neighbour, whole multiple).
sharp() { pnmenlarge "$2" "$work/$1.ppm" | cmp -s - "$work/$1.picture.ppm"; }

# region_max FILE X Y W H: the largest sample in that rectangle of
# $work/FILE.ppm; 0 when it is all black or empty.
region_max() {
  if [ "$4" -le 0 ] || [ "$5" -le 0 ]; then
    echo 0
    return
  fi
  pamcut -left "$2" -top "$3" -width "$4" -height "$5" "$work/$1.ppm" | pamsumm -max -brief
}

# black_around FILE X Y W H: in $work/FILE.ppm, everything outside that
# rectangle is black.
black_around() {
  local x=$2 y=$3 w=$4 h=$5 width height
  read -r width height < <(pamfile -size "$work/$1.ppm")
  [ $(($(region_max "$1" 0 0 "$width" "$y") +
    $(region_max "$1" 0 $((y + h)) "$width" $((height - y - h))) +
    $(region_max "$1" 0 "$y" "$x" "$h") +
    $(region_max "$1" $((x + w)) "$y" $((width - x - w)) "$h"))) -eq 0 ]
}

# --- the program ---------------------------------------------------------------------

# The script's start_vorn sets vorn_pid, a child of this shell. An ended
# child stays a zombie until waited for, so kill -0 cannot tell.
running() {
  [ -n "$vorn_pid" ] || return 1
  local state
  state=$(sed 's/.*) //' "/proc/$vorn_pid/stat" 2>/dev/null) || return 1
  [ "${state%% *}" != Z ]
}

# Ends the program if it still runs, however it got there.
stop_vorn() {
  if running; then
    kill -KILL "$vorn_pid" 2>/dev/null
    wait "$vorn_pid" 2>/dev/null
  fi
  vorn_pid=
}

# Waits up to $1 seconds for the program to end; sets exit_code (124 when it
# had to be killed) and elapsed (whole seconds).
wait_for_exit() {
  local tenths=$(($1 * 10)) start=$SECONDS
  while [ "$tenths" -gt 0 ] && running; do
    sleep 0.1
    tenths=$((tenths - 1))
  done
  if running; then
    stop_vorn
    exit_code=124
  else
    wait "$vorn_pid"
    exit_code=$?
  fi
  if [ "$exit_code" -gt 128 ]; then
    echo "note: exit code $exit_code: the program was ended by signal $((exit_code - 128))" >&2
  fi
  elapsed=$((SECONDS - start))
  vorn_pid=
}

# --- screenshots of the scene -------------------------------------------------------

# screenshot NAME: the picture as $work/NAME.ppm and its grid (scene_checks.sh).
screenshot() { grab_picture "$1" && picture_grid "$1"; }

# keep_screenshot NAME FILE: screenshot NAME as the PNG $artifacts/FILE.
keep_screenshot() { pnmtopng "$work/$1.ppm" >"$artifacts/$2" 2>/dev/null; }

# wait_for_scene NAME SECONDS: screenshot NAME until it shows the scene
# (scene_shown); fails after SECONDS or when the program ends, and says why
# in check_summary.
wait_for_scene() {
  local deadline=$((SECONDS + $2))
  check_summary="no screenshot"
  until screenshot "$1" && scene_shown "$1"; do
    if ! running; then
      check_summary="the program ended; last: $check_summary"
      return 1
    fi
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}

# next_shot BEFORE NAME: screenshot NAME once it differs from screenshot
# BEFORE, so that frames were drawn between them (the rocks never stop);
# fails after 30 s or when the program ends, and says so in check_summary.
# An all-black picture is passed over: when the display comes back after it
# was lost, both pages are cleared and one empty frame is shown before the
# next is drawn.
next_shot() {
  local deadline=$((SECONDS + 30))
  until screenshot "$2" && ! cmp -s "$work/$1.ppm" "$work/$2.ppm" && ! all_black "$2"; do
    if ! running; then
      check_summary="the program ended"
      return 1
    elif [ $SECONDS -ge $deadline ]; then
      check_summary="no new picture of the scene for 30 s"
      return 1
    fi
    sleep 0.1
  done
}

all_black() {
  grep -q '[^.]' "$work/$1.grid" && return 1
  echo "note: picture $1 is all black, as when the display comes back; waiting for the next"
}

# until_stars CHECK NAME: after a key went down, screenshots NAME_1,
# NAME_2, ... each after new frames, until CHECK (scene_checks.sh) holds
# between two in a row, and then once more between the last and the next:
# the key takes effect at a frame the test cannot know, and stays in effect.
# Fails after 30 s, or when the confirming pair fails; sets last_shot and
# check_summary.
until_stars() {
  local check=$1 name=$2 deadline=$((SECONDS + 30)) i=1
  last_shot=${name}_1
  check_summary="no screenshot"
  screenshot "$last_shot" || return 1
  while [ $SECONDS -lt $deadline ]; do
    i=$((i + 1))
    next_shot "${name}_$((i - 1))" "${name}_$i" || return 1
    last_shot=${name}_$i
    if "$check" "${name}_$((i - 1))" "$last_shot"; then
      last_shot=${name}_$((i + 1))
      next_shot "${name}_$i" "$last_shot" && "$check" "${name}_$i" "$last_shot"
      return
    fi
  done
  check_summary="not within 30 s; last: $check_summary"
  return 1
}

# --- the checks both scripts make ---------------------------------------------------

# check_scene_keys PREFIX: the program's scene, then the stars with no key,
# with Up held and with Down held. Screenshots are kept as PREFIX*.png.
# Fails only if the scene never appeared.
check_scene_keys() {
  local prefix=$1
  if ! wait_for_scene scene 60; then
    keep_screenshot scene "${prefix}not_shown.png"
    fail "the scene did not appear within 60 s ($check_summary)"
    return 1
  fi
  keep_screenshot scene "${prefix}scene.png"
  pass "the scene: $check_summary"

  if next_shot scene falling && stars_fall scene falling; then
    pass "no key: the stars fall at their speeds ($check_summary)"
  else
    keep_screenshot falling "${prefix}no_key.png"
    fail "no key: the stars do not fall at their speeds ($check_summary)"
  fi

  key keydown Up
  if until_stars stars_stand up; then
    pass "Up held: every star stands ($check_summary)"
  else
    keep_screenshot "$last_shot" "${prefix}up.png"
    fail "Up held: the stars do not stand ($check_summary)"
  fi
  key keyup Up

  key keydown Down
  if until_stars stars_streak down; then
    pass "Down held: every star is a streak ($check_summary)"
  else
    keep_screenshot "$last_shot" "${prefix}down.png"
    fail "Down held: the stars are not streaks ($check_summary)"
  fi
  key keyup Down
  return 0
}

# check_key_quits KEY LABEL: the quit rule, for a focused scene. Held, KEY
# must not end the program, which goes on drawing; released, it must end
# with exit code 0 within 30 s. Keys reach the program in the order they are
# pressed, so KEY is known to be held for the program once Up, pressed after
# it, has made the stars stand.
check_key_quits() {
  local label=$2
  key keydown "$1"
  key keydown Up
  if until_stars stars_stand quit && running; then
    pass "$label held: the scene goes on"
  elif running; then
    fail "$label held: not known to reach the program, as Up did not stop the stars ($check_summary)"
  else
    fail "the program ended while $label was still held"
  fi
  key keyup "$1"
  key keyup Up
  wait_for_exit 30
  if [ "$exit_code" -eq 0 ]; then
    pass "$label released: exit code 0 after ${elapsed} s"
  else
    fail "$label released: exit code $exit_code"
  fi
}
