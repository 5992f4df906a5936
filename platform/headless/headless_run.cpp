// The headless harness: one run of the program on a fresh platform, as a
// new process, with the test's script played pass by pass.
#include "headless_session.h"
#include "portable/process_control.h"

namespace {

// What the program gets as its instance handle and command line.
int instanceToken;
char emptyCommandLine[] = "";

// Thrown through the program by the pass limit and the watchdog, caught by
// HeadlessRun only: the program is abandoned where it stood.
struct HeadlessHang {};

void ThrowHang() {
  if (session.running) throw HeadlessHang();
}

// Every PeekMessageA is one pass: the script runs, and a run past its pass
// limit is taken to hang.
void PlayPass() {
  int pass = ++session.result.passes;
  if (session.running && session.config.maxPasses > 0 && pass > session.config.maxPasses)
    throw HeadlessHang();
  if (session.config.onPass) session.config.onPass(pass);
}

// The host reports the event and the platform takes it in at once, so the
// program's very next call sees it.
void Report(HostEventKind kind, int virtualKey = 0) {
  HeadlessHostReport(kind, virtualKey);
  PlatformDeliverHostEvents();
}

}  // namespace

void HeadlessHoldKey(int virtualKey, bool held) {
  Report(held ? HostEventKind::KeyDown : HostEventKind::KeyUp, virtualKey);
}

void HeadlessReleaseAllKeys() { Report(HostEventKind::AllKeysReleased); }

void HeadlessLoseDisplay() { Report(HostEventKind::DisplayLost); }

void HeadlessRegainDisplay() { Report(HostEventKind::DisplayReturned); }

void HeadlessRequestClose() { Report(HostEventKind::QuitRequested); }

bool HeadlessPostToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) {
  return PlatformPostToScreenWindow(message, wParam, lParam);
}

// Called by tests that drive the platform themselves, and by HeadlessRun.
void HeadlessBegin(const HeadlessConfig& config) {
  PlatformResetProcess();
  session.config = config;
  HeadlessSessionClear();
  for (const HeadlessFault& fault : config.faults)
    TraceArmFault(fault.name.c_str(), fault.variant.c_str(), fault.mode, fault.skip);
  TraceSetRecording(config.logCalls);
  TraceSetHangHandler(ThrowHang);
  TraceSetPassHandler(PlayPass);
}

// The result owns everything it holds; the platform is reset before return.
HeadlessResult HeadlessEnd() {
  session.running = false;
  PlatformCounts counts = PlatformCountsNow();
  session.result.liveObjectsAfter = counts.liveObjects;
  session.result.misuses = counts.misuses;
  session.result.unreleasedSurfaces = counts.unreleasedSurfaces;
  session.result.calls = TraceLog();
  HeadlessResult result = std::move(session.result);
  PlatformResetProcess();
  HeadlessSessionClear();
  session.config = HeadlessConfig();
  return result;
}

HeadlessResult HeadlessRun(const HeadlessConfig& config) {
  HeadlessBegin(config);
  session.running = true;
  TraceSetWatchdog(config.watchdogCallsPerPass);
  try {
    session.result.exitCode = config.entry ? config.entry()
                                           : WinMain(reinterpret_cast<HINSTANCE>(&instanceToken),
                                                     nullptr, emptyCommandLine, SW_SHOWDEFAULT);
  } catch (const HeadlessHang&) {
    session.result.hung = true;
  }
  return HeadlessEnd();
}
