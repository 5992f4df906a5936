# 64-bit ARM boards and laptops (Raspberry Pi 3 and later on a 64-bit
# system, ARM Chromebooks): Debian's arm64.
#   cmake -S . -B build/arm64 -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64-linux-gnu.cmake
set(VORN_CROSS_TRIPLE aarch64-linux-gnu)
set(VORN_DEBIAN_ARCH arm64)
set(VORN_QEMU qemu-aarch64-static qemu-aarch64)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
