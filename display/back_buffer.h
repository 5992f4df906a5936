// Direct byte access to the back buffer: lock once, plot, unlock.
#pragma once

#include <cstdint>

#include "platform.h"

// First pixel of the locked back buffer and bytes per row; null and 0
// whenever the back buffer is not locked.
extern std::uint8_t* backBufferPixels;
extern std::int32_t backBufferPitch;

// Locks the whole back buffer (once; locks do not nest) and returns its
// pixels, or null when the lock failed.
std::uint8_t* LockBackBuffer();

// Returns 1 if a lock was released, 0 if there was none.
int UnlockBackBuffer();

// Stores one pixel; no bounds test: callers keep x in 0..639, y in 0..479.
int PutPixel(std::int32_t x, std::int32_t y, std::uint8_t color, std::uint8_t* buffer,
             std::int32_t pitch);
