// The host functions behind the portable platform, without a screen: the
// screen is a list of frames, time is a counter, and what the test's script
// does is reported as events at the next pump.
#include <algorithm>
#include <cstring>

#include "headless_session.h"

HeadlessSession session;

namespace {

// A script reports a few events at a time and they are pumped at once;
// beyond this many pending, later ones are dropped.
enum { MAX_PENDING_EVENTS = 256 };

HostEvent pending[MAX_PENDING_EVENTS];
int pendingCount = 0;

}  // namespace

void HeadlessHostReport(HostEventKind kind, int virtualKey) {
  if (pendingCount < MAX_PENDING_EVENTS) pending[pendingCount++] = {kind, virtualKey};
}

void HeadlessSessionClear() {
  pendingCount = 0;
  session.running = false;
  session.result = HeadlessResult();
}

bool HostOpenScreen(const char*, int, int) {
  session.result.windowOpened = true;
  return true;
}

bool HostSetDisplayMode(int width, int height, int bitsPerPixel) {
  return bitsPerPixel == 8 && width > 0 && height > 0;
}

void HostRestoreDisplayMode() {}

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

int HostPumpEvents(HostEvent* events, int capacity) {
  int count = std::min(pendingCount, capacity);
  std::copy(pending, pending + count, events);
  std::copy(pending + count, pending + pendingCount, pending);
  pendingCount -= count;
  return count;
}

void HostSleep(DWORD milliseconds) { session.result.sleptMs += milliseconds; }

std::int64_t HostCalendarSeconds() { return session.config.calendarSeconds; }

const char* HostProgramDirectory() { return session.config.programDirectory.c_str(); }

const char* HostDataDirectory() { return session.config.dataDirectory.c_str(); }

int HostSurfacePitch(int width) { return width + std::max(0, session.config.pitchPadding); }

void HostDebugText(const char* text) {
  std::string line(text);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  session.result.debugTexts.push_back(line);
}
