// The user's side for the platform: SDL's events as host events. Keys come
// from SDL's key events by scancode, so they keep their place whatever the
// keyboard layout.
#include <SDL.h>

#include "sdl_screen.h"

namespace {

// A flood of input can never keep one pass of the message loop here.
constexpr int kMaxEventsPerPump = 1024;

// The virtual key of a key the program reads, or 0.
int VirtualKeyOf(SDL_Scancode scancode) {
  switch (scancode) {
    case SDL_SCANCODE_ESCAPE:
      return VK_ESCAPE;
    case SDL_SCANCODE_SPACE:
      return VK_SPACE;
    case SDL_SCANCODE_LEFT:
      return VK_LEFT;
    case SDL_SCANCODE_UP:
      return VK_UP;
    case SDL_SCANCODE_RIGHT:
      return VK_RIGHT;
    case SDL_SCANCODE_DOWN:
      return VK_DOWN;
    default:
      return 0;
  }
}

// The host event an SDL event stands for; false when it stands for none.
bool Translate(const SDL_Event& event, HostEvent* reported) {
  switch (event.type) {
    case SDL_QUIT:
      *reported = {HostEventKind::QuitRequested, 0};
      return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      int key = VirtualKeyOf(event.key.keysym.scancode);
      if (key == 0 || event.key.repeat != 0) return false;
      *reported = {event.type == SDL_KEYDOWN ? HostEventKind::KeyDown : HostEventKind::KeyUp, key};
      return true;
    }
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
        *reported = {HostEventKind::QuitRequested, 0};
        return true;
      }
      // Key releases made elsewhere never arrive here.
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        *reported = {HostEventKind::AllKeysReleased, 0};
        return true;
      }
      return SdlScreenWindowEvent(event, reported);
    default:
      return false;
  }
}

}  // namespace

// Stops at capacity: the events not taken stay in SDL's queue.
int HostPumpEvents(HostEvent* events, int capacity) {
  int count = 0;
  SDL_Event event;
  for (int polled = 0; polled < kMaxEventsPerPump && count < capacity && SDL_PollEvent(&event) != 0;
       ++polled) {
    if (Translate(event, &events[count])) ++count;
  }
  return count;
}
