// The user's side in a browser: the page's key, focus and visibility events
// as host events. Keys come by their physical position (KeyboardEvent.code),
// whatever the keyboard layout; the ones the program reads do nothing else
// on the page (arrows and Space do not scroll it). The page's touch controls
// and the gamepads hold keys too; the program hears of a key going down
// when the first of them holds it and up when the last lets go. While the
// run is paused (web_pause.h) their changes are held back and told as one
// difference on resuming; each pass's events go through the run recorder
// and player (web_runs.h).
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstring>

#include "portable/host.h"
#include "run_recorder.h"
#include "web_keys.h"
#include "web_pause.h"
#include "web_runs.h"
#include "web_screen.h"

namespace {

// Far more than a frame's worth of key changes; see Report for the rest.
enum { QUEUE_SIZE = 64 };

struct WebEvents {
  HostEvent queue[QUEUE_SIZE];
  int first = 0;
  int count = 0;
  bool keysDropped = false;  // a key change did not fit: release all next
  bool quitRequested = false;
};

WebEvents events;

// Cuts short a wait of the screen's (an animation frame), so the program
// sees what just happened.
EM_JS(void, WebWakeWaits, (), {
  const screen = Module["vornScreen"];
  if (screen && screen.wake) {
    const wake = screen.wake;
    screen.wake = null;
    wake();
  }
});

// Whether the page has let this run go (it started another without waiting
// for this one to end).
EM_JS(int, WebLetGo, (), {
  return Module["vornLetGo"] ? 1 : 0;
});

// Nothing of a run the page let go may run again: it waits for ever, and
// with its listeners gone nothing refers to it any more.
EM_ASYNC_JS(void, WebWaitForEver, (), {
  await new Promise(() => {});
});

EM_JS(int, WebPageIsHidden, (), {
  return document.visibilityState === "visible" ? 0 : 1;
});

// The queue holds key changes only (a quit request is kept as state). One that does not fit is dropped, and all
// keys are reported released after the queue, so that no dropped release
// leaves a key held.
void Report(HostEventKind kind, int virtualKey) {
  if (events.count == QUEUE_SIZE) {
    events.keysDropped = true;
    return;
  }
  events.queue[(events.first + events.count) % QUEUE_SIZE] = {kind, virtualKey};
  ++events.count;
}

void ReportAll(const HostEvent* reports, int count) {
  for (int i = 0; i < count; ++i) Report(reports[i].kind, reports[i].virtualKey);
}

void RequestQuit() {
  events.quitRequested = true;
  WebPauseEnd();
  WebWakeWaits();
}

// A source's key changes. During a replay they steer nothing (the player
// drops them) and a quit key ends it as leaving the page would; while
// paused they are held back, but a quit key resumes, so that the program
// hears it and ends as usual.
void ReportKeys(const HostEvent* reports, int count) {
  const bool quitKey = HeldKeysQuitPressed(reports, count);
  if (quitKey && WebRunsReplaying()) RequestQuit();
  if (!WebPaused())
    ReportAll(reports, count);
  else if (quitKey)
    WebPauseToggle();
}

// A source (the keyboard, the touch controls) holds one key now, or not.
void KeyChange(int source, int virtualKey, bool held) {
  HostEvent changes[HELD_KEY_COUNT];
  ReportKeys(changes, HeldKeyChange(source, virtualKey, held, changes));
}

int VirtualKeyOf(const char* code) {
  static const struct {
    const char* code;
    int virtualKey;
  } keys[] = {{"Escape", VK_ESCAPE}, {"Space", VK_SPACE},     {"ArrowLeft", VK_LEFT},
              {"ArrowUp", VK_UP},    {"ArrowRight", VK_RIGHT}, {"ArrowDown", VK_DOWN}};
  for (const auto& key : keys) {
    if (std::strcmp(code, key.code) == 0) return key.virtualKey;
  }
  return 0;
}

// Returning true keeps the page from acting on the key itself.
EM_BOOL OnKey(int eventType, const EmscriptenKeyboardEvent* event, void*) {
  const int key = VirtualKeyOf(event->code);
  if (key == 0) return EM_FALSE;
  KeyChange(HELD_KEYBOARD, key, eventType != EMSCRIPTEN_EVENT_KEYUP);
  return EM_TRUE;
}

// Every source lets go of everything, and the program hears so; one that
// still holds a key says so again (a pad at its next reading, a key or a
// finger when pressed anew).
void ReleaseAll() {
  HeldKeysForgetAll();
  if (!WebPaused()) Report(HostEventKind::AllKeysReleased, 0);
}

// Key releases made while the page has no focus never arrive here.
EM_BOOL OnBlur(int, const EmscriptenFocusEvent*, void*) {
  ReleaseAll();
  return EM_FALSE;
}

EM_BOOL OnVisibilityChange(int, const EmscriptenVisibilityChangeEvent* event, void*) {
  WebPauseHide(event->hidden != 0);
  if (event->hidden != 0) ReleaseAll();
  WebWakeWaits();
  return EM_FALSE;
}

}  // namespace

void WebKeysHold(int source, unsigned keys) {
  HostEvent changes[HELD_KEY_COUNT];
  ReportKeys(changes, HeldKeysSet(source, keys, changes));
}

void WebKeysReportSince(unsigned before) {
  HostEvent changes[HELD_KEY_COUNT];
  ReportAll(changes, HeldKeysReportSince(before, changes));
}


void WebEventsListen() {
  events = WebEvents();
  HeldKeysForgetAll();
  WebPauseHide(WebPageIsHidden() != 0);
  const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
  emscripten_set_keydown_callback(window, nullptr, EM_TRUE, OnKey);
  emscripten_set_keyup_callback(window, nullptr, EM_TRUE, OnKey);
  // Not capturing: the window's own blur only, not every element's.
  emscripten_set_blur_callback(window, nullptr, EM_FALSE, OnBlur);
  emscripten_set_visibilitychange_callback(nullptr, EM_TRUE, OnVisibilityChange);
  WebGamepadsListen();
}

void WebEventsStop() { emscripten_html5_remove_all_event_listeners(); }

// Called by the page's touch controls (Module._vorn_web_touch_key): the
// control for this virtual key is held (1) or let go (0).
extern "C" EMSCRIPTEN_KEEPALIVE void vorn_web_touch_key(int virtualKey, int held) {
  KeyChange(WEB_TOUCH, virtualKey, held != 0);
}

// Called by the page (Module._vorn_web_request_quit) to end the run, as a
// window's close button does.
extern "C" EMSCRIPTEN_KEEPALIVE void vorn_web_request_quit() { RequestQuit(); }

// While the run is paused (a hidden page pauses it) this waits until it
// goes on or is asked to end: the demo draws nothing and takes no time, and
// the program never hears of the page being hidden. Room is left for the
// run player's events.
int HostPumpEvents(HostEvent* reported, int hostCapacity) {
  if (WebLetGo()) {
    WebEventsStop();
    WebWaitForEver();
  }
  if (reported == nullptr || hostCapacity <= RUN_PASS_ROOM) return 0;
  if (WebRunsTakePause() && !WebPaused()) WebPauseToggle();
  WebPauseWait();
  const int capacity = hostCapacity - RUN_PASS_ROOM;
  int taken = 0;
  if (events.quitRequested && taken < capacity) {
    events.quitRequested = false;
    reported[taken++] = {HostEventKind::QuitRequested, 0};
  }
  for (; events.count > 0 && taken < capacity; --events.count) {
    reported[taken++] = events.queue[events.first];
    events.first = (events.first + 1) % QUEUE_SIZE;
  }
  if (events.keysDropped && events.count == 0 && taken < capacity) {
    events.keysDropped = false;
    HeldKeysForgetAll();
    reported[taken++] = {HostEventKind::AllKeysReleased, 0};
  }
  return WebRunsPass(reported, taken);
}
