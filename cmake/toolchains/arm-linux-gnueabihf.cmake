# 32-bit ARM boards (ARMv7 with hardware floating point; the Raspberry Pi
# 2 and any Pi on a 32-bit system): Debian's armhf.
#   cmake -S . -B build/armhf -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/arm-linux-gnueabihf.cmake
set(VORN_CROSS_TRIPLE arm-linux-gnueabihf)
set(VORN_DEBIAN_ARCH armhf)
set(VORN_QEMU qemu-arm-static qemu-arm)
set(CMAKE_SYSTEM_PROCESSOR armv7l)
# GCC notes on every std::vector iterator passed by value that GCC 7.1
# changed how it is passed; all of the program is built by one compiler.
set(CMAKE_CXX_FLAGS_INIT -Wno-psabi)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
