#include "sdl_pads.h"

#include <SDL.h>

namespace {

constexpr int kMaxPads = 8;
static_assert(HELD_KEYBOARD + kMaxPads < HELD_MAX_SOURCES, "a source for every pad");
// Past half way a stick holds its arrow; everything nearer the middle is
// dead zone, so that a stick at rest, or drifting, holds nothing.
constexpr int kStickHalfWay = 16384;

// What a pad holds, input by input: two inputs may stand for one key (the
// D-pad's Left and the stick pushed left, Start and East), and the key stays
// held until both let go.
enum PadInput : unsigned {
  PAD_DPAD_LEFT = 1u << 0,
  PAD_DPAD_UP = 1u << 1,
  PAD_DPAD_RIGHT = 1u << 2,
  PAD_DPAD_DOWN = 1u << 3,
  PAD_STICK_LEFT = 1u << 4,
  PAD_STICK_UP = 1u << 5,
  PAD_STICK_RIGHT = 1u << 6,
  PAD_STICK_DOWN = 1u << 7,
  PAD_START = 1u << 8,
  PAD_EAST = 1u << 9,
};

struct PadKey {
  unsigned inputs;
  int virtualKey;
};

constexpr PadKey kPadKeys[] = {
    {PAD_DPAD_LEFT | PAD_STICK_LEFT, VK_LEFT},   {PAD_DPAD_UP | PAD_STICK_UP, VK_UP},
    {PAD_DPAD_RIGHT | PAD_STICK_RIGHT, VK_RIGHT}, {PAD_DPAD_DOWN | PAD_STICK_DOWN, VK_DOWN},
    {PAD_START | PAD_EAST, VK_ESCAPE},
};

struct Pad {
  SDL_GameController* controller = nullptr;  // null: the slot is free
  SDL_JoystickID id = -1;
  unsigned inputs = 0;
};

Pad pads[kMaxPads];

unsigned ButtonInput(Uint8 button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
      return PAD_DPAD_LEFT;
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
      return PAD_DPAD_UP;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
      return PAD_DPAD_RIGHT;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
      return PAD_DPAD_DOWN;
    case SDL_CONTROLLER_BUTTON_START:
      return PAD_START;
    case SDL_CONTROLLER_BUTTON_B:
      return PAD_EAST;
    default:
      return 0;
  }
}

// The stick's inputs of one axis after it moved to value.
unsigned StickInputs(unsigned inputs, Uint8 axis, Sint16 value) {
  const bool across = axis == SDL_CONTROLLER_AXIS_LEFTX;
  const unsigned less = across ? PAD_STICK_LEFT : PAD_STICK_UP;
  const unsigned more = across ? PAD_STICK_RIGHT : PAD_STICK_DOWN;
  inputs &= ~(less | more);
  if (value < -kStickHalfWay) inputs |= less;
  if (value > kStickHalfWay) inputs |= more;
  return inputs;
}

unsigned KeysOf(unsigned inputs) {
  unsigned keys = 0;
  for (const PadKey& padKey : kPadKeys) {
    if ((inputs & padKey.inputs) != 0) keys |= HeldKeyBit(padKey.virtualKey);
  }
  return keys;
}

int SlotOf(SDL_JoystickID id) {
  for (int slot = 0; slot < kMaxPads; ++slot) {
    if (pads[slot].controller != nullptr && pads[slot].id == id) return slot;
  }
  return -1;
}

// A pad already open (SDL may announce a pad twice) or beyond the table's
// room is left alone.
void OpenPad(int deviceIndex) {
  if (SlotOf(SDL_JoystickGetDeviceInstanceID(deviceIndex)) >= 0) return;
  for (Pad& pad : pads) {
    if (pad.controller != nullptr) continue;
    pad.controller = SDL_GameControllerOpen(deviceIndex);
    if (pad.controller == nullptr) return;
    pad.id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad.controller));
    pad.inputs = 0;
    return;
  }
}

// SDL lets go of an open pad's buttons before it says the pad is gone, but
// a release lost on the way must not leave a key held for ever.
int ClosePad(int slot, HostEvent* reports) {
  const int count = HeldKeysSet(HELD_KEYBOARD + 1 + slot, 0, reports);
  SDL_GameControllerClose(pads[slot].controller);
  pads[slot] = Pad{};
  return count;
}

int SetInputs(int slot, unsigned inputs, HostEvent* reports) {
  pads[slot].inputs = inputs;
  return HeldKeysSet(HELD_KEYBOARD + 1 + slot, KeysOf(inputs), reports);
}

}  // namespace

bool SdlPadsPausePressed(const SDL_Event& event) {
  return event.type == SDL_CONTROLLERBUTTONDOWN &&
         event.cbutton.button == SDL_CONTROLLER_BUTTON_BACK;
}

int SdlPadsTranslate(const SDL_Event& event, HostEvent* reports) {
  switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
      OpenPad(event.cdevice.which);
      return 0;
    case SDL_CONTROLLERDEVICEREMOVED: {
      const int slot = SlotOf(event.cdevice.which);
      return slot >= 0 ? ClosePad(slot, reports) : 0;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      const int slot = SlotOf(event.cbutton.which);
      const unsigned input = ButtonInput(event.cbutton.button);
      if (slot < 0 || input == 0) return 0;
      const unsigned inputs = event.type == SDL_CONTROLLERBUTTONDOWN ? pads[slot].inputs | input
                                                                     : pads[slot].inputs & ~input;
      return SetInputs(slot, inputs, reports);
    }
    case SDL_CONTROLLERAXISMOTION: {
      const int slot = SlotOf(event.caxis.which);
      const Uint8 axis = event.caxis.axis;
      if (slot < 0 || (axis != SDL_CONTROLLER_AXIS_LEFTX && axis != SDL_CONTROLLER_AXIS_LEFTY))
        return 0;
      return SetInputs(slot, StickInputs(pads[slot].inputs, axis, event.caxis.value), reports);
    }
    default:
      return 0;
  }
}

void SdlPadsForgetHeld() {
  for (Pad& pad : pads) pad.inputs = 0;
}

void SdlPadsCloseAll() {
  for (Pad& pad : pads) {
    if (pad.controller != nullptr) SDL_GameControllerClose(pad.controller);
    pad = Pad{};
  }
}
