#!/usr/bin/env bash
# tests/runs played by vorn-capture: the SHA-256 of each frame's RGB pixels must
# begin as RUN.frames says, as in the page (tests/web/generators.test.mjs).
#   runs_check.sh path/to/vorn-capture tests/runs
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
for name in page_musl capture_glibc; do
  "$1" --run "$2/$name.vornrun" --out "$work/$name" || exit 1
  for frame in "$work/$name"/frame-*.bmp; do bmptopnm "$frame" 2>/dev/null | tail -c 921600 | sha256sum | cut -c1-16; done |
    diff - <(grep -v '^#' "$2/$name.frames") >"$work/diff" && echo "ok: $name" || { echo "FAIL: $name, frames differ:"; head "$work/diff"; exit 1; }
done
