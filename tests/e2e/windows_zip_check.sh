#!/usr/bin/env bash
# Checks the Windows package that cpack makes: one folder holding exactly
# vorn.exe, ROCK8.BMP, README.txt and LICENSE.txt, each the same as in the
# folder the build lays out for copying.
#   windows_zip_check.sh path/to/vorn-VERSION-windows-x86.zip path/to/Vorn
zip=${1:?usage: windows_zip_check.sh PACKAGE.zip BUILT-FOLDER}
folder=${2:?usage: windows_zip_check.sh PACKAGE.zip BUILT-FOLDER}
rock_bmp=$folder/ROCK8.BMP
# shellcheck source=e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"

command -v unzip >/dev/null 2>&1 || die "unzip is not installed (scripts/test.sh installs it)"
[ -f "$zip" ] || die "no package at $zip"

top=$(basename "$zip" .zip)
listed=$(unzip -Z1 "$zip" 2>/dev/null | grep -v '/$' | sort | paste -sd' ' -)
expected="$top/LICENSE.txt $top/README.txt $top/ROCK8.BMP $top/vorn.exe"
if [ "$listed" = "$expected" ]; then
  pass "$zip holds $expected"
else
  fail "$zip holds \"$listed\", expected \"$expected\""
fi

unzip -q "$zip" -d "$work/unpacked" 2>"$work/unzip.err" || die "$zip cannot be unpacked: $(head -n 1 "$work/unzip.err")"
for name in vorn.exe ROCK8.BMP README.txt LICENSE.txt; do
  if cmp -s "$work/unpacked/$top/$name" "$folder/$name"; then
    pass "$name in the package is the one built"
  else
    fail "$name in the package differs from $folder/$name"
  fi
done

finish
