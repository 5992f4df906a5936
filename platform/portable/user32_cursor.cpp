// The cursor and the icon: the shown-cursor count, and the one standard
// icon and arrow cursor that exist (the portable program carries no
// resources). Nothing is ever drawn with them.
#include "user32_cursor.h"

#include <cstdint>

#include "call_trace.h"

namespace {

int cursorCount = 0;
int applicationIcon;
int arrowCursor;

const std::uintptr_t kStandardResource = 32512;  // IDI_APPLICATION and IDC_ARROW

void* LoadStandard(const char* call, HINSTANCE instance, LPCSTR name, int* handle) {
  auto number = reinterpret_cast<std::uintptr_t>(name);
  if (PlatformCall(call, nullptr, TraceGiven("instance", instance),
                   TraceNumber("name", static_cast<std::int64_t>(number & 0xFFFF))))
    return nullptr;
  if (instance != nullptr || number != kStandardResource) return nullptr;
  return handle;
}

}  // namespace

int WINAPI ShowCursor(BOOL show) {
  if (PlatformCall("ShowCursor", nullptr, TraceNumber("show", show))) return cursorCount;
  cursorCount += show ? 1 : -1;
  return cursorCount;
}

void CursorReset() { cursorCount = 0; }

// Called by the program's start-up for its window class.
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR iconName) {
  return static_cast<HICON>(LoadStandard("LoadIconA", instance, iconName, &applicationIcon));
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR cursorName) {
  return static_cast<HCURSOR>(LoadStandard("LoadCursorA", instance, cursorName, &arrowCursor));
}
