#!/usr/bin/env bash
# The real Windows program, end to end, under wine on a virtual X screen: it
# must show the scene in ROCK8.BMP's colours, answer held keys, quit with
# exit code 0, fail promptly with exit code 1 without ROCK8.BMP or without a
# display mode it can set, and come back after the user switched away.
#   wine_test.sh path/to/vorn.exe      (64-bit build; ROCK8.BMP beside it)
# Screenshots of the scene are kept as wine_*.png in the current folder (or
# in $VORN_E2E_ARTIFACTS). Every wait is bounded; a wedged wine fails.
vorn=${1:?usage: wine_test.sh path/to/vorn.exe}
vorn=$(cd "$(dirname "$vorn")" && pwd)/$(basename "$vorn")
rock_bmp="$(dirname "$vorn")/ROCK8.BMP"
# shellcheck source=e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"

width=640
height=480

export WINEPREFIX=$work/prefix
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs: nothing here needs them.
export WINEDLLOVERRIDES="mscoree=;mshtml="

stop_wine() { timeout 20 wineserver -k >/dev/null 2>&1; }

cleanup_more() { [ -d "${WINEPREFIX:-}" ] && stop_wine; }

require_tools wine wineboot wineserver pnmtoplainpnm
[ -f "$vorn" ] || die "no program at $vorn"
[ -f "$rock_bmp" ] || die "no ROCK8.BMP beside $vorn"

# --- X screen and wine prefix ---------------------------------------------------

make_prefix() {
  timeout 180 wineboot -i >"$work/wineboot.log" 2>&1 || {
    cat "$work/wineboot.log" >&2
    die "wineboot -i did not finish within 180 s"
  }
  stop_wine
}

# use_desktop NAME: from now on every program in the prefix runs inside the
# 640 x 480 virtual desktop NAME ("shell" is the one with a taskbar).
use_desktop() {
  if ! timeout 60 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d "$1" /f \
    >/dev/null 2>&1; then
    die "cannot choose the virtual desktop $1"
  fi
  if ! timeout 60 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$1" \
    /d "${width}x${height}" /f >/dev/null 2>&1; then
    die "cannot size the virtual desktop $1"
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

# Runs vorn.exe from folder $1 to its end (at most 30 s); sets exit_code and
# elapsed.
run_vorn() {
  start_vorn "$1" 30
  wait_for_exit 40
}

# Where the virtual desktop lies on the X screen: sets desk_x and desk_y.
find_desktop() {
  local window desk_width desk_height
  window=$(timeout 20 xdotool search --sync --onlyvisible --name ' - Wine desktop$' 2>/dev/null |
    head -n 1)
  [ -n "$window" ] || return 1
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

# Every colour index the picture's pixels use, 0 (the ground) excepted: the
# rock colours.
rock_indices() {
  local pixel_bytes file_bytes
  pixel_bytes=$(bmp_number 34)
  file_bytes=$(wc -c <"$rock_bmp")
  od -An -tu1 -v -j $((file_bytes - pixel_bytes)) "$rock_bmp" | tr -s ' ' '\n' |
    awk 'NF && $1 != 0' | sort -un
}

# Star colours in speed-class order (indices 245, 242, 239, 236) and the rock
# colours, each a comma-separated list of "r g b".
star_list=
rock_list=
read_colours() {
  star_list=$(star_colour_list)
  # shellcheck disable=SC2046
  rock_list=$(bmp_colours $(rock_indices) | paste -sd, -)
  [ -n "$rock_list" ] || die "ROCK8.BMP has no rock pixels"
}

# screenshot NAME: the desktop as NAME.ppm and NAME.grid, 480 lines of 640
# characters: "." black, 0..3 a star colour of that speed class, "r" a rock
# colour, "?" anything else.
screenshot() {
  grab_screen "$1" "$desk_x" "$desk_y" $width $height || return 1
  pnmtoplainpnm "$work/$1.ppm" | awk -v stars="$star_list" -v rocks="$rock_list" '
    BEGIN {
      n = split(stars, list, ","); for (i = 1; i <= n; i++) star[list[i]] = i - 1
      n = split(rocks, list, ","); for (i = 1; i <= n; i++) rock[list[i]] = 1
    }
    {
      for (i = 1; i <= NF; i++) {
        if (++token <= 4) { if (token == 2) w = $i; continue }
        v[++k] = $i
        if (k < 3) continue
        k = 0
        colour = v[1] " " v[2] " " v[3]
        if (colour == "0 0 0") c = "."
        else if (colour in star) c = star[colour]
        else if (colour in rock) c = "r"
        else c = "?"
        line = line c
        if (++x == w) { print line; line = ""; x = 0 }
      }
    }' >"$work/$1.grid"
}

keep_screenshot() { pnmtopng "$work/$1.ppm" >"$artifacts/wine_$2.png" 2>/dev/null; }

# "stars-of-class-0 .. stars-of-class-3 rock-pixels other-pixels" of a grid.
census() {
  awk '{ for (x = 1; x <= length($0); x++) count[substr($0, x, 1)]++ }
    END { printf "%d %d %d %d %d %d\n", count[0], count[1], count[2], count[3], count["r"], count["?"] }' \
    "$work/$1.grid"
}

# The scene as it should look: a few hundred stars in each of the four star
# colours, the rocks, and black for everything else.
scene_shown() {
  local c0 c1 c2 c3 rock other
  read -r c0 c1 c2 c3 rock other < <(census "$1")
  scene_summary="stars by class $c0/$c1/$c2/$c3, $rock rock pixels, $other other pixels"
  [ "$other" -eq 0 ] && [ "$rock" -ge 20000 ] && [ "$c0" -gt 0 ] && [ "$c1" -gt 0 ] &&
    [ "$c2" -gt 0 ] && [ "$c3" -gt 0 ] && [ $((c0 + c1 + c2 + c3)) -ge 150 ] &&
    [ $((c0 + c1 + c2 + c3)) -le 700 ]
}

# Waits up to $2 seconds for the scene to show; the last screenshot is $1.
wait_for_scene() {
  local deadline=$((SECONDS + $2))
  while [ $SECONDS -lt $deadline ]; do
    if screenshot "$1" && scene_shown "$1"; then return 0; fi
    running || return 1
    sleep 0.5
  done
  return 1
}

# Takes screenshot $1 once a second until two in a row agree, for at most
# $2 seconds; returns 1 if the screen never stood still.
wait_for_still() {
  local deadline=$((SECONDS + $2)) have=no
  while [ $SECONDS -lt $deadline ]; do
    if screenshot "$1"; then
      if [ $have = yes ] && cmp -s "$work/$1.before.ppm" "$work/$1.ppm"; then return 0; fi
      cp "$work/$1.ppm" "$work/$1.before.ppm"
      have=yes
    fi
    sleep 1
  done
  return 1
}

# How the stars of screenshot $1 reappear in screenshot $2, taking each star
# class r to fall (1 + 2r) rows a frame, wrapping at the bottom:
# "stars still vanished best_frames best_found", where still counts stars
# found unmoved, vanished those whose pixel turned black, and best_found the
# stars found after the best-matching number of frames (0..200).
star_motion() {
  awk -v rows=$height 'FNR == 1 { file++ }
    file == 1 {
      for (x = 1; x <= length($0); x++) {
        c = substr($0, x, 1)
        if (c ~ /[0-3]/) { n++; sx[n] = x; sy[n] = FNR - 1; sc[n] = c }
      }
      next
    }
    { row[FNR - 1] = $0 }
    END {
      for (i = 1; i <= n; i++) if (substr(row[sy[i]], sx[i], 1) == ".") vanished++
      best = -1
      for (k = 0; k <= 200; k++) {
        found = 0
        for (i = 1; i <= n; i++) {
          y = (sy[i] + k * (1 + 2 * sc[i])) % rows
          if (substr(row[y], sx[i], 1) == sc[i]) found++
        }
        if (k == 0) still = found
        if (found > bestFound) { bestFound = found; best = k }
      }
      printf "%d %d %d %d %d\n", n, still, vanished, best, bestFound
    }' "$work/$1.grid" "$work/$2.grid"
}

# --- the checks ---------------------------------------------------------------------

# Runs one check, then ends whatever it left running, wine included.
run_check() {
  "$1"
  stop_vorn
  stop_wine
}

# check_fails_promptly CASE FOLDER: run from FOLDER, the program must give up
# with exit code 1 within 30 s.
check_fails_promptly() {
  run_vorn "$2"
  if [ "$exit_code" -eq 1 ] && [ "$elapsed" -le 30 ]; then
    pass "$1: exit code 1 after ${elapsed} s"
  else
    fail "$1: exit code $exit_code after ${elapsed} s, expected 1 within 30 s"
  fi
}

check_no_desktop() {
  check_fails_promptly "no virtual desktop (the mode cannot be set)" "$(game_folder plain)"
}

check_missing_bmp() { check_fails_promptly "ROCK8.BMP missing" "$(game_folder bare bare)"; }

# The scene, the Up and no-key motion of the stars, and the Escape quit.
check_scene_keys_escape() {
  start_vorn "$(game_folder scene)" 120
  if ! find_desktop; then
    fail "no 640x480 wine desktop within 20 s"
    return
  fi
  focus_desktop
  if ! wait_for_scene first 30; then
    fail "the scene did not appear within 30 s ($scene_summary)"
    keep_screenshot first not_shown
    return
  fi
  keep_screenshot first scene
  pass "the scene: $scene_summary, nothing else"

  sleep 0.5
  screenshot second
  local stars still vanished frames found
  read -r stars still vanished frames found < <(star_motion first second)
  if [ "$frames" -ge 1 ] && [ $((found * 10)) -ge $((stars * 6)) ] &&
    [ $((still * 10)) -le $((stars * 3)) ]; then
    pass "no key: $found of $stars stars fell by $frames frames at their speeds"
  else
    fail "no key: of $stars stars $still stayed put, best fit $found after $frames frames"
  fi

  # Frames drawn before Up went down must be off the screen by the first
  # screenshot.
  key keydown Up
  sleep 0.8
  screenshot held_up_1
  sleep 0.5
  screenshot held_up_2
  key keyup Up
  read -r stars still vanished frames found < <(star_motion held_up_1 held_up_2)
  if cmp -s "$work/held_up_1.ppm" "$work/held_up_2.ppm"; then
    fail "Up held: the picture did not change at all (no frames drawn?)"
  elif [ "$vanished" -eq 0 ] && [ $((still * 10)) -ge $((stars * 8)) ]; then
    pass "Up held: $still of $stars stars unmoved, the rest behind rocks, none gone"
  else
    fail "Up held: $vanished of $stars stars moved away, $still unmoved"
  fi

  check_escape_quits 20
}

# The user switches to another program and back (through the taskbar of the
# "shell" desktop): the display is lost and must come back, in the right
# colours, still moving.
check_switch_away() {
  start_vorn "$(game_folder switch)" 120
  if ! find_desktop || ! wait_for_scene before 30; then
    fail "switching away: the scene did not appear"
    return
  fi
  focus_desktop
  (timeout -k 5 60 wine notepad >/dev/null 2>&1 &)
  if ! timeout 20 xdotool search --sync --onlyvisible --name 'Notepad$' >/dev/null 2>&1; then
    fail "switching away: no Notepad window within 20 s"
    return
  fi
  # Once Notepad has painted, the screen must stand still: the program, now
  # behind, must not take the display back by itself.
  local standing=no
  if wait_for_still away 15 && ! scene_shown away; then standing=yes; fi
  keep_screenshot away switched_away
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
  if wait_for_scene back 15; then
    keep_screenshot back switched_back
    pass "switched back: $scene_summary, nothing else"
    sleep 0.5
    screenshot back_later
    local stars still vanished frames found
    read -r stars still vanished frames found < <(star_motion back back_later)
    if [ "$frames" -ge 1 ] && [ $((found * 10)) -ge $((stars * 6)) ]; then
      pass "switched back: the stars fall again ($found of $stars after $frames frames)"
    else
      fail "switched back: the stars do not fall as before ($found of $stars, $frames frames)"
    fi
  else
    keep_screenshot back not_back
    fail "switched back: the scene did not come back within 15 s ($scene_summary)"
  fi

  focus_desktop
  key keydown Escape
  sleep 1
  key keyup Escape
  wait_for_exit 20
  if [ "$exit_code" -eq 0 ]; then
    pass "after switching back, Escape: exit code 0"
  else
    fail "after switching back, Escape: exit code $exit_code"
  fi
}

start_xvfb 1024 768
export DISPLAY=$display
echo "Xvfb on display $display; wine prefix $WINEPREFIX"
read_colours
make_prefix
run_check check_no_desktop
use_desktop Default
run_check check_missing_bmp
run_check check_scene_keys_escape
use_desktop shell
run_check check_switch_away

finish
