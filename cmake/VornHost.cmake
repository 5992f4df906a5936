# vorn_use_host(target host): the host a program of the system's code runs
# on, "sdl" for the demo or "headless" for tests and tools. The portable
# platform links the named host after itself. The demo gets the SDL start-up
# (main, which calls WinMain) compiled in; the others get the headless
# harness, which runs WinMain for them. On Windows the real platform needs
# no host and this does nothing.
function(vorn_use_host target host)
  if(NOT VORN_PORTABLE)
    return()
  endif()
  set_property(TARGET ${target} PROPERTY VORN_HOST ${host})
  if(host STREQUAL "sdl")
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform/sdl/sdl_main.cpp)
  else()
    target_link_libraries(${target} PRIVATE vorn_headless)
  endif()
endfunction()
