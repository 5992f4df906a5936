# vorn_use_host(target host): links a program of the system's code to a host,
# "sdl" for the demo or "headless" for tests and tools. On Windows the real
# platform needs no host and this does nothing.
function(vorn_use_host target host)
  if(VORN_PORTABLE)
    target_link_libraries(${target} PRIVATE vorn_host_${host} vorn_platform_portable)
  endif()
endfunction()
