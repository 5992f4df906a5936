#!/usr/bin/env bash
# The real Windows program, end to end, under wine on a virtual X screen: it
# must show the scene in ROCK8.BMP's colours, answer held keys, quit with
# exit code 0, fail promptly with exit code 1 without ROCK8.BMP or without a
# display mode it can set, and come back after the user switched away.
#   wine_test.sh path/to/vorn.exe      (64-bit build; ROCK8.BMP beside it)
# Screenshots of the scene (and of any check on the stars that failed) are
# kept as wine_*.png in the current folder (or in $VORN_E2E_ARTIFACTS).
# Every wait is bounded; a wedged wine fails.
vorn=${1:?usage: wine_test.sh path/to/vorn.exe}
vorn=$(cd "$(dirname "$vorn")" && pwd)/$(basename "$vorn")
rock_bmp="$(dirname "$vorn")/ROCK8.BMP"
# shellcheck source=e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"

width=640
height=480

export WINEPREFIX=$work/prefix
# Each wine server makes a folder of its own under TMPDIR and leaves it
# there: here it goes with $work.
export TMPDIR=$work/tmp
mkdir -p "$TMPDIR"
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs: nothing here needs them.
export WINEDLLOVERRIDES="mscoree=;mshtml="

stop_wine() { timeout 20 wineserver -k >/dev/null 2>&1; }

cleanup_more() { [ -d "${WINEPREFIX:-}" ] && stop_wine; }

require_tools wine wineboot wineserver
[ -f "$vorn" ] || die "no program at $vorn"
[ -f "$rock_bmp" ] || die "no ROCK8.BMP beside $vorn"
read_scene_colours

# --- X screen and wine prefix ---------------------------------------------------

# A new prefix. Making one now and then fails at once ("could not load
# kernel32.dll"), before anything of the program runs: then it is made
# afresh, once.
make_prefix() {
  local attempt code
  for attempt in 1 2; do
    timeout 180 wineboot -i >"$work/wineboot.log" 2>&1
    code=$?
    stop_wine
    [ $code -eq 0 ] && return 0
    cat "$work/wineboot.log" >&2
    [ $code -eq 124 ] && die "wineboot -i did not finish within 180 s"
    echo "note: wineboot -i failed with exit code $code (attempt $attempt)" >&2
    rm -rf "$WINEPREFIX"
  done
  die "no wine prefix could be made"
}

# use_desktop NAME: from now on every program in the prefix runs inside the
# 640 x 480 virtual desktop NAME ("shell" is the one with a taskbar). One
# wine program makes both settings: wine's server ends a few seconds after
# its last program, and a second program starting in that moment can fail.
use_desktop() {
  printf 'REGEDIT4\r\n\r\n[%s]\r\n"Desktop"="%s"\r\n\r\n[%s]\r\n"%s"="%dx%d"\r\n' \
    'HKEY_CURRENT_USER\Software\Wine\Explorer' "$1" \
    'HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops' "$1" $width $height >"$work/desktop.reg"
  if ! (cd "$work" && timeout 60 wine reg import desktop.reg) >/dev/null 2>"$work/reg.err"; then
    cat "$work/reg.err" >&2
    die "cannot choose the ${width}x${height} virtual desktop $1"
  fi
  stop_wine
}

# Copies the program (and ROCK8.BMP unless $2 is "bare") into a folder of
# its own; prints the folder.
game_folder() {
  mkdir -p "$work/$1"
  cp "$vorn" "$work/$1/vorn.exe"
  if [ "${2:-}" != bare ]; then cp "$rock_bmp" "$work/$1/ROCK8.BMP"; fi
  echo "$work/$1"
}

# --- running the program ----------------------------------------------------------

# Starts vorn.exe from folder $1 in the background, at most $2 seconds.
start_vorn() {
  (cd "$1" && exec timeout -k 5 "$2" wine vorn.exe) >"$work/vorn.out" 2>"$work/vorn.err" &
  vorn_pid=$!
}

# Runs vorn.exe from folder $1 to its end (at most 60 s); sets exit_code and
# elapsed. Now and then wine's server, shutting down after the program's
# last call, ends the program's loader with SIGKILL before its exit code is
# passed on (exit code 137). Nothing in the program sends that signal, so
# such a run says nothing of the program and is made again, up to twice.
run_vorn() {
  local attempt
  for attempt in 1 2 3; do
    start_vorn "$1" 60
    wait_for_exit 70
    [ "$exit_code" -eq 137 ] || return 0
    echo "note: run $attempt from $(basename "$1") ended by wine with SIGKILL; made again"
    stop_wine
  done
}

# Where the virtual desktop lies on the X screen: sets desk_x and desk_y.
find_desktop() {
  local window desk_width desk_height
  window=$(find_window ' - Wine desktop$' 60) || return 1
  read -r desk_x desk_y desk_width desk_height < <(
    timeout 10 xdotool getwindowgeometry --shell "$window" |
      awk -F= '{ v[$1] = $2 } END { print v["X"], v["Y"], v["WIDTH"], v["HEIGHT"] }')
  desktop_window=$window
  [ "${desk_width:-0}" -eq "$width" ] && [ "${desk_height:-0}" -eq "$height" ]
}

# Keys go to the desktop window, whatever the pointer does.
focus_desktop() {
  key mousemove $((desk_x + width / 2)) $((desk_y + height / 2))
  key windowfocus "$desktop_window"
}

# --- reading the screen -----------------------------------------------------------

grab_picture() { grab_screen "$1" "$desk_x" "$desk_y" $width $height; }

# Takes screenshot $1 once a second until two in a row agree, for at most
# $2 seconds; returns 1 if the screen never stood still. Agreeing allows a
# few changed pixels: the text caret of the window in front blinks (in
# Notepad 14 pixels), while any frame of the program changes thousands
# (600 stars fall, 45 rocks move).
wait_for_still() {
  local deadline=$((SECONDS + $2)) have=no
  while [ $SECONDS -lt $deadline ]; do
    if screenshot "$1"; then
      if [ $have = yes ] && few_changes "$1.before" "$1"; then return 0; fi
      cp "$work/$1.ppm" "$work/$1.before.ppm"
      have=yes
    fi
    sleep 1
  done
  return 1
}

# few_changes A B: screenshots A and B differ in fewer than 64 pixels
# (3 bytes each).
few_changes() { [ "$(cmp -l "$work/$1.ppm" "$work/$2.ppm" 2>/dev/null | wc -l)" -lt 192 ]; }

# --- the checks ---------------------------------------------------------------------

# Runs one check, then ends whatever it left running, wine included.
run_check() {
  "$1"
  stop_vorn
  stop_wine
}

# check_fails_promptly CASE FOLDER: run from FOLDER, the program must give up
# with exit code 1 within 60 s.
check_fails_promptly() {
  run_vorn "$2"
  if [ "$exit_code" -eq 1 ] && [ "$elapsed" -le 60 ]; then
    pass "$1: exit code 1 after ${elapsed} s"
  else
    fail "$1: exit code $exit_code after ${elapsed} s, expected 1 within 60 s"
  fi
}

check_no_desktop() {
  check_fails_promptly "no virtual desktop (the mode cannot be set)" "$(game_folder plain)"
}

check_missing_bmp() { check_fails_promptly "ROCK8.BMP missing" "$(game_folder bare bare)"; }

# The scene, the stars with no key, Up and Down held, and the Escape quit.
check_scene_keys_escape() {
  start_vorn "$(game_folder scene)" 300
  if ! find_desktop; then
    fail "no 640x480 wine desktop within 60 s"
    return
  fi
  focus_desktop
  check_scene_keys wine_ && check_key_quits Escape Escape
}

# The user switches to another program and back (through the taskbar of the
# "shell" desktop): the display is lost and must come back, in the right
# colours, the stars falling as before.
check_switch_away() {
  start_vorn "$(game_folder switch)" 300
  if ! find_desktop || ! wait_for_scene before 60; then
    fail "switching away: the scene did not appear"
    return
  fi
  focus_desktop
  (timeout -k 5 120 wine notepad >/dev/null 2>&1 &)
  if ! find_window 'Notepad$' 60 >/dev/null; then
    fail "switching away: no Notepad window within 60 s"
    return
  fi
  # Once Notepad has painted, the screen must stand still: the program, now
  # behind, must not take the display back by itself.
  local standing=no
  if wait_for_still away 30 && ! scene_shown away; then standing=yes; fi
  keep_screenshot away wine_switched_away.png
  if ! running; then
    fail "switching away: the program ended"
    return
  fi
  if [ $standing = no ]; then
    fail "switching away: the program still draws on the screen with Notepad in front"
    return
  fi
  pass "switched away: Notepad in front, the screen left alone, the program still running"

  # The first task button, right of Start, is the program's.
  key mousemove $((desk_x + 140)) $((desk_y + height - 10)) click 1
  if ! wait_for_scene back 60; then
    keep_screenshot back wine_not_back.png
    fail "switched back: the scene did not come back within 60 s ($check_summary)"
    return
  fi
  keep_screenshot back wine_switched_back.png
  pass "switched back: $check_summary"
  if next_shot back back_later && stars_fall back back_later; then
    pass "switched back: the stars fall as before ($check_summary)"
  else
    keep_screenshot back_later wine_back_later.png
    fail "switched back: the stars do not fall as before ($check_summary)"
  fi

  focus_desktop
  check_key_quits Escape "after switching back, Escape"
}

start_xvfb 1024 768
export DISPLAY=$display
echo "Xvfb on display $display; wine prefix $WINEPREFIX"
make_prefix
run_check check_no_desktop
use_desktop Default
run_check check_missing_bmp
run_check check_scene_keys_escape
use_desktop shell
run_check check_switch_away

finish
