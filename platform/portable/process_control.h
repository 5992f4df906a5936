// The portable platform seen from outside the program: what the headless
// harness, tests and tools use to start it afresh as a new process, to look
// into it after a run, and to put to it what a host or a test would. The
// system's own code never includes this; hosts do not need it either.
#pragma once

#include "call_trace.h"
#include "win32_api.h"

// Everything as at the start of a process: every DirectDraw object,
// window, window class, queued message, held key and open file ended or
// forgotten, the display held, the cursor count 0, the trace disarmed,
// unwatched, without handlers and empty. Every handle and pointer handed out before becomes
// meaningless.
void PlatformResetProcess();

struct PlatformCounts {
  int liveObjects;         // DirectDraw objects not yet ended
  int misuses;             // calls on ended objects, releases past zero
  int unreleasedSurfaces;  // surfaces their owner ended while the program held them
  int pendingMessages;     // posted and not yet fetched (WM_QUIT not counted)
};

PlatformCounts PlatformCountsNow();

// Asks the host for its events and applies them now, as PeekMessageA does
// on every pass: for a harness that reports something between passes.
void PlatformDeliverHostEvents();

// Posts to the program's screen window as a test would, without the trace
// (never recorded, never made to fail). False when there is no such window
// or the queue is full.
bool PlatformPostToScreenWindow(UINT message, WPARAM wParam, LPARAM lParam);

// Keyed blits' 32-pixel steps on or off (on at start), so tests check the
// 16-pixel steps on any machine.
void PlatformAllowWideBlitSteps(bool allow);
