// The web start-up: what the Windows runtime does before WinMain and after
// it returns, in a page. The page makes one module per run (a fresh
// program, as a new process would be) and hears how it ended through
// Module.onVornExit.
#include <emscripten.h>

#include "platform.h"
#include "web_screen.h"

namespace {

HINSTANCE__ moduleInstance;
char commandLine[] = "";

EM_JS(void, WebReportExit, (int exitCode), {
  if (Module["onVornExit"]) Module["onVornExit"](exitCode);
});

}  // namespace

int main() {
  int exitCode = WinMain(&moduleInstance, nullptr, commandLine, SW_SHOWDEFAULT);
  WebEventsStop();
  WebScreenClose();
  WebReportExit(exitCode);
  return exitCode;
}
