// The portable start-up: what the Windows runtime does before WinMain and
// after it returns, on SDL.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "platform.h"
#include "sdl_screen.h"

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

}  // namespace

int main(int argc, char** argv) {
  SDL_SetMainReady();
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "vorn: no display could be opened (%s)\n", SDL_GetError());
    return 1;
  }
  BuildCommandLine(argc, argv);
  int exitCode = WinMain(&moduleInstance, nullptr, commandLine, SW_SHOWDEFAULT);
  SdlScreenClose();
  SDL_Quit();
  return exitCode;
}
