# vorn_use_host(target host): the host a program of the system's code runs
# on, "sdl" for the demo or "headless" for tests and tools; in a browser
# build (Emscripten) the demo's "sdl" is the web host. Each host brings
# two libraries: vorn_host_<host>, the host functions, which the portable
# platform links after itself; and vorn_<host>_start, what starts the
# program on it (the SDL or web start-up's main; the headless harness). On
# Windows the real platform needs no host and this does nothing.
function(vorn_use_host target host)
  if(NOT VORN_PORTABLE)
    return()
  endif()
  if(host STREQUAL "sdl" AND EMSCRIPTEN)
    set(host web)
  endif()
  set_property(TARGET ${target} PROPERTY VORN_HOST ${host})
  target_link_libraries(${target} PRIVATE vorn_${host}_start)
endfunction()
