// The whole contract between a host and the portable platform above it.
//
// A host is where the outside world comes in: a screen (an SDL window, a
// browser canvas, a list of frames in a test), the user's keys and
// requests, a clock. The portable platform (the window layer and the
// software DirectDraw in this folder) calls the functions below; a host
// implements every one of them and nothing else, and calls nothing of the
// platform back. Exactly one host is linked into each program.
//
// A host only reports. Whatever happens outside (a key, a close request,
// the screen taken away) becomes a HostEvent value that the host keeps, in
// order, until the platform next calls HostPumpEvents; the platform decides
// what each means to the program. A host presents what it is given and
// never reaches into the program's surfaces, windows or messages.
//
// Everything is called from the program's own thread, never reentrantly.
// Sizes are in pixels. Types come from win32_api.h: DWORD is an unsigned
// 32-bit number, PALETTEENTRY four bytes (red, green, blue, flags).
//
// Besides these functions a host brings the program's start, as the
// Windows runtime does: its entry point (main, or the page's) readies the
// host, calls WinMain(instance, nullptr, commandLine, SW_SHOWDEFAULT) with
// any non-null instance, returns or reports WinMain's exit code, and closes
// the screen afterwards (see platform/sdl/sdl_main.cpp). In the build a host
// is a static library vorn_host_<name> that links nothing of the platform,
// and its start a library vorn_<name>_start; vorn_use_host(program <name>)
// in cmake/VornHost.cmake links both into a program.
//
// What the demo itself asks for: one 640 x 480 screen and mode, a frame
// about every 30 ms, the keys VK_ESCAPE, VK_SPACE and the four arrows.
#pragma once

#include <cstdint>

#include "win32_api.h"

enum class HostEventKind : std::uint8_t {
  // The user asked the program to end: the window's close button, the
  // page or session going away, SIGTERM. The program may take a few frames
  // to end and may ignore a request that comes before it has a screen.
  QuitRequested,
  // The program no longer holds the screen: minimised, hidden, fullscreen
  // focus switched away. Its surfaces are lost until DisplayReturned; frames
  // it flips meanwhile are not presented. Report each change once.
  DisplayLost,
  DisplayReturned,
  // A key went down or up; virtualKey is a Win32 virtual-key code (VK_LEFT,
  // VK_ESCAPE, ...; see win32_api.h). Auto-repeat is not reported.
  KeyDown,
  KeyUp,
  // Keys can no longer be followed (the window lost the keyboard focus):
  // every key counts as up until reported down again.
  AllKeysReleased,
};

struct HostEvent {
  HostEventKind kind;
  int virtualKey;  // KeyDown and KeyUp only
};

// Called at most once per start of the program, when it creates its
// visible top-level window: show a width x height screen titled title (a
// start-up that starts the program again, as a replay's seek does, keeps
// the screen it has and says yes). Returns false, after
// HostDebugText has said why, when no screen can be had (the program then
// refuses to start).
bool HostOpenScreen(const char* title, int width, int height);

// Called when the program sets its display mode: frames of width x height
// at bitsPerPixel (always 8: palette indices) follow. False when that mode
// cannot be shown; true again for the mode already set.
bool HostSetDisplayMode(int width, int height, int bitsPerPixel);

// Called when the display object that set the mode ends: the mode is no
// longer needed.
void HostRestoreDisplayMode();

// Called once per frame the program flips, in the order flipped: height rows
// of width palette indices, row y starting at pixels + y * pitch, and the
// 256 colours they index (the palette in effect now: expand the indices
// here, as the hardware did, never later). Both are the platform's and
// valid during the call only; copy what must be kept. A host may wait here
// for its display (vsync, the next animation frame).
void HostPresent(const std::uint8_t* pixels, int pitch, int width, int height,
                 const PALETTEENTRY* palette);

// Called once per pass of the program's message loop, and by test harnesses
// between passes: write up to capacity events, oldest first, and return how
// many. Events that do not fit stay queued for the next call. A host whose
// screen cannot be seen (minimised) may block here until something happens,
// so that no processor time is spent; it must return once it has an event.
int HostPumpEvents(HostEvent* events, int capacity);

// Called by Sleep: pause about this long. A browser host hands control back
// to the page here; a test host only advances its clock.
void HostSleep(DWORD milliseconds);

// Calendar time in whole seconds since 1970-01-01 UTC. Read once at
// start-up to seed the program's random draws.
std::int64_t HostCalendarSeconds();

// The folder the program was loaded from, without a trailing separator, or
// "" when unknown: bare file names (ROCK8.BMP) are looked for there first,
// then in HostDataDirectory, then in the current directory. The host owns
// the text; it must stay valid.
const char* HostProgramDirectory();

// Where an installed program's data lies (share/vorn beside the folder of
// an installed program), without a trailing separator, or "" for none: the
// second place bare file names are looked for. The host owns the text; it
// must stay valid.
const char* HostDataDirectory();

// Bytes per row for a surface of this width, at least the width: what
// display memory would use. Any value from the width up is correct; the
// program honours the pitch it is given.
int HostSurfacePitch(int width);

// A line the program wants shown to whoever runs it (why it cannot start).
// May end with a line break. Standard error, a console, a list in a test.
void HostDebugText(const char* text);
