// The web start-up: what the Windows runtime does before WinMain and after
// it returns, in a page. The page makes one module per run (a fresh
// program, as a new process would be) and hears how it ended through
// Module.onVornExit.
#include <emscripten.h>

#include "platform.h"
#include "portable/process_control.h"
#include "web_runs.h"
#include "web_screen.h"

namespace {

HINSTANCE__ moduleInstance;
char commandLine[] = "";

EM_JS(void, WebReportExit, (int exitCode), {
  if (Module["onVornExit"]) Module["onVornExit"](exitCode);
});

}  // namespace

// A run the page gave to play that cannot be played ends here, exit code
// 2, before the program starts (the page has heard why).
int main() {
  if (!WebRunsStart()) {
    WebReportExit(2);
    return 2;
  }
  int exitCode = WinMain(&moduleInstance, nullptr, commandLine, SW_SHOWDEFAULT);
  // A replay's seek backwards: the program starts again as a new process
  // would, on the canvas it had.
  while (WebRunsRestarting()) {
    PlatformResetProcess();
    WebRunsRestart();
    exitCode = WinMain(&moduleInstance, nullptr, commandLine, SW_SHOWDEFAULT);
  }
  WebEventsStop();
  WebScreenClose();
  WebReportExit(exitCode);
  return exitCode;
}
