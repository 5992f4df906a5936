# shellcheck shell=bash
# shellcheck disable=SC2034,SC2154  # variables shared with the sourcing script
# Shared by the end-to-end scripts that drive a program on a virtual X
# screen (xvfb_test.sh, wine_test.sh); sourced, never run. Before sourcing,
# the script sets rock_bmp (the ROCK8.BMP beside the program under test).
# Sourcing makes the scratch folder $work and arranges that on exit the
# program, whatever cleanup_more ends (a script may redefine it), the X
# screen and $work are all gone, also when the output is cut off.
set -u

artifacts=${VORN_E2E_ARTIFACTS:-$PWD}
work=$(mktemp -d "${TMPDIR:-/tmp}/vorn-e2e.XXXXXX")
xvfb_pid=
vorn_pid=
display=
failures=0

cleanup_more() { :; }

cleanup() {
  if [ -n "$vorn_pid" ]; then kill -KILL "$vorn_pid" 2>/dev/null; fi
  cleanup_more
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; fi
  wait 2>/dev/null
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
  for tool in Xvfb xdotool xwd xwdtopnm pamcut pamdepth pnmtopng od paste timeout awk "$@"; do
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
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=
  : >"$work/display"
}

key() { DISPLAY=$display timeout 10 xdotool "$@"; }

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
  elapsed=$((SECONDS - start))
  vorn_pid=
}

# The quit rule, for a focused scene: Escape held for a second must not end
# the program; released, it must end with exit code 0 within $1 seconds.
check_escape_quits() {
  key keydown Escape
  sleep 1
  if running; then
    pass "the scene keeps running while Escape is held"
  else
    fail "the program ended while Escape was still held"
  fi
  key keyup Escape
  wait_for_exit "$1"
  if [ "$exit_code" -eq 0 ]; then
    pass "Escape released: exit code 0 after ${elapsed} s"
  else
    fail "after Escape: exit code $exit_code"
  fi
}

# --- ROCK8.BMP -------------------------------------------------------------------------

# The little-endian 32-bit number at byte $1 of ROCK8.BMP.
bmp_number() {
  od -An -tu1 -j "$1" -N 4 "$rock_bmp" | awk '{ print $1 + 256 * ($2 + 256 * ($3 + 256 * $4)) }'
}

# "r g b" of the colour-table entries of ROCK8.BMP named as arguments (blue,
# green, red, reserved per entry, right after the info header).
bmp_colours() {
  local header_size index
  header_size=$(bmp_number 14)
  for index in "$@"; do
    od -An -tu1 -j $((14 + header_size + 4 * index)) -N 3 "$rock_bmp" | awk '{ print $3, $2, $1 }'
  done
}

# The four star colours in speed-class order (class c is entry 245 - 3c),
# as one comma-separated list of "r g b".
star_colour_list() { bmp_colours 245 242 239 236 | paste -sd, -; }
