// Lets tests make the system's memory allocations fail: programs on the
// headless host are linked with --wrap=malloc, so the system's own calls
// of malloc come here. Allocations are never logged (they would drown the
// log) and never count towards the watchdog; a "malloc" fault makes one
// fail, or every one.
#if defined(__linux__)

#include <cstddef>

#include "portable/call_trace.h"

extern "C" void* __real_malloc(std::size_t size);

extern "C" void* __wrap_malloc(std::size_t size) {
  if (TraceFaultFires("malloc", nullptr)) return nullptr;
  return __real_malloc(size);
}

#endif
