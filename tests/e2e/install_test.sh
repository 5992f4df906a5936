#!/usr/bin/env bash
# The demo installed the desktop way, from a build folder: the tree
# `cmake --install` lays out, its menu entry and icons, the installed
# programs run from another folder finding their picture in share/vorn, and
# the .deb `cpack` makes, installed with dpkg into a scratch root.
#   install_test.sh path/to/build
# The program runs on a virtual X screen (Xvfb) through SDL's X11 driver.
build=${1:?usage: install_test.sh path/to/build}
build=$(cd "$build" && pwd)
rock_bmp=$build/bin/ROCK8.BMP
# shellcheck source=e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"

require_tools cmake cpack dpkg dpkg-deb dpkg-query desktop-file-validate pngtopam pamsumm
[ -f "$build/CPackConfig.cmake" ] || die "no configured build in $build"
[ -f "$rock_bmp" ] || die "no ROCK8.BMP in $build/bin"
read_scene_colours

prefix=$work/prefix
elsewhere=$work/elsewhere
icon_sizes="16 24 32 48 64 128 256"

# What the tree must hold, every file, sorted.
expected_files() {
  local size
  {
    printf '%s\n' bin/vorn bin/vorn-capture share/applications/vorn.desktop share/vorn/ROCK8.BMP \
      share/doc/vorn/copyright
    for size in $icon_sizes; do echo "share/icons/hicolor/${size}x$size/apps/vorn.png"; done
  } | sort
}

check_tree() {
  if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
    cat "$work/install.log" >&2
    die "cmake --install failed"
  fi
  local files
  files=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
  if [ "$files" = "$(expected_files)" ]; then
    pass "cmake --install: $(echo "$files" | wc -l) files, programs in bin/, the picture in share/vorn/"
  else
    fail "cmake --install laid out:"
    diff <(expected_files) <(echo "$files") >&2
  fi
  if [ ! -x "$prefix/bin/vorn" ] || [ ! -x "$prefix/bin/vorn-capture" ]; then
    fail "the installed programs cannot be run"
  fi
  cmp -s "$prefix/share/vorn/ROCK8.BMP" "$rock_bmp" || fail "the installed ROCK8.BMP is not the built one"
}

check_menu_entry() {
  local entry=$prefix/share/applications/vorn.desktop
  if desktop-file-validate "$entry" >"$work/validate.log" 2>&1 && [ ! -s "$work/validate.log" ]; then
    pass "desktop-file-validate: vorn.desktop is valid"
  else
    fail "desktop-file-validate:"
    cat "$work/validate.log" >&2
  fi
  local exec icon
  exec=$(awk -F= '/^Exec=/ { print $2; exit }' "$entry")
  icon=$(awk -F= '/^Icon=/ { print $2; exit }' "$entry")
  if [ -x "$prefix/bin/${exec%% *}" ] && [ -f "$prefix/share/icons/hicolor/48x48/apps/$icon.png" ] &&
    grep -qx 'Exec=vorn --window' "$entry"; then
    pass "the menu entry runs bin/${exec%% *} (and --window as an action), icon \"$icon\" installed"
  else
    fail "the menu entry's Exec \"$exec\" or Icon \"$icon\" is not what was installed"
  fi
}

# Each icon, read by libpng: its size, see-through corners, a solid middle;
# compressed.
check_icons() {
  local size png header corner middle bad=
  for size in $icon_sizes; do
    png=$prefix/share/icons/hicolor/${size}x$size/apps/vorn.png
    pngtopam -alphapam "$png" >"$work/icon.pam" 2>"$work/icon.err" || { bad="$bad $size (unreadable)"; continue; }
    header=$(head -n 4 "$work/icon.pam" | tr '\n' ' ')
    corner=$(pamcut -left 0 -top 0 -width 1 -height 1 "$work/icon.pam" | tail -c 4 | od -An -tu1 | awk '{ print $4 }')
    middle=$(pamcut -left $((size / 2)) -top $((size / 2)) -width 1 -height 1 "$work/icon.pam" |
      tail -c 4 | od -An -tu1 | awk '{ print $4 }')
    case "$header" in
      "P7 WIDTH $size HEIGHT $size DEPTH 4 "*) ;;
      *) bad="$bad $size (header $header)"; continue ;;
    esac
    [ "$corner" = 0 ] && [ "$middle" = 255 ] || bad="$bad $size (alpha $corner at the corner, $middle in the middle)"
    # Compressed: the largest icon's file is smaller than its indices alone.
    [ "$size" -lt 256 ] || [ "$(stat -c %s "$png")" -lt $((size * size)) ] || bad="$bad $size (not compressed)"
  done
  if [ -z "$bad" ]; then
    pass "icons $icon_sizes: compressed PNGs of their size, the rock on a see-through ground"
  else
    fail "icons:$bad"
  fi
}

# The picture, for the scene checks: the whole 640 x 480 screen, which the
# program fills full screen.
grab_picture() { grab_screen "$1" 0 0 640 480; }

# run_installed LABEL: the installed program, started from another folder,
# must draw its scene until Escape ends it with 0.
run_installed() {
  (cd "$elsewhere" && DISPLAY=$display SDL_VIDEODRIVER=x11 exec "$prefix/bin/vorn") \
    >"$work/installed.out" 2>"$work/installed.err" &
  vorn_pid=$!
  local window
  window=$(find_window '^Vorn Game Console$' 20) && key windowfocus "$window"
  if wait_for_scene installed 30 && [ ! -s "$work/installed.err" ]; then
    pass "$1: the scene is drawn ($check_summary)"
  else
    stop_vorn
    fail "$1: no scene ($check_summary): $(cat "$work/installed.err")"
    return
  fi
  check_key_quits Escape "$1: Escape"
}

# From an empty folder, then from one holding a ROCK8.BMP that is no
# picture: the one in share/vorn comes first. Without it that one is
# read, and refused.
check_runs_from_elsewhere() {
  mkdir -p "$elsewhere"
  run_installed "installed, run from another folder"
  echo "not a picture" >"$elsewhere/ROCK8.BMP"
  run_installed "installed, a broken ROCK8.BMP in the current folder"

  mv "$prefix/share/vorn/ROCK8.BMP" "$work/kept.bmp"
  (cd "$elsewhere" && DISPLAY=$display SDL_VIDEODRIVER=x11 timeout 20 "$prefix/bin/vorn") \
    >/dev/null 2>"$work/missing.err"
  local code=$?
  if [ "$code" -eq 1 ] && grep -q 'ROCK8.BMP' "$work/missing.err"; then
    pass "without share/vorn/ROCK8.BMP the current folder's is read: exit code 1, \"$(head -n 1 "$work/missing.err")\""
  else
    fail "without share/vorn/ROCK8.BMP: exit code $code, $(cat "$work/missing.err")"
  fi
  mv "$work/kept.bmp" "$prefix/share/vorn/ROCK8.BMP"
  rm -f "$elsewhere/ROCK8.BMP"

  (cd "$elsewhere" && timeout 60 "$prefix/bin/vorn-capture" --frames 3 --out frames) \
    >/dev/null 2>"$work/capture.err"
  code=$?
  if [ "$code" -eq 0 ] && [ "$(find "$elsewhere/frames" -name '*.bmp' 2>/dev/null | wc -l)" -eq 3 ]; then
    pass "installed vorn-capture, run from another folder: 3 frames"
  else
    fail "installed vorn-capture: exit code $code, $(cat "$work/capture.err")"
  fi
}

# The package: the same tree under /usr, installed by dpkg into a scratch
# root; what it depends on is installed here.
check_package() {
  if ! cpack --config "$build/CPackConfig.cmake" -B "$work/packages" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    fail "cpack failed"
    return
  fi
  local deb
  deb=$(find "$work/packages" -maxdepth 1 -name '*.deb' | head -n 1)
  [ -n "$deb" ] || { fail "cpack made no .deb"; return; }
  local listed
  listed=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' | sort)
  if [ "$listed" = "$(expected_files)" ]; then
    pass "$(basename "$deb") holds the installed tree under /usr"
  else
    fail "$(basename "$deb") holds:"
    diff <(expected_files) <(echo "$listed") >&2
  fi

  local root=$work/root
  mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
  : >"$root/var/lib/dpkg/status"
  if dpkg --root="$root" --force-depends --force-not-root -i "$deb" >"$work/dpkg.log" 2>&1 &&
    [ "$(dpkg-query --admindir="$root/var/lib/dpkg" -W -f='${db:Status-Status}' vorn)" = installed ] &&
    [ "$("$root/usr/bin/vorn" --version)" = "vorn $(dpkg-deb -f "$deb" Version)" ]; then
    pass "dpkg -i into a scratch root: installed, and its vorn --version is the package's"
  else
    fail "dpkg -i into a scratch root:"
    cat "$work/dpkg.log" >&2
  fi
  local missing
  missing=$(deb_depends_missing "$deb")
  if [ -z "$missing" ]; then
    pass "the package depends on $(dpkg-deb -f "$deb" Depends | sed 's/ ([^)]*)//g'), all installed here"
  else
    fail "the package depends on what is not installed here: $missing"
  fi
}

check_tree
check_menu_entry
check_icons
start_xvfb 640 480
check_runs_from_elsewhere
check_package
finish
