#!/usr/bin/env bash
# Builds the demo for the browser, installing what the build needs on
# Debian, and serves the site on 127.0.0.1, printing the address.
#   scripts/web.sh [PORT]     (default 8080; 0 takes any free port)
# The build stays quiet unless it fails; Ctrl+C stops the server.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source-path=SCRIPTDIR source=packages.sh
source "$root/scripts/packages.sh"

vorn_ensure_packages --no-install-recommends emscripten
vorn_ensure_packages cmake ninja-build g++ libpng-dev  # the data tools run on this machine

if ! output=$(cd "$root" && cmake --preset web 2>&1 && cmake --build --preset web 2>&1); then
  printf '%s\n' "$output" >&2
  echo "vorn: the build failed" >&2
  exit 1
fi

exec node "$root/web/serve.mjs" "$root/build/web/site" "${1:-8080}"
