// Input for the window layer: the close request from the window manager and
// the held state of the keys the program reads.
#include <SDL.h>

#include "portable/host.h"
#include "sdl_screen.h"

namespace {

// A flood of input can never keep one pass of the message loop here.
constexpr int kMaxEventsPerPump = 1024;

}  // namespace

bool HostPumpEvents() {
  bool closeRequested = false;
  SDL_Event event;
  for (int count = 0; count < kMaxEventsPerPump && SDL_PollEvent(&event) != 0; ++count) {
    if (event.type == SDL_QUIT) {
      closeRequested = true;
    } else if (event.type == SDL_WINDOWEVENT) {
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) closeRequested = true;
      SdlScreenWindowEvent(event);
    }
  }
  return closeRequested;
}

// Scancodes, so the keys keep their place whatever the keyboard layout. The
// state is the one SDL kept as of the last pump.
bool HostKeyHeld(int virtualKey) {
  static const Uint8* keys = SDL_GetKeyboardState(nullptr);
  SDL_Scancode scancode;
  switch (virtualKey) {
    case VK_ESCAPE: scancode = SDL_SCANCODE_ESCAPE; break;
    case VK_SPACE: scancode = SDL_SCANCODE_SPACE; break;
    case VK_LEFT: scancode = SDL_SCANCODE_LEFT; break;
    case VK_UP: scancode = SDL_SCANCODE_UP; break;
    case VK_RIGHT: scancode = SDL_SCANCODE_RIGHT; break;
    case VK_DOWN: scancode = SDL_SCANCODE_DOWN; break;
    default: return false;
  }
  return keys != nullptr && keys[scancode] != 0;
}
