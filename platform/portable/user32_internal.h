// What the window layer tells the rest of the portable platform: the
// software DirectDraw and the hosts, never the system's own code. None of
// these announce themselves as platform calls, so they are not logged and
// cannot be made to fail.
#pragma once

#include "win32_api.h"

// Called by SetCooperativeLevel: whether window is a live window.
bool WindowLayerIsWindow(HWND window);

// Log label of a window handle: "hwnd1", "null", or "unknown".
const char* WindowLayerLabel(HWND window);

// The program's visible top-level window (the one that opened the screen),
// or null when there is none or it has been destroyed.
HWND WindowLayerScreenWindow();

// Appends a message to the queue as PostMessageA does, for a host that
// delivers the user's requests (close) or a test's. False when the window
// is not live or the queue is full.
bool WindowLayerPost(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The window procedure of a live window, or null: DispatchMessageA's target.
WNDPROC WindowLayerProcedure(HWND window);

// The queue's side of the window layer, for the window side: forget every
// queued message, or only those for a window that is being destroyed.
void WindowQueueReset();
void WindowQueueForget(HWND window);

// Called by WindowLayerReset: the shown-cursor count back to its start.
void WindowCursorReset();
