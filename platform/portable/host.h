// What the portable window layer and software DirectDraw need from the
// outside world. Exactly one host is linked into each program: the SDL host
// (platform/sdl) into the demo, the headless host (platform/headless) into
// tests and tools. Nothing in the system's own code calls these.
#pragma once

#include <cstdint>

#include "win32_api.h"

// Called by CreateWindowExA for the program's visible top-level window.
// Returns false, after HostDebugText has said why, when no screen can be had.
bool HostOpenWindow(const char* title, int width, int height);

// Called by SetDisplayMode; false when the mode cannot be had.
bool HostSetDisplayMode(int width, int height, int bitsPerPixel);

// Called by RestoreDisplayMode and when the display object ends.
void HostRestoreDisplayMode();

// Called by Flip with the new front buffer: rows of 8-bit palette indices,
// expanded through the palette attached to the primary surface at this moment.
void HostPresent(const std::uint8_t* pixels, int pitch, int width, int height,
                 const PALETTEENTRY* palette);

// Called by PeekMessageA before it looks at the queue. Returns true when the
// user asked to close the window (the window layer then posts WM_CLOSE).
bool HostPumpEvents();

// Called by GetAsyncKeyState: whether the virtual key is held right now.
bool HostKeyHeld(int virtualKey);

// Called by Sleep.
void HostSleep(DWORD milliseconds);

// Called by GetSystemTimeAsFileTime: calendar time in seconds since 1970.
std::int64_t HostCalendarSeconds();

// Called by OpenFile for bare names: the directory the program was loaded
// from, without a trailing separator, or "" when unknown.
const char* HostProgramDirectory();

// Called when a surface is created: bytes per row for an 8-bit surface of
// the given width (at least the width).
int HostSurfacePitch(int width);

// Whether the program holds the screen. While false, lost surfaces cannot be
// restored (DDERR_WRONGMODE), as when the user has switched away.
bool HostDisplayActive();

// Called by OutputDebugStringA: a diagnostic line the program wants shown.
void HostDebugText(const char* text);
