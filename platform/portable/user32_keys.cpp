// GetAsyncKeyState, from the keys the host has reported.
#include <cstdint>

#include "call_trace.h"
#include "host_state.h"

namespace {

SHORT KeyState(int virtualKey) {
  return HostStateKeyHeld(virtualKey) ? static_cast<SHORT>(INT16_MIN) : 0;
}

// Out of the way of the untraced call, which then needs no stack frame.
__attribute__((noinline)) SHORT TracedKeyState(int virtualKey) {
  if (PlatformCall("GetAsyncKeyState", nullptr, TraceFlags("key", static_cast<DWORD>(virtualKey))))
    return 0;
  return KeyState(virtualKey);
}

}  // namespace

// Called ~3,000 times a frame by the star and rock steps: one test when
// nothing is traced.
SHORT WINAPI GetAsyncKeyState(int virtualKey) {
  return TraceActive() ? TracedKeyState(virtualKey) : KeyState(virtualKey);
}
