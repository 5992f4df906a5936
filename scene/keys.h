// Keys are read where they are used, never sampled once per frame.
#pragma once

#include "platform.h"

// A key is held while the most significant bit of its async state is set.
inline bool KeyHeld(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }
