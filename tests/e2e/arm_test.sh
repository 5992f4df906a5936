#!/usr/bin/env bash
# The ARM builds under qemu's user-mode emulation, called directly with
# Debian's multiarch loader: each build's capture tool writes the native
# build's frames; each .deb holds programs of its own architecture and the
# native tree; the arm64 demo shows its scene on Xvfb and quits on Escape;
# the armhf demo, its clock past 2^31 s, records that second as its seed.
#   arm_test.sh native-build arm64-build armhf-build   (each ARM build with
#   its vorn_*_ARCH.deb from cpack)
native=$1 arm64=$2 armhf=$3
rock_bmp=$arm64/bin/ROCK8.BMP
# shellcheck source=e2e_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
require_tools qemu-aarch64-static qemu-arm-static arm-linux-gnueabihf-gcc cmake dpkg-deb dpkg-query readelf diff cmp
[ $# -eq 3 ] || die "usage: arm_test.sh native-build arm64-build armhf-build"
read_scene_colours
echo "note: the end-to-end scripts that time a real display run on the native build only"

# capture NAME COMMAND...: 60 frames into $work/NAME/ and $work/NAME.gif, for
# every key (Space and Escape end the run, so last) and a seed past 2^31,
# which a 32-bit time_t or long on its way would spoil.
capture() {
  "${@:2}" --seed 3000000000 --frames 60 --out "$work/$1" --gif "$work/$1.gif" \
    --keys left@4-14,right@10-22,up@26-34,down@30-46,left@44-50,space@57-58,escape@59 \
    >/dev/null 2>"$work/$1.err"
}

# check_frames ARCH EMULATOR BUILD
check_frames() {
  if ! capture "$1" "$2" "$3/bin/vorn-capture"; then
    fail "$1 vorn-capture under $2 failed: $(cat "$work/$1.err")"
  elif diff -r "$work/native" "$work/$1" >"$work/$1.diff" && cmp -s "$work/native.gif" "$work/$1.gif"; then
    pass "$1 vorn-capture under $2: 60 frames and the GIF equal the native build's"
  else
    fail "$1 vorn-capture under $2 draws other frames: $(head -n 3 "$work/$1.diff")"
  fi
}

# check_package ARCH BUILD CLASS MACHINE (as readelf names them)
check_package() {
  local arch=$1 root=$work/$1-root deb bad='' program missing
  deb=$(echo "$2"/vorn_*_"$arch".deb)
  dpkg-deb -x "$deb" "$root" 2>/dev/null || { fail "no package vorn_*_$arch.deb in $2"; return; }
  [ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || bad="$bad; Architecture $(dpkg-deb -f "$deb" Architecture)"
  for program in vorn vorn-capture; do
    [ "$(readelf -h "$root/usr/bin/$program" | awk -F': *' '/^ *(Class|Machine):/ { print $2 }' |
      paste -sd ' ')" = "$3 $4" ] || bad="$bad; bin/$program is not $3 $4"
  done
  diff -r -x bin "$work/native-tree" "$root/usr" >"$work/$arch.diff" || bad="$bad; $(head -n 3 "$work/$arch.diff")"
  dpkg-deb -f "$deb" Depends | grep -qE 'libsdl2-2\.0-0( |,|$)' || bad="$bad; SDL2 is not among its dependencies"
  missing=$(deb_depends_missing "$deb")
  [ -z "$missing" ] || bad="$bad; depends on what is not installed here as $arch: $missing"
  if [ -z "$bad" ]; then
    pass "$(basename "$deb"): $3 $4 programs, the native tree, depends on $(dpkg-deb -f "$deb" Depends | sed 's/ ([^)]*)//g')"
  else
    fail "$(basename "$deb"):${bad#;}"
  fi
}

# The screen is the picture: 640 x 480, filled full screen.
grab_picture() { grab_screen "$1" 0 0 640 480; }

# The waits of the shared checks are long enough for the slower frames
# under emulation.
check_emulated_demo() {
  start_xvfb 640 480
  DISPLAY=$display SDL_VIDEODRIVER=x11 qemu-aarch64-static "$arm64/bin/vorn" >/dev/null 2>"$work/vorn.err" &
  vorn_pid=$!
  local window
  window=$(find_window '^Vorn Game Console$' 120 --pid "$vorn_pid") ||
    { fail "arm64 vorn under qemu: no window within 120 s: $(cat "$work/vorn.err")"; return; }
  key windowfocus "$window"
  check_scene_keys arm64_ && check_key_quits Escape "arm64 vorn under qemu: Escape"
}

# The armhf demo takes its seed from glibc's 64-bit time(): it calls
# __time64, and with a clock past 2^31 seconds (a stand-in for time(),
# preloaded, that gives 2065 as the 64-bit and the 32-bit call each can)
# the run it records holds that second. Run after check_emulated_demo, on
# its screen.
check_late_clock() {
  local seed window
  if readelf --dyn-syms -W "$armhf/bin/vorn" | grep -qE ' __time64(@|$)'; then
    pass "armhf vorn calls glibc's 64-bit time functions (__time64)"
  else
    fail "armhf vorn does not call __time64: its time_t is 32 bits"
  fi
  printf '%s\n' 'long long __time64(long long *t) { if (t) *t = 3000000000LL; return 3000000000LL; }' \
    'long time(long *t) { if (t) *t = (long)3000000000LL; return (long)3000000000LL; }' >"$work/late_clock.c"
  arm-linux-gnueabihf-gcc -shared -fPIC -o "$work/late_clock.so" "$work/late_clock.c" ||
    { fail "the stand-in clock could not be built for armhf"; return; }
  DISPLAY=$display SDL_VIDEODRIVER=x11 LD_PRELOAD=$work/late_clock.so qemu-arm-static "$armhf/bin/vorn" \
    --record "$work/late.vornrun" >/dev/null 2>"$work/late.err" &
  vorn_pid=$!
  window=$(find_window '^Vorn Game Console$' 120 --pid "$vorn_pid") ||
    { fail "armhf vorn under qemu: no window within 120 s: $(cat "$work/late.err")"; stop_vorn; return; }
  key windowfocus "$window"
  check_key_quits Escape "armhf vorn under qemu: Escape"
  seed=$(sed -n 's/^seed //p' "$work/late.vornrun" 2>/dev/null)
  if [ "$exit_code" -eq 0 ] && [ "$seed" = 3000000000 ]; then
    pass "armhf vorn under qemu, its clock past 2^31 s: the recorded run's seed is 3000000000"
  else
    fail "armhf vorn under qemu, its clock at 3000000000 s: exit code $exit_code, seed '$seed': $(cat "$work/late.err")"
  fi
}

capture native "$native/bin/vorn-capture" || die "native vorn-capture failed: $(cat "$work/native.err")"
check_frames arm64 qemu-aarch64-static "$arm64"
check_frames armhf qemu-arm-static "$armhf"
cmake --install "$native" --prefix "$work/native-tree" >"$work/install.log" 2>&1 || die "cmake --install $native failed"
check_package arm64 "$arm64" ELF64 AArch64
check_package armhf "$armhf" ELF32 ARM
check_emulated_demo
check_late_clock
finish
