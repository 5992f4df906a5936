#!/usr/bin/env bash
# The runs in tests/runs, made with any C library's numbers (one recorded in the
# page, musl's; one of glibc's), played by vorn-capture: each frame's pixels as
# the page shows them (red, green, blue, top row first) must have the SHA-256
# kept in RUN.frames (first 16 hex digits), as tests/web/generators.test.mjs
# checks in the page.   runs_check.sh path/to/vorn-capture tests/runs
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
for name in page_musl capture_glibc; do
  "$1" --run "$2/$name.vornrun" --out "$work/$name" || exit 1
  for frame in "$work/$name"/frame-*.bmp; do bmptopnm "$frame" 2>/dev/null | tail -c 921600 | sha256sum | cut -c1-16; done |
    diff - <(grep -v '^#' "$2/$name.frames") >"$work/diff" && echo "ok: $name" || { echo "FAIL: $name, frames differ:"; head "$work/diff"; exit 1; }
done
