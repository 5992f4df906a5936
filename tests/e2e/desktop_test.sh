#!/usr/bin/env bash
# The desktop comforts of the demo, end to end on a virtual X screen through
# SDL's X11 driver, with no window manager: the options (also without a
# display), --window and its size, resizing, Alt+Enter both ways, F12
# screenshots, what switching away, hiding and focus do, pause, a run
# recorded here played by the capture tool, and the player's keys.
#   desktop_test.sh path/to/vorn
# Screenshots of each step are kept as desktop_*.png in the current folder
# (or in $VORN_E2E_ARTIFACTS).
vorn=${1:?usage: desktop_test.sh path/to/vorn}
rock_bmp="$(dirname "$vorn")/ROCK8.BMP"
# shellcheck source=e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"

require_tools pngtopam xlogo
[ -x "$vorn" ] || die "no program at $vorn"
[ -f "$rock_bmp" ] || die "no ROCK8.BMP beside $vorn"
read_scene_colours

other_pid=

cleanup_more() { if [ -n "$other_pid" ]; then kill "$other_pid" 2>/dev/null; fi; }

# --- running the program ----------------------------------------------------------

# start_vorn RUN [OPTION...]: output in $work/RUN.out and $work/RUN.err.
start_vorn() {
  run=$1
  shift
  DISPLAY=$display SDL_VIDEODRIVER=x11 "$vorn" "$@" >"$work/$run.out" 2>"$work/$run.err" &
  vorn_pid=$!
}

# Sets window to the id of the program's window once it is mapped.
find_vorn_window() {
  window=$(find_window '^Vorn Game Console$' 20)
  [ -n "$window" ]
}

# Sets win_x, win_y, win_w and win_h from the window's place on the screen.
read_geometry() {
  read -r win_x win_y win_w win_h < <(key getwindowgeometry --shell "$window" |
    awk -F= '{ v[$1] = $2 } END { print v["X"] + 0, v["Y"] + 0, v["WIDTH"] + 0, v["HEIGHT"] + 0 }')
}

# wait_for_geometry X Y W H: up to 10 s for the window to take that place.
wait_for_geometry() {
  local _
  for _ in $(seq 50); do
    read_geometry
    [ "$win_x $win_y $win_w $win_h" = "$*" ] && return 0
    sleep 0.2
  done
  return 1
}

# On the 1400 x 1100 screen: where a window of the picture twice over
# opens (with room to spare; three times would not fit), and full screen.
in_window="60 70 1280 960"
full_screen="0 0 1400 1100"

# open_vorn RUN X Y W H [OPTION...]: starts the program, waits for its window
# to stand at that place and gives it the focus.
open_vorn() {
  local name=$1 place="$2 $3 $4 $5"
  shift 5
  start_vorn "$name" "$@"
  # shellcheck disable=SC2086  # the place is four numbers
  if ! find_vorn_window || ! wait_for_geometry $place; then
    fail "$name: no window at $place (it is at ${win_x:-?} ${win_y:-?} ${win_w:-?} ${win_h:-?})"
    return 1
  fi
  key windowfocus "$window"
}

# press_alt_enter LABEL X Y W H: Alt+Enter must move the window there.
press_alt_enter() {
  local label=$1
  shift
  key key alt+Return
  if wait_for_geometry "$@"; then
    pass "$label: the window is $3x$4 at ($1, $2)"
    return 0
  fi
  fail "$label: the window is ${win_w}x$win_h at ($win_x, $win_y), expected $3x$4 at ($1, $2)"
  return 1
}

# CPU time the program has used, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$vorn_pid/stat" 2>/dev/null || echo 0; }

# --- reading the picture ------------------------------------------------------------

# window_shot NAME: the window as $work/NAME.ppm.
window_shot() { read_geometry && grab_screen "$1" "$win_x" "$win_y" "$win_w" "$win_h"; }

keep_shot() { pnmtopng "$work/$1.ppm" >"$artifacts/desktop_$2.png" 2>/dev/null; }

# until_still BEFORE NAME: window shot NAME, again until it equals the shot
# before it, for at most 10 s.
until_still() {
  local deadline=$((SECONDS + 10)) previous=$1
  while [ $SECONDS -lt $deadline ]; do
    window_shot "$2" || return 1
    cmp -s "$work/$previous.ppm" "$work/$2.ppm" && return 0
    cp "$work/$2.ppm" "$work/$2.previous.ppm"
    previous=$2.previous
    sleep 0.2
  done
  return 1
}

# Where the picture lies in the window, and its whole multiple: set by each
# check before it judges the scene.
pic_x=0
pic_y=0
pic_scale=2

# grab_picture NAME (for the scene checks of e2e_common.sh): the window as
# $work/NAME.window.ppm, the picture in it cut (cut_picture).
grab_picture() {
  window_shot "$1.window" && cut_picture "$1.window" "$1" "$pic_x" "$pic_y" "$pic_scale"
}

# picture_in NAME X Y W H: in window shot NAME, the picture fills exactly
# that rectangle: black all round it, not black inside.
picture_in() {
  black_around "$1.window" "$2" "$3" "$4" "$5" && [ "$(region_max "$1.window" "$2" "$3" "$4" "$5")" -gt 0 ]
}

# check_picture LABEL NAME X Y SCALE: within 30 s the window must show the
# scene with the picture at (X, Y), SCALE times 640 x 480, black all round
# and sharp; a window that has just changed may take a few frames.
check_picture() {
  local label=$1 name=$2 deadline=$((SECONDS + 30)) why
  pic_x=$3
  pic_y=$4
  pic_scale=$5
  local w=$((640 * pic_scale)) h=$((480 * pic_scale))
  while :; do
    if ! screenshot "$name" || ! scene_shown "$name"; then
      why="no scene ($check_summary)"
    elif ! picture_in "$name" "$pic_x" "$pic_y" "$w" "$h"; then
      why="not black all round"
    elif ! sharp "$name" "$pic_scale"; then
      why="not scaled by $pic_scale, nearest neighbour"
    else
      pass "$label: scaled by $pic_scale at ($pic_x, $pic_y), black round it; $check_summary"
      return 0
    fi
    if ! running || [ $SECONDS -ge $deadline ]; then break; fi
    sleep 0.2
  done
  keep_shot "$name.window" "$name"
  fail "$label: the picture at ($pic_x, $pic_y), ${w}x$h: $why"
  return 1
}

# check_moving NAME LABEL: after screenshot NAME, frames are still drawn.
check_moving() {
  if next_shot "$1" "$1_next"; then
    pass "$2: the picture moves"
  else
    fail "$2: $check_summary"
  fi
}

# ends_with_escape LABEL [LINES]: the quit rule; then the program must have
# said nothing on standard error but the LINES lines the check expected.
ends_with_escape() {
  key windowfocus "$window"
  check_key_quits Escape "$1: Escape"
  if [ "$(wc -l <"$work/$run.err")" -gt "${2:-0}" ]; then
    fail "$1: the program said: $(cat "$work/$run.err")"
  fi
}

# --- options ----------------------------------------------------------------------------

# Nothing here needs a display; none is offered.
check_options() {
  local out=$work/options.out err=$work/options.err code
  no_display() { env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR -u SDL_VIDEODRIVER timeout 20 "$vorn" "$@" >"$out" 2>"$err"; }

  no_display --help
  code=$?
  if [ "$code" -eq 0 ] && [ ! -s "$err" ] && grep -q -- '--window' "$out" && grep -q -- '--shots DIR' "$out" &&
    grep -q 'Alt+Enter' "$out" && grep -q 'F12' "$out"; then
    pass "--help without a display: exit code 0, options and keys on standard output"
  else
    fail "--help without a display: exit code $code"
    cat "$out" "$err" >&2
  fi

  no_display --version
  code=$?
  if [ "$code" -eq 0 ] && grep -Eqx 'vorn [0-9]+\.[0-9]+\.[0-9]+' "$out"; then
    pass "--version: $(cat "$out")"
  else
    fail "--version: exit code $code, \"$(cat "$out")\""
  fi

  local bad
  printf 'vorn-run 1\ngenerator glibc\nframes 0\n' >"$work/bad.vornrun"
  for bad in --bogus --shots "--shots=$work/none" stray "--replay=$work/bad.vornrun"; do
    no_display "$bad"
    code=$?
    if [ "$code" -eq 2 ] && [ "$(wc -l <"$err")" -eq 1 ] && [ ! -s "$out" ]; then
      pass "\"$bad\": exit code 2, \"$(cat "$err")\""
    else
      fail "\"$bad\": exit code $code, expected 2 and one line on standard error:"
      cat "$err" >&2
    fi
  done

  no_display
  code=$?
  if [ "$code" -eq 1 ] && [ "$(wc -l <"$err")" -eq 1 ] && grep -q 'desktop session' "$err" &&
    grep -q 'vorn-capture' "$err"; then
    pass "without a display: exit code 1, \"$(cat "$err")\""
  else
    fail "without a display: exit code $code, expected 1 and one line saying what to do:"
    cat "$err" >&2
  fi
}

# --- a window ---------------------------------------------------------------------------

# 1400 x 1100 holds the picture twice with room to spare, not three times.
# Integer scaling, so that the picture is whole multiples at every size
# (scaling_test.sh checks the default fill of a resized window).
check_window_and_resizing() {
  # shellcheck disable=SC2086
  open_vorn window $in_window --window --integer-scaling || return
  pass "--window: a 1280x960 window, centred"
  check_picture "--window" window_2x 0 0 2
  check_moving window_2x "--window"

  # Resized by hand: the picture keeps 4:3, a whole multiple where one fits,
  # centred in black; below 640 x 480 as large as fits.
  local size width height x y scale
  for size in 1300x600:330:60:1 1300x1000:10:20:2; do
    IFS=: read -r size x y scale <<<"$size"
    width=${size%x*}
    height=${size#*x}
    key windowsize --sync "$window" "$width" "$height"
    if ! wait_for_geometry 60 70 "$width" "$height"; then
      fail "resizing to $size: the window stays ${win_w}x$win_h"
      continue
    fi
    check_picture "resized to $size" "resized_$size" "$x" "$y" "$scale"
  done
  # Smaller than the picture: not a whole multiple, so no scene check; the
  # picture must come to fill its place within 10 s.
  key windowsize --sync "$window" 500 400
  local deadline=$((SECONDS + 10)) small=no
  if wait_for_geometry 60 70 500 400; then
    while [ $SECONDS -lt $deadline ]; do
      if window_shot resized_small.window && picture_in resized_small 0 12 500 375; then
        small=yes
        break
      fi
      sleep 0.2
    done
  fi
  if [ $small = yes ]; then
    pass "resized to 500x400: the picture is 500x375 at (0, 12), black above and below"
  else
    fail "resized to 500x400: the picture is not 500x375 at (0, 12) with black above and below"
    keep_shot resized_small.window resized_small
  fi
  key windowsize --sync "$window" 1280 960
  check_picture "resized back to 1280x960" resized_back 0 0 2
  ends_with_escape "--window"
}

# --- Alt+Enter ----------------------------------------------------------------------------

# shellcheck disable=SC2086  # the places are four numbers each
check_alt_enter() {
  open_vorn toggle $in_window --window --integer-scaling || return
  if press_alt_enter "Alt+Enter in a window" $full_screen; then
    check_picture "Alt+Enter to full screen" toggle_full 60 70 2
    check_moving toggle_full "full screen after Alt+Enter"
  fi
  if press_alt_enter "Alt+Enter again" $in_window; then
    check_picture "back in a window" toggle_back 0 0 2
    check_moving toggle_back "back in a window"
  fi
  ends_with_escape "after Alt+Enter twice"

  # Full screen first: Alt+Enter gives the window --window would have.
  open_vorn toggle_full $full_screen || return
  press_alt_enter "Alt+Enter in full screen" $in_window
  ends_with_escape "full screen, then a window"
}

# --- F12 ------------------------------------------------------------------------------------

# The program is stopped so that the screen holds still; F12 waits in the X
# queue. Stopped in its pause between frames, as it mostly is, the program
# reads F12 first when it goes on and saves the frame on the screen. Stopped
# while drawing, it shows one more frame before it reads F12, and the saved
# frame is rightly that one: such a try is made again, up to eight in all
# (on a busy machine a third of the tries may fall so).
check_screenshot() {
  mkdir -p "$work/shots"
  # shellcheck disable=SC2086
  open_vorn shots $in_window --window --shots "$work/shots" || return
  local attempt lines=0 file matched=no
  for attempt in $(seq 8); do
    kill -STOP "$vorn_pid"
    # What it sent the X server before it stopped may still be drawing.
    window_shot shown_before
    until_still shown_before shown || { fail "F12: the stopped program's window never stood still"; break; }
    key key F12
    kill -CONT "$vorn_pid"
    local _
    for _ in $(seq 50); do
      [ "$(wc -l <"$work/shots.out")" -gt "$lines" ] && break
      sleep 0.1
    done
    if [ "$(wc -l <"$work/shots.out")" -le "$lines" ]; then
      fail "F12: no path printed within 5 s"
      return
    fi
    lines=$(wc -l <"$work/shots.out")
    file=$(tail -n 1 "$work/shots.out")
    pngtopam "$file" 2>/dev/null | pnmenlarge 2 >"$work/shot.ppm"
    if cmp -s "$work/shot.ppm" <(pamtopnm <"$work/shown.ppm"); then
      matched=yes
      break
    fi
  done
  case "$(basename "$file")" in
    vorn-[0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9]-[0-9][0-9][0-9][0-9][0-9][0-9]-[0-9]*.png)
      pass "F12: $file, named by the time" ;;
    *) fail "F12: the file is named $file" ;;
  esac
  # Bit depth 8 and colour type 3 (indexed) at byte 24 of the file, then
  # the palette's chunk: 768 bytes long, 256 colours.
  if [ "$matched" = yes ] && [ "$(od -An -tx1 -j 24 -N 2 "$file" | tr -d ' ')" = 0803 ] &&
    [ "$(od -An -tx1 -j 33 -N 8 "$file" | tr -d ' ')" = 00000300504c5445 ]; then
    pass "F12: an indexed PNG of 256 colours whose pixels are the frame on the screen (try $attempt)"
  else
    fail "F12: the saved frame differs from the screen in every try"
    pnmtopng "$work/shot.ppm" >"$artifacts/desktop_f12_saved.png" 2>/dev/null
    keep_shot shown f12_shown
  fi
  local files
  files=$(find "$work/shots" -type f | wc -l)
  if [ "$files" -eq "$lines" ]; then
    pass "F12: one file for each press, $lines in all"
  else
    fail "F12: $lines presses, $files files"
  fi

  # The folder gone: one line saying why, and the demo goes on.
  rm -rf "$work/shots"
  key key F12
  local _
  for _ in $(seq 50); do grep -q . "$work/shots.err" && break; sleep 0.1; done
  if [ "$(wc -l <"$work/shots.err")" -eq 1 ] && grep -q '^vorn: screenshot not saved: ' "$work/shots.err" &&
    running; then
    pass "F12 into a missing folder: \"$(cat "$work/shots.err")\", the demo goes on"
  else
    fail "F12 into a missing folder: $(cat "$work/shots.err")"
  fi
  window_shot after_failed
  check_moving after_failed "after a failed screenshot"
  ends_with_escape "after screenshots" 1
}

# --- pause and run files ------------------------------------------------------------

# frame_sum FILE: a checksum of the colours of a PNG or BMP frame.
frame_sum() { { pngtopam "$1" || bmptopnm "$1"; } 2>/dev/null | md5sum | cut -d' ' -f1; }

# within_5s COMMAND...: true once the command is, tried for up to 5 s.
within_5s() {
  local _
  for _ in $(seq 50); do "$@" && return 0; sleep 0.1; done
  return 1
}

# A run recorded here, steered, screenshot and paused (the picture stands,
# no processor used, a key pressed reaches nothing) is played by the
# capture tool: the frames F12 saved, the paused one among them, are frames
# of the replay. Played here, it ends by itself.
check_runs() {
  local recorded=$work/run.vornrun title ticks frames sums shot
  mkdir -p "$work/runshots"
  # shellcheck disable=SC2086
  open_vorn runs $in_window --window --shots "$work/runshots" --record "$recorded" || return
  pic_x=0 pic_y=0 pic_scale=2
  key keydown Down
  until_stars stars_streak run_down || fail "run: Down did not streak the stars ($check_summary)"
  key keyup Down
  key key F12 p
  within_5s eval '[ "$(key getwindowname "$window")" = "Vorn Game Console (paused)" ]'
  title=$(key getwindowname "$window")
  window_shot paused_0
  if until_still paused_0 paused_a && ticks=$(ticks_over 2) && window_shot paused_b &&
    cmp -s "$work/paused_a.ppm" "$work/paused_b.ppm" && [ "$ticks" -le 2 ]; then
    pass "paused: \"$title\", the picture stands, $ticks CPU ticks in 2 s"
  else
    fail "paused: \"$title\", ${ticks:-?} CPU ticks in 2 s"
  fi
  key key F12 Left
  within_5s eval '[ "$(wc -l <"$work/runs.out")" -eq 2 ]' ||
    fail "run: two F12 presses, $(wc -l <"$work/runs.out") paths printed"
  key key p
  key keydown Right
  check_moving paused_b "resumed"
  key keyup Right
  ends_with_escape "a recorded run"
  grep -q 'left@' "$recorded" && fail "Left pressed while paused is in the run"
  grep -qx "picture $(sha256sum "$rock_bmp" | cut -c1-64)" "$recorded" ||
    fail "the run's picture is not the SHA-256 of $rock_bmp"
  frames=$(sed -n 's/^frames //p' "$recorded")
  if "$(dirname "$vorn")/vorn-capture" --run "$recorded" --out "$work/replayed" 2>"$work/capture.err" &&
    [ "$(find "$work/replayed" -name 'frame-*.bmp' | wc -l)" = "$frames" ]; then
    pass "vorn-capture --run: the run's $frames frames"
  else
    fail "vorn-capture --run: $(cat "$work/capture.err")"
  fi
  sums=$(for frame in "$work"/replayed/frame-*.bmp; do frame_sum "$frame"; done)
  while read -r shot; do
    if grep -qx "$(frame_sum "$shot")" <<<"$sums"; then
      pass "the frame F12 saved in $(basename "$shot") is a frame of the replay"
    else
      fail "the frame F12 saved in $(basename "$shot") is none of the replay's"
    fi
  done <"$work/runs.out"
  start_vorn replay --window --replay "$recorded"
  wait_for_exit 60
  if [ "$exit_code" -eq 0 ] && [ ! -s "$work/replay.err" ]; then
    pass "vorn --replay: the run plays and ends by itself, exit code 0"
  else
    fail "vorn --replay: exit code $exit_code, $(cat "$work/replay.err")"
  fi
}

# --- the player ---------------------------------------------------------------------

# A replay, paused and sent by the player's keys to frames on and back (a
# frame back starts the program again and computes the frames on the way
# unseen): each time the title names the frame and F12 saves exactly the
# capture tool's frame of the run there. Taken over at frame 300, the keys
# steer and the run recorded is the replay's 300 frames and then the user's.
check_player() {
  local run=$work/player.vornrun taken=$work/taken.vornrun prefix step shots=0 frame
  prefix='keys down@16-30,left@34-44,up@48-56,right@100-200'
  printf 'vorn-run 1\ngenerator glibc\npicture %s\nseed 1765350000\nframes 600\n%s\n' \
    "$(sha256sum "$rock_bmp" | cut -c1-64)" "$prefix" >"$run"
  "$(dirname "$vorn")/vorn-capture" --run "$run" --out "$work/player_frames" 2>"$work/capture.err" ||
    { fail "player: vorn-capture --run: $(cat "$work/capture.err")"; return; }
  mkdir -p "$work/player_shots"
  start_vorn player --window --replay "$run" --record "$taken" --shots "$work/player_shots"
  window=$(find_window '^Vorn Game Console: frame [0-9]* of 600' 20) || { fail "player: no window"; return; }
  key windowfocus "$window"
  key key p
  for step in End:600 Home:1 5:300 period:301 comma:300; do
    frame=${step#*:}
    key key "${step%:*}"
    if ! within_5s eval '[[ "$(key getwindowname "$window")" == *": frame $frame of 600, "*" (paused)" ]]'; then
      fail "player: ${step%:*} does not land on frame $frame: \"$(key getwindowname "$window")\""
      continue
    fi
    key key F12
    shots=$((shots + 1))
    within_5s eval '[ "$(wc -l <"$work/player.out")" -eq $shots ]' || { fail "player: F12 saved nothing"; return; }
    if [ "$(frame_sum "$(tail -n 1 "$work/player.out")")" = "$(frame_sum "$work/player_frames/frame-$(printf %04d "$frame").bmp")" ]; then
      pass "player: ${step%:*} lands on frame $frame, the capture tool's to the pixel"
    else
      fail "player: after ${step%:*} the frame shown is not the run's frame $frame"
    fi
  done
  key key t p
  pic_x=0 pic_y=0 pic_scale=2
  ends_with_escape "taken over at frame 300"
  if grep -qx 'frames [0-9]*' "$taken" && [ "$(sed -n 's/^frames //p' "$taken")" -gt 300 ] &&
    grep -q "^$prefix,.*up@" "$taken" && [ "$(grep -c '^seed 1765350000$' "$taken")" = 1 ]; then
    pass "--replay and --record, taken over: the replay's frames, then the user's"
  else
    fail "--replay and --record, taken over: $(tr '\n' ' ' <"$taken")"
  fi
}

# --- focus, switching away, hiding --------------------------------------------------------

# Another program's window, below the one --window opens and in the black
# border of full screen: with no window manager it stays on top, and over
# the picture it would hide stars from the checks.
start_other() {
  DISPLAY=$display xlogo -geometry 100x40+0+1050 >/dev/null 2>&1 &
  other_pid=$!
  other=$(find_window '^xlogo$' 20)
  [ -n "$other" ]
}

stop_other() {
  kill "$other_pid" 2>/dev/null
  wait "$other_pid" 2>/dev/null
  other_pid=
}

# ticks_over SECONDS: CPU ticks the program uses in that time.
ticks_over() {
  local before
  before=$(cpu_ticks)
  sleep "$1"
  echo $(($(cpu_ticks) - before))
}

# until_quiet: waits, up to five seconds, for a second in which the program
# uses at most one tick (a program that goes on drawing uses dozens).
until_quiet() {
  local try
  for try in 1 2 3 4 5; do
    [ "$(ticks_over 1)" -le 1 ] && return 0
  done
  return 1
}

# A window that loses the focus keeps running; a key held when it went
# counts as let go.
check_focus_in_window() {
  # shellcheck disable=SC2086
  open_vorn focus $in_window --window || return
  start_other || { fail "focus: no other window"; return; }
  key windowfocus "$window"
  pic_x=0 pic_y=0 pic_scale=2
  # Down is known to be held for the program once the stars streak.
  key keydown Down
  until_stars stars_streak streak || fail "focus: Down did not streak the stars ($check_summary)"
  key windowfocus "$other"
  key keyup Down
  check_moving "$last_shot" "a window without the focus"
  stop_other
  key windowfocus "$window"
  if check_picture "focus back, Down let go elsewhere" focus_back 0 0 2; then
    pass "no key stuck: the stars are single pixels again"
  fi
  ends_with_escape "after the focus came back"
}

# Full screen: another window taking the focus takes the display; the
# program then stands, using no processor, and draws the scene whole when
# the focus comes back.
check_switch_away() {
  # shellcheck disable=SC2086
  open_vorn away $full_screen --integer-scaling || return
  start_other || { fail "switching away: no other window"; return; }
  key windowfocus "$other"
  local ticks changed=no
  window_shot away_0
  if ! until_still away_0 away_a; then
    fail "switched away from full screen: the program goes on drawing"
    return
  fi
  ticks=$(ticks_over 3)
  window_shot away_b
  cmp -s "$work/away_a.ppm" "$work/away_b.ppm" || changed=yes
  if [ $changed = no ] && [ "$ticks" -le 2 ]; then
    pass "switched away from full screen: nothing drawn, $ticks CPU ticks in 3 s"
  else
    fail "switched away from full screen: $ticks CPU ticks in 3 s, picture changed: $changed"
  fi
  key windowfocus "$window"
  stop_other
  check_picture "switched back" away_back 60 70 2
  check_moving away_back "switched back"
  ends_with_escape "after switching back"
}

# Hidden (as minimised): the program waits instead of drawing.
check_hidden() {
  # shellcheck disable=SC2086
  open_vorn hidden $in_window --window || return
  key windowunmap --sync "$window"
  local ticks
  if ! until_quiet; then
    fail "hidden: the program goes on using the processor"
  elif ticks=$(ticks_over 3) && [ "$ticks" -le 2 ] && running; then
    pass "hidden: $ticks CPU ticks in 3 s"
  else
    fail "hidden: $ticks CPU ticks in 3 s, expected the program to wait"
  fi
  key windowmap --sync "$window"
  key windowfocus "$window"
  check_picture "shown again" hidden_back 0 0 2
  check_moving hidden_back "shown again"
  ends_with_escape "after hiding"
}

check_options
start_xvfb 1400 1100
echo "Xvfb on display $display, ${screen_width}x${screen_height}"
for check in ${VORN_DESKTOP_CHECKS:-check_window_and_resizing check_alt_enter check_screenshot check_focus_in_window \
  check_switch_away check_hidden check_runs check_player}; do
  "$check"
  stop_vorn
  stop_other
done
finish
