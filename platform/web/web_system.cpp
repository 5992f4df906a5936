// Clock, program and data folders, surface pitch and diagnostics for the portable
// layers when the demo runs in a browser.
#include <emscripten.h>

#include <cstring>

#include "portable/host.h"
#include "web_runs.h"

// A long seek hands control back this often, so that the page goes on
// answering the user meanwhile.
constexpr double kLongestBusyMs = 100;

// Asyncify's sleep: the browser gets control back for the time asked, so
// the tab stays responsive while the demo pauses between frames. A
// replay's speed changes the pause, and a seek has none.
void HostSleep(DWORD milliseconds) {
  static double lastSleep = 0;
  const std::uint32_t paced = WebRunsSleepMs(milliseconds);
  const double now = emscripten_get_now();
  if (paced == 0 && now - lastSleep < kLongestBusyMs) return;
  lastSleep = now;
  emscripten_sleep(paced);
}

// The seed a played run was made with, so that it draws the same numbers.
std::int64_t HostCalendarSeconds() { return WebRunsSeed(); }

// The page puts the program's files (ROCK8.BMP) in this folder of the
// module's file system before the run starts.
const char* HostProgramDirectory() { return "/vorn"; }

// Nothing is installed in a page: the program's folder holds all it reads.
const char* HostDataDirectory() { return ""; }

// Rows are packed: the canvas takes nothing else, and no display memory
// asks for more.
int HostSurfacePitch(int width) { return width > 0 ? width : 0; }

// The page shows the line (the first of a run is why it could not start);
// without a page to say it to, the browser's console has it.
EM_JS(void, WebSay, (const char* text), {
  const line = UTF8ToString(text);
  if (Module["onVornText"]) {
    Module["onVornText"](line);
  } else {
    console.log(line);
  }
});

// One line: breaks inside become spaces, trailing ones are dropped, and a
// longer text is cut.
void HostDebugText(const char* text) {
  if (text == nullptr) return;
  char line[512];
  std::size_t length = std::strlen(text);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) --length;
  if (length > sizeof line - 1) length = sizeof line - 1;
  for (std::size_t i = 0; i < length; ++i) line[i] = text[i] == '\n' || text[i] == '\r' ? ' ' : text[i];
  line[length] = '\0';
  WebSay(line);
}
