#!/usr/bin/env bash
# Checks the Windows executables before anything runs them: each is a GUI
# program of its architecture that imports only system DLLs, carries the
# rock icon as group 101 (one 32 x 32 image of 256 colours) and an
# application manifest that declares it DPI-aware and names the Windows
# versions it supports, and has ROCK8.BMP beside it.
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

# The supportedOS identifiers of Windows Vista, 7, 8, 8.1 and 10/11, as
# Microsoft's application manifest documentation lists them.
supported_os="{1f676c76-80e1-4239-95bb-83d0f6d0da78} {35138b9a-5d96-4fbd-8e2d-a2440225f93a}\
 {4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38} {8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\
 {e2011457-1546-43c5-a5fe-008deee3d3f0}"

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

  check_manifest "$exe" "$windres"

  if [ -f "$(dirname "$exe")/ROCK8.BMP" ]; then
    pass "ROCK8.BMP lies beside $exe"
  else
    fail "no ROCK8.BMP beside $exe"
  fi
}

# manifest_text EXE WINDRES: the text of resource 1 of type 24 (RT_MANIFEST),
# the manifest Windows reads at start-up, from the quoted lines windres
# prints for it; nothing when there is none.
manifest_text() {
  "$2" -i "$1" -O rc 2>/dev/null |
    awk '/^1 24 / { inside = 1; next } inside && /^END/ { exit }
      inside && /^ *"/ { sub(/^ *"/, ""); sub(/"$/, ""); gsub(/""/, "\""); printf "%s", $0 }' |
    { IFS= read -r -d '' text; printf '%b' "$text"; }
}

# The manifest must be well-formed XML (a malformed one stops Windows from
# starting the program at all), declare per-monitor DPI awareness both ways
# Windows reads it, and list exactly the supported Windows versions.
check_manifest() {
  local exe=$1 manifest awareness aware ids
  manifest=$work_dir/manifest.xml
  manifest_text "$exe" "$2" >"$manifest"
  if [ ! -s "$manifest" ]; then
    fail "$exe: no application manifest (resource 1 of type 24)"
    return
  fi
  if ! xmllint --noout "$manifest" 2>"$work_dir/xmllint.err"; then
    fail "$exe: the manifest is not well-formed XML: $(head -n 1 "$work_dir/xmllint.err")"
    return
  fi
  xpath() { xmllint --xpath "$1" "$manifest" 2>/dev/null; }
  awareness=$(xpath 'string(//*[local-name()="windowsSettings"]/*[local-name()="dpiAwareness"])')
  aware=$(xpath 'string(//*[local-name()="windowsSettings"]/*[local-name()="dpiAware"])')
  ids=$(xpath '//*[local-name()="compatibility"]//*[local-name()="supportedOS"]/@Id' |
    sed 's/.*Id="\([^"]*\)".*/\1/' | tr 'A-F' 'a-f' | sort | paste -sd' ' -)
  if [ "$awareness" != "PerMonitorV2, PerMonitor" ] || [ "$aware" != "true/pm" ]; then
    fail "$exe: manifest DPI awareness \"$awareness\" / \"$aware\", expected \"PerMonitorV2, PerMonitor\" / \"true/pm\""
  elif [ "$ids" != "$supported_os" ]; then
    fail "$exe: manifest supportedOS \"$ids\", expected Vista, 7, 8, 8.1 and 10/11"
  else
    pass "$exe: manifest declares per-monitor DPI awareness and Windows Vista to 11"
  fi
}

work_dir=$(mktemp -d "${TMPDIR:-/tmp}/vorn-exe-check.XXXXXX")
trap 'rm -rf "$work_dir"' EXIT
command -v xmllint >/dev/null 2>&1 || {
  echo "FAIL: xmllint is not installed (scripts/test.sh installs libxml2-utils)" >&2
  exit 1
}

check_exe "${1:?usage: wine_exe_check.sh 32-bit/vorn.exe 64-bit/vorn.exe}" i686-w64-mingw32 010b
check_exe "${2:?usage: wine_exe_check.sh 32-bit/vorn.exe 64-bit/vorn.exe}" x86_64-w64-mingw32 020b

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all checks passed"
