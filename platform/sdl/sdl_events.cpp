// The user's side for the platform: SDL's events as host events. Keys come
// from SDL's key events by scancode, so they keep their place whatever the
// keyboard layout, and from gamepads (sdl_pads.h); a key is held while the
// keyboard or any pad holds it (held_keys.h). Alt+Enter, F12 and P or
// Pause (a pad's Back) are the host's own keys: they switch between full
// screen and a window, save a screenshot and pause, and the program never
// sees them. While paused the pump holds the program, as while the screen
// is lost; the keys it would have heard of meanwhile are told on resuming.
// Each pass's events go through the run recorder and player (sdl_runs.h).
#include <SDL.h>

#include "held_keys.h"
#include "run_recorder.h"
#include "sdl_pads.h"
#include "sdl_runs.h"
#include "sdl_screen.h"
#include "sdl_shots.h"

namespace {

// A flood of input can never keep one pass of the message loop here.
constexpr int kMaxEventsPerPump = 1024;
// While the screen is lost, how long one wait for SDL's events may last
// before the pump looks again (it keeps waiting until it has an event).
constexpr int kLostWaitMs = 500;

// Host events made from one SDL event and not yet handed out: a pad pulled
// out lets go of every key it held; a focus loss in full screen is two
// (keys released, display lost); resuming tells every key and the screen.
constexpr int kMaxPending = 2 * HELD_KEY_COUNT + 4;
HostEvent pending[kMaxPending];
int pendingCount = 0;
// What the program had been told it holds when the pause began.
unsigned heldWhenPaused = 0;

void Report(HostEventKind kind, int virtualKey = 0) {
  if (pendingCount < kMaxPending) pending[pendingCount++] = {kind, virtualKey};
}

// The window's close button, the session ending or SIGTERM: the program
// ends within a few passes, which a hidden window must not hold up.
void ReportQuit() {
  SdlScreenQuitRequested();
  Report(HostEventKind::QuitRequested);
}

void ReportAll(const HostEvent* reports, int count) {
  for (int i = 0; i < count; ++i) Report(reports[i].kind, reports[i].virtualKey);
}

void TogglePause() {
  HostEvent change;
  if (!SdlScreenPaused()) {
    heldWhenPaused = HeldKeysAll();
    SdlScreenSetPaused(true, &change);
    SdlRunsPausing();
    return;
  }
  if (SdlScreenSetPaused(false, &change)) Report(change.kind);
  HostEvent reports[HELD_KEY_COUNT];
  ReportAll(reports, HeldKeysReportSince(heldWhenPaused, reports));
}

// Key changes of the keyboard or a pad. During a replay they steer nothing
// (the player drops them) and a quit key ends it as closing the window
// does; while paused they are kept back, except that a quit key resumes
// so that the program hears it and ends as usual.
void ReportKeys(const HostEvent* reports, int count) {
  if (SdlRunsReplaying() && HeldKeysQuitPressed(reports, count)) ReportQuit();
  if (!SdlScreenPaused()) {
    ReportAll(reports, count);
  } else if (HeldKeysQuitPressed(reports, count)) {
    TogglePause();
  }
}

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

// A player's key (run_player.h); a step pauses first.
void PlayerKey(int key) {
  if (SdlRunsKey(key) == RunKeyEffect::TakenPaused && !SdlScreenPaused()) TogglePause();
}

// The player's keys that type no character go by their place: Home, End
// and the digits of the top row and the keypad (on layouts whose top row
// types other characters too). Auto-repeat steps on.
bool TakePlayerKey(SDL_Scancode scancode) {
  if (!SdlRunsReplaying()) return false;
  int key = 0;
  if (scancode == SDL_SCANCODE_HOME) key = RUN_KEY_HOME;
  if (scancode == SDL_SCANCODE_END) key = RUN_KEY_END;
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_0)
    key = scancode == SDL_SCANCODE_0 ? '0' : '1' + (scancode - SDL_SCANCODE_1);
  if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_0)
    key = scancode == SDL_SCANCODE_KP_0 ? '0' : '1' + (scancode - SDL_SCANCODE_KP_1);
  if (key != 0) PlayerKey(key);
  return key != 0;
}

// The others by the character they type, whatever the layout: '<' and '>'
// are Shift+, and Shift+. on some keyboards and a key of their own on
// others; '.', ',', J, L and T wherever the layout puts them.
void TakePlayerText(const char* text) {
  if (SdlRunsReplaying() && text[0] != '\0' && text[1] == '\0') PlayerKey(text[0]);
}

// Alt+Enter and F12 act on their press; their release, like any key the
// program does not read, is dropped below.
bool TakeHostKey(const SDL_KeyboardEvent& key) {
  if (key.type != SDL_KEYDOWN) return false;
  const SDL_Scancode scancode = key.keysym.scancode;
  if (TakePlayerKey(scancode)) return true;
  const bool enter = scancode == SDL_SCANCODE_RETURN || scancode == SDL_SCANCODE_KP_ENTER;
  if (enter && (key.keysym.mod & KMOD_ALT) != 0) {
    if (key.repeat == 0) SdlScreenToggleFullscreen();
    return true;
  }
  if (scancode == SDL_SCANCODE_F12) {
    if (key.repeat == 0) SdlScreenSaveScreenshot();
    return true;
  }
  if (scancode == SDL_SCANCODE_P || scancode == SDL_SCANCODE_PAUSE) {
    if (key.repeat == 0) TogglePause();
    return true;
  }
  return false;
}

// A key of the program's, pressed or let go on the keyboard.
void TranslateKey(const SDL_KeyboardEvent& key) {
  if (key.repeat != 0) return;
  HostEvent reports[HELD_KEY_COUNT];
  ReportKeys(reports, HeldKeyChange(HELD_KEYBOARD, VirtualKeyOf(key.keysym.scancode),
                                    key.type == SDL_KEYDOWN, reports));
}

void Translate(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      ReportQuit();
      return;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (!TakeHostKey(event.key)) TranslateKey(event.key);
      return;
    case SDL_TEXTINPUT:
      TakePlayerText(event.text.text);
      return;
    case SDL_WINDOWEVENT: {
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
        ReportQuit();
        return;
      }
      // Key releases made elsewhere never arrive here. The pads' keys are
      // let go too, so that a release arriving later reports nothing.
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        HeldKeysForgetAll();
        SdlPadsForgetHeld();
        if (!SdlScreenPaused()) Report(HostEventKind::AllKeysReleased);
      }
      HostEvent change;
      if (SdlScreenWindowEvent(event, &change)) Report(change.kind);
      return;
    }
    default: {
      if (SdlPadsPausePressed(event)) TogglePause();
      HostEvent reports[HELD_KEY_COUNT];
      ReportKeys(reports, SdlPadsTranslate(event, reports));
      return;
    }
  }
}

int TakePending(HostEvent* events, int capacity) {
  int count = pendingCount < capacity ? pendingCount : capacity;
  for (int i = 0; i < count; ++i) events[i] = pending[i];
  for (int i = count; i < pendingCount; ++i) pending[i - count] = pending[i];
  pendingCount -= count;
  return count;
}

}  // namespace

// Stops at capacity, less the room the run player needs: the events not
// taken stay queued, here or in SDL's queue. While the program has lost the
// screen or is paused there is nothing for it to draw, so the pump waits
// for events instead of returning empty-handed.
int HostPumpEvents(HostEvent* events, int hostCapacity) {
  if (events == nullptr || hostCapacity <= RUN_PASS_ROOM) return 0;
  const int capacity = hostCapacity - RUN_PASS_ROOM;
  int count = TakePending(events, capacity);
  SDL_Event event;
  for (int polled = 0; polled < kMaxEventsPerPump && count < capacity && pendingCount == 0 &&
                       SDL_PollEvent(&event) != 0;
       ++polled) {
    Translate(event);
    count += TakePending(events + count, capacity - count);
  }
  if (SdlRunsTakePause() && !SdlScreenPaused()) TogglePause();
  while (count == 0 && pendingCount == 0 && SdlScreenWaitsForEvents(SdlRunsBusy())) {
    if (SDL_WaitEventTimeout(&event, kLostWaitMs) != 0) Translate(event);
    count += TakePending(events + count, capacity - count);
  }
  return SdlRunsPass(events, count);
}
