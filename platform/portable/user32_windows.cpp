// Windows: creation (which opens the screen for the program's visible
// window), destruction, the default window procedure, painting, and whether
// the program's window is in front.
#include "host.h"
#include "host_state.h"
#include "message_queue.h"
#include "window_classes.h"
#include "window_table.h"

namespace {

// The screen is opened for the first visible top-level window; the host's
// part can be made to fail through the trace like any platform call.
bool OpenScreen(const char* title, int width, int height) {
  if (PlatformCall("HostOpenScreen", nullptr, TraceText("title", title),
                   TraceNumber("width", width), TraceNumber("height", height)))
    return false;
  return HostOpenScreen(title, width, height);
}

}  // namespace

// Called by the program's start-up. WM_CREATE reaches the window procedure
// before this returns; a procedure answering -1 ends the window again.
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style,
                            int x, int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
  if (PlatformCall("CreateWindowExA", nullptr, TraceFlags("exStyle", exStyle),
                   WindowClassArg("className", className), TraceText("windowName", windowName),
                   TraceFlags("style", style), TraceNumber("x", x), TraceNumber("y", y),
                   TraceNumber("width", width), TraceNumber("height", height),
                   WindowArg("parent", parent), TraceGiven("menu", menu),
                   TraceGiven("instance", instance), TraceGiven("param", param)))
    return nullptr;
  WNDPROC procedure = WindowClassProcedure(className);
  if (procedure == nullptr) return nullptr;
  if (parent != nullptr && !WindowIsLive(parent)) return nullptr;
  bool opensScreen = (style & WS_VISIBLE) && parent == nullptr && !WindowScreenOpened();
  HWND window = nullptr;
  WindowRecord* record = WindowNew(&window);
  if (record == nullptr) return nullptr;
  if (opensScreen && !OpenScreen(windowName != nullptr ? windowName : "", width, height)) {
    record->state = WindowState::Ended;
    return nullptr;
  }
  record->procedure = procedure;
  record->width = width;
  record->height = height;
  if (opensScreen) WindowSetScreen(window);
  if (procedure(window, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(window);
    return nullptr;
  }
  return window;
}

// WM_DESTROY reaches the window procedure before this returns; the window's
// queued messages are dropped with it.
BOOL WINAPI DestroyWindow(HWND window) {
  if (PlatformCall("DestroyWindow", nullptr, WindowArg("window", window))) return FALSE;
  WindowRecord* record = WindowFind(window);
  if (record == nullptr || record->state != WindowState::Live) return FALSE;
  record->state = WindowState::Destroying;
  record->procedure(window, WM_DESTROY, 0, 0);
  record->state = WindowState::Ended;
  MessageQueueForget(window);
  return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (PlatformCall("DefWindowProcA", nullptr, WindowArg("window", window),
                   TraceFlags("message", message),
                   TraceNumber("wParam", static_cast<std::int64_t>(wParam)),
                   TraceNumber("lParam", lParam)))
    return 0;
  if (message == WM_CLOSE) DestroyWindow(window);
  return 0;
}

// Nothing is drawn through the device context: the display shows only what
// the flip chain presents.
HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint) {
  static int paintContext;
  if (PlatformCall("BeginPaint", nullptr, WindowArg("window", window))) return nullptr;
  WindowRecord* record = WindowFindLive(window);
  if (record == nullptr || paint == nullptr) return nullptr;
  *paint = PAINTSTRUCT();
  paint->hdc = reinterpret_cast<HDC>(&paintContext);
  paint->rcPaint = {0, 0, record->width, record->height};
  return paint->hdc;
}

BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint) {
  if (PlatformCall("EndPaint", nullptr, WindowArg("window", window))) return FALSE;
  return paint != nullptr && WindowIsLive(window);
}

// The program's screen window is in front, and not minimized, exactly while
// the program holds the screen.
BOOL WINAPI IsIconic(HWND window) {
  if (PlatformCall("IsIconic", nullptr, WindowArg("window", window))) return FALSE;
  return window != nullptr && window == WindowScreen() && !HostStateDisplayHeld();
}

HWND WINAPI GetForegroundWindow() {
  if (PlatformCall("GetForegroundWindow", nullptr)) return nullptr;
  return HostStateDisplayHeld() ? WindowScreen() : nullptr;
}
