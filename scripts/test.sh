#!/usr/bin/env bash
# Builds everything the way CI does and runs every test, installing what is
# missing on Debian. Exits non-zero on the first stage that fails.
#   scripts/test.sh              every stage in order
#   scripts/test.sh build test   only the named stages
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=packages.sh
source "$root/scripts/packages.sh"

jobs=${VORN_JOBS:-$(nproc 2>/dev/null || echo 2)}

# What every stage below needs.
test_packages=(
  cmake ninja-build g++ clang
  libgtest-dev libbenchmark-dev libsdl2-dev libgif-dev
  xvfb xdotool x11-apps netpbm
)

stage_packages() { vorn_ensure_packages "${test_packages[@]}"; }

# The portable build with warnings as errors, and its tests (unit, scenario
# and the end-to-end run on a virtual X screen).
stage_build() { cmake --preset ci && cmake --build --preset ci --parallel "$jobs"; }
stage_test() { ctest --preset ci --parallel "$jobs"; }

# Further stages are added here and named in this list, in running order.
all_stages=(packages build test)

stages=("${all_stages[@]}")
if [ $# -gt 0 ]; then stages=("$@"); fi
for stage in "${stages[@]}"; do
  if ! declare -F "stage_$stage" >/dev/null; then
    echo "vorn: no stage named '$stage' (stages: ${all_stages[*]})" >&2
    exit 2
  fi
done

cd "$root" || exit 1
for stage in "${stages[@]}"; do
  echo "=== stage: $stage"
  if ! "stage_$stage"; then
    echo "vorn: stage '$stage' failed" >&2
    exit 1
  fi
done
echo "=== all stages passed: ${stages[*]}"
