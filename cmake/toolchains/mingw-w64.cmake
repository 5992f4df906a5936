# Shared by the two MinGW-w64 toolchain files, which set VORN_MINGW_TRIPLE
# and CMAKE_SYSTEM_PROCESSOR first. The compilers are Debian's
# g++-mingw-w64-* packages; the "-win32" flavour (native Windows threads) is
# taken when present, so nothing of winpthread is needed at run time.
set(CMAKE_SYSTEM_NAME Windows)

find_program(VORN_MINGW_CC NAMES ${VORN_MINGW_TRIPLE}-gcc-win32 ${VORN_MINGW_TRIPLE}-gcc REQUIRED)
find_program(VORN_MINGW_CXX NAMES ${VORN_MINGW_TRIPLE}-g++-win32 ${VORN_MINGW_TRIPLE}-g++ REQUIRED)
find_program(VORN_MINGW_RC NAMES ${VORN_MINGW_TRIPLE}-windres REQUIRED)
set(CMAKE_C_COMPILER ${VORN_MINGW_CC})
set(CMAKE_CXX_COMPILER ${VORN_MINGW_CXX})
set(CMAKE_RC_COMPILER ${VORN_MINGW_RC})

# Libraries and headers from the cross sysroot only; programs (the host
# compiler that builds the data tools) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${VORN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
