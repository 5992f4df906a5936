# The 64-bit twin of the Windows program, from the same sources: the build
# a 64-bit-only wine can run.
set(VORN_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
