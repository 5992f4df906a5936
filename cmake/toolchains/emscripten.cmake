# The browser build: WebAssembly with Emscripten, as Debian packages it
# (the `emscripten` package; its system libraries come prebuilt).
#   cmake --preset web        or
#   cmake -S . -B build/web -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/emscripten.cmake
#
# Emscripten's own toolchain file does the work. Two things are set first:
# - no emulator: the data tools (ROCK8.BMP, the icon) are then compiled with
#   the build machine's compiler and run natively (tools/CMakeLists.txt),
#   rather than run as WebAssembly under node, where they could not write
#   the real files;
# - node finds Debian's JavaScript modules: the linker's optimizer needs
#   `acorn`, which Debian installs under /usr/share/nodejs.
set(CMAKE_CROSSCOMPILING_EMULATOR "" CACHE FILEPATH "No emulator: build-time tools run natively")

find_file(VORN_EMSCRIPTEN_TOOLCHAIN Emscripten.cmake
  PATHS $ENV{EMSCRIPTEN} /usr/share/emscripten /usr/lib/emscripten
  PATH_SUFFIXES cmake/Modules/Platform
  NO_DEFAULT_PATH)
if(NOT VORN_EMSCRIPTEN_TOOLCHAIN)
  message(FATAL_ERROR "Emscripten's CMake toolchain was not found: install Debian's `emscripten` "
                      "package, or set EMSCRIPTEN to the folder that holds emcc.py")
endif()
include(${VORN_EMSCRIPTEN_TOOLCHAIN})

# WebAssembly's 128-bit vectors for the keyed blits' vector steps: every
# browser of the last years runs them (Chrome 91, Firefox 89, Safari 16.4).
set(CMAKE_C_FLAGS_INIT "-msimd128 -mbulk-memory")
set(CMAKE_CXX_FLAGS_INIT "-msimd128 -mbulk-memory")

set(VORN_NODE_PATH "/usr/share/nodejs" CACHE STRING "Where node finds the linker optimizer's modules")
set(CMAKE_C_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=${VORN_NODE_PATH})
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=${VORN_NODE_PATH})
