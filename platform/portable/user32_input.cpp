// Keys, the cursor count, and the stock icon, cursor and brush handles.
#include <cstdint>

#include "call_trace.h"
#include "host.h"
#include "user32_internal.h"

namespace {

int cursorCount = 0;

// Stable handles for the system's stock objects; nothing is drawn with them.
struct StockHandles {
  int applicationIcon;
  int arrowCursor;
  int blackBrush;
} stock;

const std::uintptr_t kStandardResource = 32512;  // IDI_APPLICATION and IDC_ARROW

std::uintptr_t ResourceNumber(LPCSTR name) { return reinterpret_cast<std::uintptr_t>(name); }

// Only the system's own standard icon and cursor exist: the portable
// program carries no resources.
void* LoadStandard(const char* call, HINSTANCE instance, LPCSTR name, int* handle) {
  if (PlatformCall(call, nullptr, "instance=%s, %u", instance ? "set" : "null",
                   static_cast<unsigned>(ResourceNumber(name) & 0xFFFF)))
    return nullptr;
  if (instance != nullptr || ResourceNumber(name) != kStandardResource) return nullptr;
  return handle;
}

}  // namespace

// Called ~3,000 times a frame by the star and rock steps: one test when
// nothing is traced, then the host's held-key table.
SHORT WINAPI GetAsyncKeyState(int virtualKey) {
  if (TraceActive() &&
      PlatformCall("GetAsyncKeyState", nullptr, "0x%X", static_cast<unsigned>(virtualKey)))
    return 0;
  if (virtualKey < 0 || virtualKey > 255) return 0;
  return HostKeyHeld(virtualKey) ? static_cast<SHORT>(INT16_MIN) : 0;
}

int WINAPI ShowCursor(BOOL show) {
  if (PlatformCall("ShowCursor", nullptr, "%d", show)) return cursorCount;
  cursorCount += show ? 1 : -1;
  return cursorCount;
}

void WindowCursorReset() { cursorCount = 0; }

// Called by the program's start-up for its window class.
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR iconName) {
  return static_cast<HICON>(LoadStandard("LoadIconA", instance, iconName, &stock.applicationIcon));
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR cursorName) {
  return static_cast<HCURSOR>(LoadStandard("LoadCursorA", instance, cursorName, &stock.arrowCursor));
}

HGDIOBJ WINAPI GetStockObject(int object) {
  if (PlatformCall("GetStockObject", nullptr, "%d", object)) return nullptr;
  return object == BLACK_BRUSH ? static_cast<HGDIOBJ>(&stock.blackBrush) : nullptr;
}
