// The windows the program has created, by handle, and which of them is the
// program's screen window (its visible top-level window, the one that
// opened the screen). Handles are small numbers, as in Win32: never
// dereferenced, decoded by arithmetic, so a stale or made-up handle is
// recognised safely.
#pragma once

#include <cstdint>

#include "call_trace.h"
#include "win32_api.h"

enum class WindowState : std::uint8_t { Unused, Live, Destroying, Ended };

struct WindowRecord {
  WindowState state;
  WNDPROC procedure;
  int width;
  int height;
};

// A Live record and its handle, or null when the table is full.
WindowRecord* WindowNew(HWND* handle);

// The record behind a handle in any state, or null when it is not ours.
WindowRecord* WindowFind(HWND window);

// The record of a window that exists (live, or still receiving
// WM_DESTROY), or null.
WindowRecord* WindowFindLive(HWND window);
inline bool WindowIsLive(HWND window) { return WindowFindLive(window) != nullptr; }

// A window handle as a trace argument: "hwnd1", "null" or "unknown".
TraceArg WindowArg(const char* field, HWND window);

// The program's screen window while it exists, else null; whether one was
// ever opened (the screen is opened once per process).
HWND WindowScreen();
bool WindowScreenOpened();
void WindowSetScreen(HWND window);

// Forgets every window, as a new process.
void WindowTableReset();
