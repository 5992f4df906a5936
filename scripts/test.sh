#!/usr/bin/env bash
# Builds everything the way CI does and runs every test, installing what is
# missing on Debian. Exits non-zero on the first stage that fails.
#   scripts/test.sh              every stage in order
#   scripts/test.sh build test   only the named stages
#   VORN_E2E_REPEAT=20 scripts/test.sh e2e
#                                only the end-to-end checks (the demo under
#                                Xvfb, the Windows program under wine), each
#                                run N times (default 1), with pass counts
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source-path=SCRIPTDIR source=packages.sh
source "$root/scripts/packages.sh"

jobs=${VORN_JOBS:-$(nproc 2>/dev/null || echo 2)}

# What every stage below needs.
test_packages=(
  cmake ninja-build g++ clang
  libgtest-dev libbenchmark-dev libsdl2-dev libgif-dev libpng-dev
  pkg-config libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  xvfb xdotool x11-apps netpbm imagemagick desktop-file-utils dpkg-dev
)

stage_packages() { vorn_ensure_packages "${test_packages[@]}"; }

# The portable build with warnings as errors, and its tests (unit, scenario,
# the end-to-end runs on a virtual X screen, and its installed tree and
# .deb).
stage_build() { cmake --preset ci && cmake --build --preset ci --parallel "$jobs"; }
stage_test() { ctest --preset ci --parallel "$jobs"; }

# The Windows program: the 32-bit target (also put in build/windows-i686/Vorn
# with ROCK8.BMP, README.txt and LICENSE.txt, and zipped by cpack) and its
# 64-bit twin, cross-built with MinGW-w64; both executables checked
# (imports, icon, manifest) and the zip's contents; the C runtime's rand
# checked and the 64-bit program run under wine, which here has no 32-bit
# part, so the 32-bit one is only compiled and linked.
# The data tools are compiled for the build machine (g++, libpng-dev).
windows_packages=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64 libxml2-utils unzip
  g++ libpng-dev
  xvfb xdotool x11-apps netpbm
)

# wine without its recommends, so that no 32-bit part comes along.
ensure_wine() {
  vorn_ensure_packages --no-install-recommends wine wine64 &&
    vorn_ensure_packages "${windows_packages[@]}"
}

stage_windows() {
  ensure_wine || return 1
  cmake --preset windows-i686 && cmake --build --preset windows-i686 --parallel "$jobs" &&
    cmake --build --preset windows-folder &&
    cpack --config build/windows-i686/CPackConfig.cmake -B build/windows-i686 >/dev/null &&
    cmake --preset windows-x64 && cmake --build --preset windows-x64 --parallel "$jobs" ||
    return 1
  bash tests/e2e/wine_exe_check.sh build/windows-i686/Vorn/vorn.exe \
    build/windows-x64/bin/vorn.exe || return 1
  bash tests/e2e/windows_zip_check.sh build/windows-i686/vorn-*-windows-x86.zip \
    build/windows-i686/Vorn || return 1
  # The C runtime's rand (msvcrt.dll, as wine has it) against vorn's copy of
  # it, in a wine prefix of its own (no Mono or Gecko asked for).
  local prefix checked
  prefix=$(mktemp -d) || return 1
  WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" timeout 300 \
    wine build/windows-x64/bin/vorn_rand_check.exe msvcrt | tr -d '\r'
  checked=$?
  WINEPREFIX=$prefix timeout 20 wineserver -k >/dev/null 2>&1
  rm -rf "$prefix"
  [ "$checked" -eq 0 ] || return 1
  VORN_E2E_ARTIFACTS=build/windows-x64 timeout 900 bash tests/e2e/wine_test.sh \
    build/windows-x64/bin/vorn.exe
}

# ARM boards: the arm64 and armhf programs and packages, cross-built with
# Debian's cross compilers against the boards' multiarch libraries. The
# arm64 build's tests run under qemu as CMake's emulator (a cross build has
# no end-to-end scripts: they run programs directly, and real-time checks
# mean little under emulation); tests/e2e/arm_test.sh then compares both
# builds' frames with the native ones, checks the packages and runs the
# arm64 demo under qemu on Xvfb.
arm_packages=(
  g++-aarch64-linux-gnu g++-arm-linux-gnueabihf qemu-user-static
  libsdl2-dev:arm64 libgif-dev:arm64 libpng-dev:arm64 libgtest-dev:arm64
  libsdl2-dev:armhf libgif-dev:armhf libpng-dev:armhf
)

stage_arm() {
  vorn_ensure_packages "${test_packages[@]}" && vorn_ensure_architectures arm64 armhf &&
    vorn_ensure_packages --no-install-recommends "${arm_packages[@]}" || return 1
  cmake --preset ci >/dev/null &&
    cmake --build --preset ci --parallel "$jobs" --target vorn vorn-capture vorn_icon_pngs || return 1
  local arch
  for arch in arm64 armhf; do
    cmake --preset "$arch" >/dev/null && cmake --build --preset "$arch" --parallel "$jobs" &&
      cpack --config "build/$arch/CPackConfig.cmake" -B "build/$arch" >/dev/null || return 1
  done
  ctest --preset arm64 --parallel "$jobs" &&
    VORN_E2E_ARTIFACTS=build/arm64 timeout 600 bash tests/e2e/arm_test.sh build/ci build/arm64 build/armhf
}

# The end-to-end checks alone, to measure how reliably they pass: the Xvfb
# check, the desktop check, the scaling check and the wine check (or those
# named in VORN_E2E_CHECKS), each VORN_E2E_REPEAT times in a row. Only run by name:
# the test and windows stages already run each check once.
stage_e2e() {
  local runs=${VORN_E2E_REPEAT:-1} check summary=() failed=0
  if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
    echo "vorn: VORN_E2E_REPEAT must be a whole number of runs, not '$runs'" >&2
    return 2
  fi
  local checks
  read -ra checks <<<"${VORN_E2E_CHECKS:-xvfb desktop scaling wine}"
  local wine=no
  for check in "${checks[@]}"; do
    case $check in
      xvfb | desktop | scaling) ;;
      wine) wine=yes ;;
      *) echo "vorn: no end-to-end check named '$check' (xvfb, desktop, scaling, wine)" >&2; return 2 ;;
    esac
  done
  # Only what the chosen checks run is installed and built.
  vorn_ensure_packages "${test_packages[@]}" &&
    cmake --preset ci && cmake --build --preset ci --parallel "$jobs" --target vorn vorn_wm_close ||
    return 1
  if [ $wine = yes ]; then
    ensure_wine && cmake --preset windows-x64 && cmake --build --preset windows-x64 --parallel "$jobs" ||
      return 1
  fi
  for check in "${checks[@]}"; do
    case $check in
      xvfb) repeat_e2e xvfb "$runs" 300 tests/e2e/xvfb_test.sh build/ci/bin/vorn build/ci/bin/vorn_wm_close ;;
      desktop) repeat_e2e desktop "$runs" 300 tests/e2e/desktop_test.sh build/ci/bin/vorn ;;
      scaling) repeat_e2e scaling "$runs" 180 tests/e2e/scaling_test.sh build/ci/bin/vorn ;;
      wine) repeat_e2e wine "$runs" 900 tests/e2e/wine_test.sh build/windows-x64/bin/vorn.exe ;;
    esac
    summary+=("$check passed $passed of $runs")
    [ "$passed" -eq "$runs" ] || failed=1
  done
  echo "e2e: $(printf '%s; ' "${summary[@]}")"
  [ "$failed" -eq 0 ]
}

# repeat_e2e CHECK RUNS SECONDS SCRIPT ARGS...: runs the script RUNS times,
# each at most SECONDS, one line per run; sets passed. A failed run keeps
# its output and screenshots in build/e2e/CHECK-N/.
repeat_e2e() {
  local check=$1 runs=$2 seconds=$3 run start folder
  shift 3
  passed=0
  rm -rf "build/e2e/$check-"*
  for run in $(seq "$runs"); do
    folder=build/e2e/$check-$run
    mkdir -p "$folder"
    start=$SECONDS
    if VORN_E2E_ARTIFACTS=$folder timeout "$seconds" bash "$@" >"$folder/output.txt" 2>&1; then
      passed=$((passed + 1))
      echo "e2e $check run $run of $runs: passed in $((SECONDS - start)) s"
      grep -E '^note:' "$folder/output.txt" | sed 's/^/  /'
      rm -rf "$folder"
    else
      echo "e2e $check run $run of $runs: FAILED after $((SECONDS - start)) s (see $folder):"
      grep -E '^(FAIL|note):' "$folder/output.txt" | sed 's/^/  /'
    fi
  done
}

# Reliability: the whole suite built with clang under AddressSanitizer,
# LeakSanitizer and UndefinedBehaviorSanitizer; each fuzz target for a
# bounded time (VORN_FUZZ_SECONDS, default 60); the 300-frame soak run under
# valgrind's memcheck, on the ci build.
# Each builds what the test stage builds, so it needs what that installs too.
reliability_packages=("${test_packages[@]}" clang libclang-rt-14-dev valgrind)

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

# The demo in a browser: the site built with Debian's emscripten, its C
# library's rand checked under node, then the browser checks (tests/web) in headless Chromium, in Firefox ESR (both
# driven by puppeteer-core, installed from the lockfile) and in WebKitGTK
# (its MiniBrowser through WebKitWebDriver, driven by selenium-webdriver
# from the same lockfile, on a private Xvfb screen). The
# data tools are compiled for the build machine (g++, libpng-dev).
web_packages=(cmake ninja-build g++ libpng-dev chromium firefox-esr webkit2gtk-driver xvfb)

stage_web() {
  vorn_ensure_packages --no-install-recommends emscripten &&
    vorn_ensure_packages "${web_packages[@]}" || return 1
  if ! command -v npm >/dev/null 2>&1; then vorn_ensure_packages npm || return 1; fi
  cmake --preset web && cmake --build --preset web --parallel "$jobs" || return 1
  # The page's C library (musl, as Emscripten has it) against vorn's copy of its rand.
  node build/web/bin/vorn_rand_check.js musl || return 1
  npm ci --no-audit --no-fund --loglevel=error || return 1
  local browser start
  for browser in chromium firefox webkit; do
    start=$SECONDS
    VORN_BROWSER=$browser timeout 600 node --test --test-concurrency=1 tests/web/ || return 1
    echo "web: the browser checks passed in $browser in $((SECONDS - start)) s"
  done
}

# Further stages are added here and named in this list, in running order;
# a stage left out of it (e2e) runs only when named.
all_stages=(packages build test windows arm asan fuzz valgrind web)

stages=("${all_stages[@]}")
if [ $# -gt 0 ]; then stages=("$@"); fi
for stage in "${stages[@]}"; do
  if ! declare -F "stage_$stage" >/dev/null; then
    echo "vorn: no stage named '$stage' (stages: ${all_stages[*]}; by name only: e2e)" >&2
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
