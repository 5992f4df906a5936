// The host functions behind the portable platform, without a screen: the
// screen is a list of frames, time is a counter, keys are a table that the
// test's script sets.
#include <algorithm>
#include <cstring>

#include "headless_session.h"
#include "portable/host.h"
#include "portable/soft_ddraw.h"
#include "portable/user32_internal.h"

HeadlessSession session;

void HeadlessSessionClear() {
  std::fill(std::begin(session.keys), std::end(session.keys), false);
  session.displayActive = true;
  session.closeRequested = false;
  session.running = false;
  session.result = HeadlessResult();
}

// Screen opening and display modes can be made to fail like any platform
// call, so a test can take the screen away from the program.
bool HostOpenWindow(const char* title, int width, int height) {
  if (PlatformCall("HostOpenWindow", nullptr, "\"%s\", %d, %d", title, width, height)) {
    HostDebugText("headless: the screen could not be opened");
    return false;
  }
  session.result.windowOpened = true;
  return true;
}

bool HostSetDisplayMode(int width, int height, int bitsPerPixel) {
  if (PlatformCall("HostSetDisplayMode", nullptr, "%d, %d, %d", width, height, bitsPerPixel))
    return false;
  return bitsPerPixel == 8 && width > 0 && height > 0;
}

void HostRestoreDisplayMode() { PlatformCall("HostRestoreDisplayMode", nullptr, "%s", "screen"); }

// Keeps the frame without its row gaps. When frames are not kept the one
// buffer is reused, so a long run allocates nothing per frame; a run that
// only looks at the front buffer itself copies nothing.
void HostPresent(const std::uint8_t* pixels, int pitch, int width, int height,
                 const PALETTEENTRY* palette) {
  if (session.config.onPresentPixels) {
    session.config.onPresentPixels(pixels, pitch, width, height, palette);
    if (!session.config.keepFrames && !session.config.onPresent) {
      ++session.result.presents;
      return;
    }
  }
  HeadlessFrame* frame = &session.frame;
  if (session.config.keepFrames) {
    session.result.frames.emplace_back();
    frame = &session.result.frames.back();
  }
  frame->width = width;
  frame->height = height;
  frame->pixels.resize(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    std::memcpy(frame->pixels.data() + static_cast<std::size_t>(y) * width,
                pixels + static_cast<std::size_t>(y) * pitch, width);
  std::memcpy(frame->palette, palette, sizeof frame->palette);
  ++session.result.presents;
  if (session.config.onPresent) session.config.onPresent(*frame);
}

// Every PeekMessageA is one pass: the script runs, and a run past its pass
// limit is taken to hang.
bool HostPumpEvents() {
  int pass = ++session.result.passes;
  if (session.running && session.config.maxPasses > 0 && pass > session.config.maxPasses)
    throw HeadlessHang();
  if (session.config.onPass) session.config.onPass(pass);
  bool close = session.closeRequested;
  session.closeRequested = false;
  return close;
}

bool HostKeyHeld(int virtualKey) {
  return virtualKey >= 0 && virtualKey < 256 && session.keys[virtualKey];
}

void HostSleep(DWORD milliseconds) { session.result.sleptMs += milliseconds; }

std::int64_t HostCalendarSeconds() { return session.config.calendarSeconds; }

const char* HostProgramDirectory() { return session.config.programDirectory.c_str(); }

int HostSurfacePitch(int width) { return width + std::max(0, session.config.pitchPadding); }

bool HostDisplayActive() { return session.displayActive; }

void HostDebugText(const char* text) {
  std::string line(text);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  session.result.debugTexts.push_back(line);
}

void HeadlessHoldKey(int virtualKey, bool held) {
  if (virtualKey >= 0 && virtualKey < 256) session.keys[virtualKey] = held;
}

void HeadlessReleaseAllKeys() { std::fill(std::begin(session.keys), std::end(session.keys), false); }

bool HeadlessPostToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = WindowLayerScreenWindow();
  return window != nullptr && WindowLayerPost(window, message, wParam, lParam);
}

void HeadlessLoseDisplay() {
  session.displayActive = false;
  SoftDirectDrawLoseSurfaces();
}

void HeadlessRegainDisplay() { session.displayActive = true; }

void HeadlessRequestClose() { session.closeRequested = true; }

void HeadlessThrowHang() {
  if (session.running) throw HeadlessHang();
}
