#include "web_pause.h"

#include <emscripten.h>

#include "web_keys.h"
#include "web_runs.h"
#include "web_screen.h"

namespace {

// How often a connected pad is read while paused.
constexpr int kPadLookMs = 60;

struct WebPauseState {
  bool byUser = false;
  bool byHiding = false;
  bool ending = false;
  bool told = false;        // the page has been told that the run holds
  unsigned heldBefore = 0;  // what the program had been told it holds when the hold began
};

WebPauseState pause;

// Tells the page, which names the state in its status line and controls.
EM_JS(void, WebPauseTell, (int paused), {
  if (Module["onVornPause"]) Module["onVornPause"](paused !== 0);
});

// Resolves when WebPauseWake is called, or after ms when ms > 0.
EM_ASYNC_JS(void, WebPauseSleep, (int ms), {
  await new Promise((resolve) => {
    Module["vornPauseWake"] = resolve;
    if (ms > 0) setTimeout(resolve, ms);
  });
  Module["vornPauseWake"] = null;
});

EM_JS(void, WebPauseWake, (), {
  const wake = Module["vornPauseWake"];
  Module["vornPauseWake"] = null;
  if (wake) wake();
});

bool Holds() { return !pause.ending && (pause.byUser || pause.byHiding); }

// The page hears that the run holds once it does (WebPauseWait): a frame
// made before the pause may still be on its way to the screen until then.
// It hears at once that the run goes on.
void TellGoingOn() {
  if (!pause.told) return;
  pause.told = false;
  WebPauseTell(0);
}

// Applies a change of the reasons to hold; the program hears on resuming
// how its keys changed meanwhile.
void Change(bool byUser, bool byHiding) {
  const bool before = Holds();
  if (!before) pause.heldBefore = HeldKeysAll();
  pause.byUser = byUser;
  pause.byHiding = byHiding;
  const bool after = Holds();
  if (before == after || after) return;
  WebKeysReportSince(pause.heldBefore);
  WebPauseWake();
  TellGoingOn();
}

}  // namespace

void WebPauseToggle() {
  Change(!pause.byUser, pause.byHiding);
  if (pause.byUser) WebRunsPausing();
}

void WebPauseHide(bool hidden) { Change(pause.byUser, hidden); }

void WebPauseEnd() {
  const bool before = Holds();
  pause.ending = true;
  if (!before) return;
  WebKeysReportSince(pause.heldBefore);
  WebPauseWake();
  TellGoingOn();
}

bool WebPaused() { return Holds(); }

void WebPauseNudge() { WebPauseWake(); }

void WebPauseWait() {
  while (Holds() && !WebRunsBusy()) {
    if (!pause.told) {
      pause.told = true;
      WebPauseTell(1);
    }
    const bool lookAtPads = !pause.byHiding && WebGamepadsPresent();
    WebPauseSleep(lookAtPads ? kPadLookMs : 0);
    if (lookAtPads && Holds()) WebGamepadsRead();
  }
}

// Called by the page's Pause control and its P and Pause keys
// (Module._vorn_web_toggle_pause).
extern "C" EMSCRIPTEN_KEEPALIVE void vorn_web_toggle_pause() { WebPauseToggle(); }
