#!/usr/bin/env bash
# Builds everything the way CI does and runs every test, installing what is
# missing on Debian. Exits non-zero on the first stage that fails.
#   scripts/test.sh              every stage in order
#   scripts/test.sh build test   only the named stages
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source-path=SCRIPTDIR source=packages.sh
source "$root/scripts/packages.sh"

jobs=${VORN_JOBS:-$(nproc 2>/dev/null || echo 2)}

# What every stage below needs.
test_packages=(
  cmake ninja-build g++ clang
  libgtest-dev libbenchmark-dev libsdl2-dev libgif-dev
  xvfb xdotool x11-apps netpbm desktop-file-utils dpkg-dev
)

stage_packages() { vorn_ensure_packages "${test_packages[@]}"; }

# The portable build with warnings as errors, and its tests (unit, scenario,
# the end-to-end runs on a virtual X screen, and its installed tree and
# .deb).
stage_build() { cmake --preset ci && cmake --build --preset ci --parallel "$jobs"; }
stage_test() { ctest --preset ci --parallel "$jobs"; }

# The Windows program: the 32-bit target (also put in build/windows-i686/Vorn
# with ROCK8.BMP and README.txt, and zipped by cpack) and its 64-bit twin,
# cross-built with MinGW-w64; both executables checked (imports, icon,
# manifest) and the zip's contents; the 64-bit one run under wine, which
# here has no 32-bit part, so the 32-bit one is only compiled and linked.
windows_packages=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64 libxml2-utils unzip
  xvfb xdotool x11-apps netpbm
)

stage_windows() {
  # wine without its recommends, so that no 32-bit part comes along.
  vorn_ensure_packages --no-install-recommends wine wine64 &&
    vorn_ensure_packages "${windows_packages[@]}" || return 1
  cmake --preset windows-i686 && cmake --build --preset windows-i686 --parallel "$jobs" &&
    cmake --build --preset windows-folder &&
    cpack --config build/windows-i686/CPackConfig.cmake -B build/windows-i686 >/dev/null &&
    cmake --preset windows-x64 && cmake --build --preset windows-x64 --parallel "$jobs" ||
    return 1
  bash tests/e2e/wine_exe_check.sh build/windows-i686/Vorn/vorn.exe \
    build/windows-x64/bin/vorn.exe || return 1
  bash tests/e2e/windows_zip_check.sh build/windows-i686/vorn-*-windows-x86.zip \
    build/windows-i686/Vorn || return 1
  VORN_E2E_ARTIFACTS=build/windows-x64 timeout 900 bash tests/e2e/wine_test.sh \
    build/windows-x64/bin/vorn.exe
}

# Reliability: the whole suite built with clang under AddressSanitizer,
# LeakSanitizer and UndefinedBehaviorSanitizer; each fuzz target for a
# bounded time (VORN_FUZZ_SECONDS, default 60); the 300-frame soak run under
# valgrind's memcheck, on the ci build.
reliability_packages=(clang libclang-rt-14-dev valgrind)

stage_asan() {
  vorn_ensure_packages "${reliability_packages[@]}" || return 1
  cmake --preset asan && cmake --build --preset asan --parallel "$jobs" &&
    ctest --preset asan --parallel "$jobs"
}
stage_fuzz() {
  vorn_ensure_packages "${reliability_packages[@]}" && bash fuzz/run.sh "${VORN_FUZZ_SECONDS:-60}"
}
stage_valgrind() {
  vorn_ensure_packages "${reliability_packages[@]}" || return 1
  cmake --preset ci >/dev/null && cmake --build --preset ci --target vorn_soak &&
    bash tests/e2e/valgrind_soak.sh build/ci/bin/vorn_soak
}

# The demo in a browser: the site built with Debian's emscripten, then the
# browser checks (tests/web) in headless Chromium driven by puppeteer-core,
# installed from the lockfile.
web_packages=(cmake ninja-build g++ chromium)

stage_web() {
  vorn_ensure_packages --no-install-recommends emscripten &&
    vorn_ensure_packages "${web_packages[@]}" || return 1
  if ! command -v npm >/dev/null 2>&1; then vorn_ensure_packages npm || return 1; fi
  cmake --preset web && cmake --build --preset web --parallel "$jobs" || return 1
  npm ci --no-audit --no-fund --loglevel=error || return 1
  timeout 600 node --test --test-concurrency=1 tests/web/
}

# Further stages are added here and named in this list, in running order.
all_stages=(packages build test windows asan fuzz valgrind web)

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
