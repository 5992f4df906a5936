# Shared by the Debian cross toolchains for ARM boards, which set
# VORN_CROSS_TRIPLE, VORN_DEBIAN_ARCH, VORN_QEMU and CMAKE_SYSTEM_PROCESSOR
# first. The compilers are Debian's g++-<triple> packages; the libraries
# are the target's multiarch packages (libsdl2-dev:<arch> and the like) in
# /usr/lib/<triple>, beside the build machine's own: with the library
# architecture set, CMake looks for libraries there and not in the build
# machine's folder.
set(CMAKE_SYSTEM_NAME Linux)

find_program(VORN_CROSS_CC NAMES ${VORN_CROSS_TRIPLE}-gcc REQUIRED)
find_program(VORN_CROSS_CXX NAMES ${VORN_CROSS_TRIPLE}-g++ REQUIRED)
set(CMAKE_C_COMPILER ${VORN_CROSS_CC})
set(CMAKE_CXX_COMPILER ${VORN_CROSS_CXX})
set(CMAKE_LIBRARY_ARCHITECTURE ${VORN_CROSS_TRIPLE})

# Programs of the target run under qemu's user-mode emulation, called
# directly (no binfmt_misc registration): the data tools at build time, the
# tests under ctest. The emulated programs load the target's libraries
# through Debian's multiarch loader, which libc6:<arch> installs.
find_program(VORN_CROSS_EMULATOR NAMES ${VORN_QEMU} REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VORN_CROSS_EMULATOR})
