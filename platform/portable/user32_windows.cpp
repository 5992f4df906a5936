// Window classes and windows: registration, creation (which opens the
// screen for the program's visible window), destruction, the default window
// procedure and painting.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "call_trace.h"
#include "host.h"
#include "user32_internal.h"
#include "window_layer.h"

namespace {

enum { MAX_CLASSES = 32, MAX_WINDOWS = 32, FIRST_ATOM = 0xC000 };

struct WindowClassRecord {
  bool used;
  char name[256];
  WNDPROC procedure;
};

enum class WindowState : std::uint8_t { Unused, Live, Destroying, Ended };

struct WindowRecord {
  WindowState state;
  char label[16];
  WNDPROC procedure;
  int width;
  int height;
};

WindowClassRecord classTable[MAX_CLASSES];
WindowRecord windowTable[MAX_WINDOWS];
int windowsUsed = 0;
bool screenOpened = false;
HWND screenWindow = nullptr;

// Handles are small numbers, as in Win32: never dereferenced, decoded by
// arithmetic, so a stale or made-up handle is recognised safely.
const std::uintptr_t kHandleBase = 0x10000;

HWND WindowHandle(int slot) {
  return reinterpret_cast<HWND>(kHandleBase + (static_cast<std::uintptr_t>(slot) + 1) * 4);
}

WindowRecord* WindowFind(HWND window) {
  auto value = reinterpret_cast<std::uintptr_t>(window);
  if (value <= kHandleBase || (value - kHandleBase) % 4 != 0) return nullptr;
  std::uintptr_t slot = (value - kHandleBase) / 4 - 1;
  return slot < static_cast<std::uintptr_t>(windowsUsed) ? &windowTable[slot] : nullptr;
}

WindowRecord* WindowFindLive(HWND window) {
  WindowRecord* record = WindowFind(window);
  bool live = record != nullptr &&
              (record->state == WindowState::Live || record->state == WindowState::Destroying);
  return live ? record : nullptr;
}

// A class name is a string or, below 0x10000, an atom from RegisterClassA.
bool IsAtom(LPCSTR name) { return reinterpret_cast<std::uintptr_t>(name) < 0x10000; }

int ClassFind(LPCSTR name) {
  for (int i = 0; i < MAX_CLASSES; ++i) {
    if (!classTable[i].used) continue;
    if (IsAtom(name) ? reinterpret_cast<std::uintptr_t>(name) == FIRST_ATOM + std::uintptr_t(i)
                     : strcasecmp(classTable[i].name, name) == 0)
      return i;
  }
  return -1;
}

void ClassNameText(LPCSTR name, char* text, int size) {
  if (!TraceLogging()) return;
  if (IsAtom(name))
    std::snprintf(text, size, "#%u", static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(name)));
  else
    std::snprintf(text, size, "\"%s\"", name);
}

}  // namespace

// Called by the program's start-up; returns the class atom, or 0.
ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
  char name[80] = "";
  if (windowClass != nullptr) ClassNameText(windowClass->lpszClassName, name, sizeof name);
  if (PlatformCall("RegisterClassA", nullptr, "style=0x%X, class=%s, proc=%s",
                   windowClass ? windowClass->style : 0u, windowClass ? name : "null",
                   windowClass && windowClass->lpfnWndProc ? "set" : "null"))
    return 0;
  if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr ||
      windowClass->lpszClassName == nullptr || IsAtom(windowClass->lpszClassName))
    return 0;
  std::size_t length = std::strlen(windowClass->lpszClassName);
  if (length == 0 || length >= sizeof classTable[0].name) return 0;
  if (ClassFind(windowClass->lpszClassName) >= 0) return 0;
  for (int i = 0; i < MAX_CLASSES; ++i) {
    if (classTable[i].used) continue;
    classTable[i].used = true;
    std::memcpy(classTable[i].name, windowClass->lpszClassName, length + 1);
    classTable[i].procedure = windowClass->lpfnWndProc;
    return static_cast<ATOM>(FIRST_ATOM + i);
  }
  return 0;
}

// Called by the program's start-up. WM_CREATE reaches the window procedure
// before this returns; a procedure answering -1 ends the window again.
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style,
                            int x, int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
  char name[80] = "";
  ClassNameText(className, name, sizeof name);
  if (PlatformCall("CreateWindowExA", nullptr,
                   "0x%X, %s, \"%s\", 0x%X, %d, %d, %d, %d, %s, menu=%s, instance=%s, param=%s",
                   static_cast<unsigned>(exStyle), className ? name : "null",
                   windowName ? windowName : "", static_cast<unsigned>(style), x, y, width, height,
                   WindowLayerLabel(parent), menu ? "set" : "null", instance ? "set" : "null",
                   param ? "set" : "null"))
    return nullptr;
  int classIndex = className != nullptr ? ClassFind(className) : -1;
  if (classIndex < 0 || windowsUsed == MAX_WINDOWS) return nullptr;
  if (parent != nullptr && WindowFindLive(parent) == nullptr) return nullptr;
  bool opensScreen = (style & WS_VISIBLE) && parent == nullptr && !screenOpened;
  if (opensScreen && !HostOpenWindow(windowName ? windowName : "", width, height)) return nullptr;

  int slot = windowsUsed++;
  WindowRecord& record = windowTable[slot];
  record.state = WindowState::Live;
  std::snprintf(record.label, sizeof record.label, "hwnd%d", slot + 1);
  record.procedure = classTable[classIndex].procedure;
  record.width = width;
  record.height = height;
  HWND window = WindowHandle(slot);
  if (opensScreen) {
    screenOpened = true;
    screenWindow = window;
  }
  if (record.procedure(window, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(window);
    return nullptr;
  }
  return window;
}

// WM_DESTROY reaches the window procedure before this returns; the window's
// queued messages are dropped with it.
BOOL WINAPI DestroyWindow(HWND window) {
  if (PlatformCall("DestroyWindow", nullptr, "%s", WindowLayerLabel(window))) return FALSE;
  WindowRecord* record = WindowFind(window);
  if (record == nullptr || record->state != WindowState::Live) return FALSE;
  record->state = WindowState::Destroying;
  record->procedure(window, WM_DESTROY, 0, 0);
  record->state = WindowState::Ended;
  WindowQueueForget(window);
  return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (PlatformCall("DefWindowProcA", nullptr, "%s, 0x%X, 0x%lX, 0x%lX", WindowLayerLabel(window),
                   message, static_cast<unsigned long>(wParam), static_cast<unsigned long>(lParam)))
    return 0;
  if (message == WM_CLOSE) DestroyWindow(window);
  return 0;
}

// Nothing is drawn through the device context: the display shows only what
// the flip chain presents.
HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint) {
  static int paintContext;
  if (PlatformCall("BeginPaint", nullptr, "%s", WindowLayerLabel(window))) return nullptr;
  WindowRecord* record = WindowFindLive(window);
  if (record == nullptr || paint == nullptr) return nullptr;
  *paint = PAINTSTRUCT();
  paint->hdc = reinterpret_cast<HDC>(&paintContext);
  paint->rcPaint = {0, 0, record->width, record->height};
  return paint->hdc;
}

BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint) {
  if (PlatformCall("EndPaint", nullptr, "%s", WindowLayerLabel(window))) return FALSE;
  return paint != nullptr && WindowFindLive(window) != nullptr;
}

// The program's screen window is in front, and not minimized, exactly while
// the host says the program holds the screen.
BOOL WINAPI IsIconic(HWND window) {
  if (PlatformCall("IsIconic", nullptr, "%s", WindowLayerLabel(window))) return FALSE;
  return window != nullptr && window == WindowLayerScreenWindow() && !HostDisplayActive();
}

HWND WINAPI GetForegroundWindow() {
  if (PlatformCall("GetForegroundWindow", nullptr, "%s", "")) return nullptr;
  return HostDisplayActive() ? WindowLayerScreenWindow() : nullptr;
}

bool WindowLayerIsWindow(HWND window) { return WindowFindLive(window) != nullptr; }

const char* WindowLayerLabel(HWND window) {
  if (window == nullptr) return "null";
  WindowRecord* record = WindowFind(window);
  return record != nullptr ? record->label : "unknown";
}

HWND WindowLayerScreenWindow() { return WindowLayerIsWindow(screenWindow) ? screenWindow : nullptr; }

WNDPROC WindowLayerProcedure(HWND window) {
  WindowRecord* record = WindowFindLive(window);
  return record != nullptr ? record->procedure : nullptr;
}

// Called by hosts and tests between runs.
void WindowLayerReset() {
  for (WindowClassRecord& record : classTable) record = WindowClassRecord();
  for (WindowRecord& record : windowTable) record = WindowRecord();
  windowsUsed = 0;
  screenOpened = false;
  screenWindow = nullptr;
  WindowQueueReset();
  WindowCursorReset();
}
