// Clock, program and data directories, surface pitch and diagnostics for the portable
// layers when the demo runs on SDL.
#include <SDL.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "portable/host.h"
#include "sdl_runs.h"

// A replay's speed changes the pause between frames; a seek has none.
void HostSleep(DWORD milliseconds) {
  const std::uint32_t paced = SdlRunsSleepMs(milliseconds);
  if (paced > 0) SDL_Delay(paced);
}

std::int64_t HostCalendarSeconds() { return SdlRunsSeed(); }

// Asked once and kept: "" when SDL cannot tell or the path does not fit.
const char* HostProgramDirectory() {
  static char directory[4096];
  static bool known = false;
  if (known) return directory;
  known = true;
  char* basePath = SDL_GetBasePath();
  if (basePath == nullptr) return directory;
  std::size_t length = std::strlen(basePath);
  if (length < sizeof directory) {
    while (length > 1 && (basePath[length - 1] == '/' || basePath[length - 1] == '\\')) --length;
    std::memcpy(directory, basePath, length);
    directory[length] = '\0';
  }
  SDL_free(basePath);
  return directory;
}

// The program's folder and the way from there to share/vorn, once known:
// "" when the program's folder is not known or the path does not fit.
const char* HostDataDirectory() {
  static char directory[4096];
  static bool known = false;
  if (known) return directory;
  known = true;
  const char* program = HostProgramDirectory();
  if (program[0] == '\0') return directory;
  int length = std::snprintf(directory, sizeof directory, "%s/%s", program, VORN_DATA_FROM_PROGRAM);
  if (length < 0 || std::size_t(length) >= sizeof directory) directory[0] = '\0';
  return directory;
}

// Rows start on four-byte boundaries, as display memory usually does, so
// the program sees a pitch that may exceed the width.
int HostSurfacePitch(int width) {
  if (width <= 0) return 0;
  if (width > INT_MAX - 3) return width;
  return (width + 3) & ~3;
}

// One line on standard error: line breaks inside the text become spaces and
// trailing ones are dropped. The program only says something when a step
// fails, and the first failure is the cause of any that follow (a window
// that cannot be opened, then the window that could not be created), so
// only the first line of a run is shown.
void HostDebugText(const char* text) {
  static bool said = false;
  if (text == nullptr || said) return;
  said = true;
  std::size_t length = std::strlen(text);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) --length;
  for (std::size_t i = 0; i < length; ++i) {
    char c = text[i];
    std::fputc(c == '\n' || c == '\r' ? ' ' : c, stderr);
  }
  std::fputc('\n', stderr);
  std::fflush(stderr);
}
