#!/usr/bin/env bash
# Checks the Windows executables before anything runs them: each is a GUI
# program of its architecture that imports only system DLLs, carries the
# rock icon as group 101 (one 32 x 32 image of 256 colours), and has
# ROCK8.BMP beside it.
#   wine_exe_check.sh path/to/32-bit/vorn.exe path/to/64-bit/vorn.exe
set -u

failures=0
pass() { echo "ok: $*"; }
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# mingw's C runtime is msvcrt.dll, part of Windows and not linkable
# statically; everything else of the C and C++ runtimes is linked in.
allowed_imports="ddraw.dll gdi32.dll kernel32.dll msvcrt.dll user32.dll"

tool_for() { command -v "$1-$2" || command -v "x86_64-w64-mingw32-$2" || command -v "$2"; }

# check_exe PATH TRIPLE MAGIC: MAGIC is the optional-header magic, 010b for
# a 32-bit program, 020b for a 64-bit one.
check_exe() {
  local exe=$1 triple=$2 magic=$3 objdump windres headers imports group
  objdump=$(tool_for "$triple" objdump)
  windres=$(tool_for "$triple" windres)
  if [ ! -f "$exe" ]; then
    fail "no program at $exe"
    return
  fi
  headers=$("$objdump" -p "$exe" 2>/dev/null)
  if ! grep -Eq "^Magic[[:space:]]+$magic\b" <<<"$headers"; then
    fail "$exe: not a $triple program (expected optional-header magic $magic)"
  elif ! grep -Eq '^Subsystem[[:space:]]+0*2[[:space:]]' <<<"$headers"; then
    fail "$exe: not a Windows GUI program"
  else
    pass "$exe: $triple, Windows GUI subsystem"
  fi

  imports=$(awk '/DLL Name:/ { print tolower($3) }' <<<"$headers" | sort -u | paste -sd' ' -)
  if [ "$imports" = "$allowed_imports" ]; then
    pass "$exe imports only $imports"
  else
    fail "$exe imports \"$imports\", expected exactly \"$allowed_imports\""
  fi

  # The resources as windres reads them back: the group's header says how
  # many images it holds, then one line per image: "width height colours
  # reserved", planes, bits per pixel.
  group=$("$windres" -i "$exe" -O rc 2>/dev/null |
    awk '/^101 14 / { inside = 1 } inside { print } inside && /^END/ { exit }')
  if [ -z "$group" ]; then
    fail "$exe: no icon group 101"
  elif ! grep -q 'Has 1 elements' <<<"$group" ||
    ! grep -Fq '"\040\040\000\000", 1, 8,' <<<"$group"; then
    fail "$exe: icon group 101 is not one 32 x 32 image of 256 colours:"
    echo "$group" >&2
  elif [ "$("$windres" -i "$exe" -O rc 2>/dev/null | grep -c ' 14 /\* RT_GROUP_ICON')" -ne 1 ]; then
    fail "$exe: more than one icon group"
  else
    pass "$exe: icon group 101, one 32 x 32 image of 256 colours"
  fi

  if [ -f "$(dirname "$exe")/ROCK8.BMP" ]; then
    pass "ROCK8.BMP lies beside $exe"
  else
    fail "no ROCK8.BMP beside $exe"
  fi
}

check_exe "${1:?usage: wine_exe_check.sh 32-bit/vorn.exe 64-bit/vorn.exe}" i686-w64-mingw32 010b
check_exe "${2:?usage: wine_exe_check.sh 32-bit/vorn.exe 64-bit/vorn.exe}" x86_64-w64-mingw32 020b

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all checks passed"
