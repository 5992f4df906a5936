// Gamepads in a browser, through the page's Gamepad API: the D-pad and the
// left stick are the arrows, Start and the East button (B) are Escape, Back
// (Select) pauses and resumes. Pads are read once a frame (a few times a
// second while paused), and not at all while none is connected; one that
// goes away lets go of what it held.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstring>

#include "portable/host.h"
#include "web_keys.h"
#include "web_pause.h"
#include "web_screen.h"

namespace {

// A stick pushed further than this from the middle holds the arrow that way.
constexpr double kStickHalfWay = 0.5;

// The buttons read, by their place in the browser's standard layout.
enum { EAST = 1, BACK = 8, START = 9, DPAD_UP = 12, DPAD_DOWN = 13, DPAD_LEFT = 14, DPAD_RIGHT = 15 };

int connected = 0;
EmscriptenGamepadEvent pad;  // one pad's reading; kept here, as it is large
bool backHeld[WEB_MAX_PADS] = {};  // a pause toggles once per press

// How many pads the page has now; counted afresh rather than followed, as
// the run may start after they came. A frame whose framing page does not
// allow gamepads is refused them (getGamepads throws): none then.
EM_JS(int, WebGamepadsConnected, (), {
  let pads = [];
  try {
    pads = navigator.getGamepads ? navigator.getGamepads() : [];
  } catch (error) {
  }
  let count = 0;
  for (const pad of pads) count += pad && pad.connected ? 1 : 0;
  return count;
});

bool Pressed(const EmscriptenGamepadEvent& state, int button) {
  return button < state.numButtons && state.digitalButton[button] != 0;
}

// The keys a pad holds. Only pads in the standard layout have known
// buttons; on any other the first two axes are still the stick.
unsigned KeysOf(const EmscriptenGamepadEvent& state) {
  unsigned keys = 0;
  if (state.numAxes >= 2) {
    if (state.axis[0] < -kStickHalfWay) keys |= HeldKeyBit(VK_LEFT);
    if (state.axis[0] > kStickHalfWay) keys |= HeldKeyBit(VK_RIGHT);
    if (state.axis[1] < -kStickHalfWay) keys |= HeldKeyBit(VK_UP);
    if (state.axis[1] > kStickHalfWay) keys |= HeldKeyBit(VK_DOWN);
  }
  if (std::strcmp(state.mapping, "standard") != 0) return keys;
  if (Pressed(state, DPAD_LEFT)) keys |= HeldKeyBit(VK_LEFT);
  if (Pressed(state, DPAD_RIGHT)) keys |= HeldKeyBit(VK_RIGHT);
  if (Pressed(state, DPAD_UP)) keys |= HeldKeyBit(VK_UP);
  if (Pressed(state, DPAD_DOWN)) keys |= HeldKeyBit(VK_DOWN);
  if (Pressed(state, START) || Pressed(state, EAST)) keys |= HeldKeyBit(VK_ESCAPE);
  return keys;
}

EM_BOOL OnConnected(int, const EmscriptenGamepadEvent*, void*) {
  connected = WebGamepadsConnected();
  return EM_FALSE;
}

EM_BOOL OnDisconnected(int, const EmscriptenGamepadEvent* state, void*) {
  connected = WebGamepadsConnected();
  if (state->index < 0 || state->index >= WEB_MAX_PADS) return EM_FALSE;
  backHeld[state->index] = false;
  WebKeysHold(WEB_FIRST_PAD + state->index, 0);
  return EM_FALSE;
}

}  // namespace

void WebGamepadsListen() {
  connected = WebGamepadsConnected();
  emscripten_set_gamepadconnected_callback(nullptr, EM_FALSE, OnConnected);
  emscripten_set_gamepaddisconnected_callback(nullptr, EM_FALSE, OnDisconnected);
}

void WebGamepadsRead() {
  if (connected == 0 || emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return;
  int count = emscripten_get_num_gamepads();
  if (count > WEB_MAX_PADS) count = WEB_MAX_PADS;
  for (int index = 0; index < count; ++index) {
    const bool read = emscripten_get_gamepad_status(index, &pad) == EMSCRIPTEN_RESULT_SUCCESS;
    WebKeysHold(WEB_FIRST_PAD + index, read && pad.connected ? KeysOf(pad) : 0);
    const bool back = read && pad.connected && std::strcmp(pad.mapping, "standard") == 0 &&
                      Pressed(pad, BACK);
    if (back && !backHeld[index]) WebPauseToggle();
    backHeld[index] = back;
  }
}

bool WebGamepadsPresent() { return connected > 0; }
