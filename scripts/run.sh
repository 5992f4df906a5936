#!/usr/bin/env bash
# Builds the demo, installing what the build needs on Debian, and runs it.
# The build stays quiet unless it fails; the program's exit code is ours.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source-path=SCRIPTDIR source=packages.sh
source "$root/scripts/packages.sh"

# The build makes the demo, its data tools (libpng), the capture tool
# (giflib, FFmpeg's libraries found through pkg-config) and the tests
# (GoogleTest).
vorn_ensure_packages cmake ninja-build g++ libsdl2-dev libpng-dev libgif-dev libgtest-dev \
  pkg-config libavformat-dev libavcodec-dev libswscale-dev libavutil-dev

log=$(mktemp)
if ! (cd "$root" && cmake --preset dev && cmake --build --preset dev) >"$log" 2>&1; then
  cat "$log" >&2
  rm -f "$log"
  echo "vorn: the build failed" >&2
  exit 1
fi
rm -f "$log"

exec "$root/build/dev/bin/vorn" "$@"
