// The portable start-up: what the Windows runtime does before WinMain and
// after it returns, on SDL.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform.h"
#include "portable/process_control.h"
#include "sdl_runs.h"
#include "sdl_screen.h"
#include "start_options.h"

namespace {

HINSTANCE__ moduleInstance;
char commandLine[1024];

// The arguments after the program name, joined by spaces as Windows hands
// them to WinMain; cut short rather than overrun.
void BuildCommandLine(int argc, char** argv) {
  std::size_t used = 0;
  for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
    std::size_t length = std::strlen(argv[i]);
    std::size_t room = sizeof commandLine - 1 - used;
    if (used > 0 && room > 0) {
      commandLine[used++] = ' ';
      --room;
    }
    if (length > room) length = room;
    std::memcpy(commandLine + used, argv[i], length);
    used += length;
  }
  commandLine[used] = '\0';
}

// Wayland cannot be reached by name without XDG_RUNTIME_DIR, and its
// library then writes its own complaint to standard error.
bool WaylandReachable() {
  const char* runtimeDir = SDL_getenv("XDG_RUNTIME_DIR");
  const char* waylandDisplay = SDL_getenv("WAYLAND_DISPLAY");
  return (runtimeDir != nullptr && runtimeDir[0] != '\0') ||
         (waylandDisplay != nullptr && waylandDisplay[0] == '/');
}

// SDL falls back to drivers that draw nowhere (offscreen, dummy) when no
// display answers; the demo would then run unseen. Only drivers that can
// show a picture are offered, unless the user names one in SDL_VIDEODRIVER.
void OfferVisibleDrivers() {
  if (SDL_getenv("SDL_VIDEODRIVER") != nullptr) return;
  static const char* const unseen[] = {"offscreen", "dummy", "evdev"};
  char list[256] = "";
  for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
    const char* name = SDL_GetVideoDriver(i);
    bool seen = name != nullptr;
    for (const char* hidden : unseen) seen = seen && SDL_strcmp(name, hidden) != 0;
    if (seen && SDL_strcmp(name, "wayland") == 0) seen = WaylandReachable();
    if (!seen || SDL_strlen(list) + SDL_strlen(name) + 2 > sizeof list) continue;
    if (list[0] != '\0') SDL_strlcat(list, ",", sizeof list);
    SDL_strlcat(list, name, sizeof list);
  }
  SDL_SetHint(SDL_HINT_VIDEODRIVER, list[0] != '\0' ? list : "none");
}

// Gamepads are a comfort: without them the keyboard still steers, so a
// failure costs one line and nothing else. Face buttons go by their place,
// so that East is East whatever the pad prints on it.
void StartGamepads() {
  SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    std::fprintf(stderr, "vorn: gamepads cannot be used (%s); the keyboard still works\n",
                 SDL_GetError());
  }
}

}  // namespace

// The options are the host's and are read before SDL starts, so that
// --help and --version work without a display.
int main(int argc, char** argv) {
  StartOptions options;
  std::string error;
  if (!StartOptionsParse(&options, argc, argv, &error)) {
    std::fprintf(stderr, "vorn: %s (vorn --help lists the options)\n", error.c_str());
    return 2;
  }
  if (options.action == StartOptions::Action::Help) {
    StartOptionsPrintHelp(stdout);
    return 0;
  }
  if (options.action == StartOptions::Action::Version) {
    StartOptionsPrintVersion(stdout);
    return 0;
  }
  // A run file that cannot be played is refused before any window opens.
  if (!SdlRunsStart(options.recordPath.empty() ? nullptr : options.recordPath.c_str(),
                    options.replayPath.empty() ? nullptr : options.replayPath.c_str()))
    return 2;
  SdlScreenConfigure(options.window, options.integerScaling, options.shotsFolder.c_str());
  SDL_SetMainReady();
  OfferVisibleDrivers();
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr,
                 "vorn: no display could be opened (%s); run vorn inside a desktop session, "
                 "or use vorn-capture to render frames without a screen\n",
                 SDL_GetError());
    return 1;
  }
  StartGamepads();
  BuildCommandLine(argc, argv);
  int exitCode = WinMain(&moduleInstance, nullptr, commandLine, SW_SHOWDEFAULT);
  // A replay's seek backwards: the program starts again as a new process
  // would, in the window it had.
  while (SdlRunsRestarting()) {
    PlatformResetProcess();
    SdlRunsRestart();
    exitCode = WinMain(&moduleInstance, nullptr, commandLine, SW_SHOWDEFAULT);
  }
  SdlScreenClose();
  SDL_Quit();
  // The run is over either way; a recording that could not be kept is
  // still a failure the caller must hear of.
  if (!SdlRunsFinish() && exitCode == 0) exitCode = 3;
  return exitCode;
}
