// GetAsyncKeyState, from the keys the host has reported.
#include <cstdint>

#include "call_trace.h"
#include "host_state.h"

// Called ~3,000 times a frame by the star and rock steps: one test when
// nothing is traced.
SHORT WINAPI GetAsyncKeyState(int virtualKey) {
  if (TraceActive() &&
      PlatformCall("GetAsyncKeyState", nullptr, TraceFlags("key", static_cast<DWORD>(virtualKey))))
    return 0;
  return HostStateKeyHeld(virtualKey) ? static_cast<SHORT>(INT16_MIN) : 0;
}
