// HeadlessRun: one run of the program on a fresh platform, as a new process.
#include "headless_session.h"
#include "portable/soft_ddraw.h"
#include "portable/window_layer.h"

namespace {

// What the program gets as its instance handle and command line.
int instanceToken;
char emptyCommandLine[] = "";

void PlatformReset() {
  SoftDirectDrawReset();
  WindowLayerReset();
  KernelFilesReset();
  TraceDisarmFaults();
  TraceSetLogging(false);
  TraceClearLog();
  TraceSetWatchdog(0);
}

}  // namespace

// Called by tests that drive the platform themselves, and by HeadlessRun.
void HeadlessBegin(const HeadlessConfig& config) {
  PlatformReset();
  session.config = config;
  HeadlessSessionClear();
  for (const HeadlessFault& fault : config.faults)
    TraceArmFault(fault.name.c_str(), fault.mode, fault.skip);
  TraceSetLogging(config.logCalls);
  TraceSetHangHandler(HeadlessThrowHang);
}

// The result owns everything it holds; the platform is reset before return.
HeadlessResult HeadlessEnd() {
  session.running = false;
  session.result.liveObjectsAfter = SoftDirectDrawLiveObjects();
  session.result.misuses = SoftDirectDrawMisuses();
  session.result.unreleasedSurfaces = SoftDirectDrawUnreleasedSurfaces();
  session.result.calls = TraceLog();
  HeadlessResult result = std::move(session.result);
  PlatformReset();
  HeadlessSessionClear();
  session.config = HeadlessConfig();
  return result;
}

HeadlessResult HeadlessRun(const HeadlessConfig& config) {
  HeadlessBegin(config);
  session.running = true;
  TraceSetWatchdog(config.watchdogCallsPerPass);
  try {
    session.result.exitCode =
        config.entry ? config.entry()
                     : WinMain(reinterpret_cast<HINSTANCE>(&instanceToken), nullptr,
                               emptyCommandLine, SW_SHOWDEFAULT);
  } catch (const HeadlessHang&) {
    session.result.hung = true;
  }
  return HeadlessEnd();
}
