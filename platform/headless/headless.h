// The headless harness: runs the program's real code (WinMain and everything
// under it) on the headless host, without a screen. Keys, a lost display and
// close requests are scripted per loop pass and reported as host events;
// time is virtual (Sleep advances a clock, nothing really sleeps); the
// calendar time is fixed; every presented frame can be kept; every
// platform call can be recorded and any can be made to fail. Used by tests
// and by the capture tool.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform.h"
#include "portable/call_trace.h"

struct HeadlessFrame {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width x height indices, no row gaps
  PALETTEENTRY palette[256] = {};    // the palette in effect when presented
};

// A platform call made to fail: name as the platform names it
// ("SetDisplayMode", "Blt", "HostOpenScreen", "malloc"), variant to narrow
// it ("COLORFILL"; empty: every variant).
struct HeadlessFault {
  std::string name = "";
  std::string variant = "";
  FaultMode mode = FaultMode::Once;
  int skip = 0;  // matching calls that succeed before the fault fires
};

struct HeadlessConfig {
  std::int64_t calendarSeconds = 1;  // seeds the program's random generator
  int pitchPadding = 0;              // extra bytes at the end of every surface row
  std::string programDirectory;      // where a bare file name is looked for first
  std::string dataDirectory;         // ... and second, before the current folder
  bool keepFrames = true;            // keep every presented frame in the result
  bool logCalls = false;             // keep a record of every platform call in the result
  int maxPasses = 100000;            // passes before the run is taken to hang
  std::vector<HeadlessFault> faults;
  // At the start of every message-loop pass (each PeekMessageA), numbered
  // from 1, before the queue is examined: set keys, post messages, arm
  // faults, take the display away.
  std::function<void(int pass)> onPass;
  // After every present, with the frame as presented.
  std::function<void(const HeadlessFrame&)> onPresent;
  // At every present, before the above: the front buffer itself (rows pitch
  // bytes apart) and its palette, valid during the call only. When frames
  // are neither kept nor handed to onPresent, the frame is not copied at
  // all: a benchmark converts it as a screen host would.
  std::function<void(const std::uint8_t* pixels, int pitch, int width, int height,
                     const PALETTEENTRY* palette)>
      onPresentPixels;
  // Platform calls allowed between two PeekMessageA calls before the run is
  // taken to hang (0: unlimited). A frame makes a few thousand.
  std::int64_t watchdogCallsPerPass = 200000;
  // Run instead of WinMain when set: lets tests drive the platform with a
  // small program of their own under the same resets, watchdog and result.
  std::function<int()> entry;
};

struct HeadlessResult {
  int exitCode = -1;
  bool hung = false;          // the watchdog or maxPasses stopped the run
  int passes = 0;             // PeekMessageA calls
  int presents = 0;           // frames presented
  std::int64_t sleptMs = 0;   // virtual time spent in Sleep
  std::vector<HeadlessFrame> frames;
  std::vector<TraceCall> calls;          // every platform call, when logCalls
  std::vector<std::string> debugTexts;   // OutputDebugStringA lines
  int liveObjectsAfter = 0;   // DirectDraw objects not ended when WinMain returned
  int misuses = 0;            // calls on ended objects, releases past zero
  int unreleasedSurfaces = 0; // surfaces their display or flip chain had to end for the program
  bool windowOpened = false;  // the host was asked for a screen
};

// Runs WinMain once on a fresh platform (as a new process) and returns what
// happened. Not reentrant.
HeadlessResult HeadlessRun(const HeadlessConfig& config);

// The user's part, reported by the headless host as events and seen by the
// program at once: hold or release a key (VK_ESCAPE, VK_LEFT, ...), release
// all; take the display away until HeadlessRegainDisplay; ask to close the
// window, as with the window manager's close button (the window layer then
// posts WM_CLOSE to the program's screen window).
void HeadlessHoldKey(int virtualKey, bool held);
void HeadlessReleaseAllKeys();
void HeadlessLoseDisplay();
void HeadlessRegainDisplay();
void HeadlessRequestClose();

// For onPass: post a message to the program's main window.
bool HeadlessPostToMainWindow(UINT message, WPARAM wParam, LPARAM lParam);

// For tests that call the platform directly, without a program: the same
// fresh platform and configuration as HeadlessRun (no watchdog, no pass
// limit), and the result with everything reset again afterwards.
void HeadlessBegin(const HeadlessConfig& config);
HeadlessResult HeadlessEnd();
