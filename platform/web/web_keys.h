// The web host's sources of held keys, as held_keys.h has them: the
// keyboard, the page's touch controls, and each gamepad by its index in the
// page's list.
#pragma once

#include "held_keys.h"

enum { WEB_TOUCH = HELD_KEYBOARD + 1, WEB_FIRST_PAD = WEB_TOUCH + 1,
       WEB_MAX_PADS = HELD_MAX_SOURCES - WEB_FIRST_PAD };

// Called by whatever reads a source: these keys (HeldKeyBit bits) are what
// it holds now. Reports each key that goes down or up for the program.
void WebKeysHold(int source, unsigned keys);

// Called on resuming from a pause, with what the program had been told it
// holds when the pause began: reports how that differs from what the
// sources hold now.
void WebKeysReportSince(unsigned before);
