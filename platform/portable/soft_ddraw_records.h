// The software DirectDraw's object records, behind the interface pointers
// the program holds. Every object lives in a table slot (ddraw_registry.h)
// from its creation until the platform is reset; an ended object stays in
// its slot, so a later call through a stale pointer is recognised instead
// of touching freed memory.
#pragma once

#include <cstdint>

#include "ddraw_api.h"

enum class SoftState : std::uint8_t { Unused, Live, Ended };

struct SoftDisplay;

// What every DirectDraw object carries.
struct SoftObject {
  SoftState state;
  int number;  // from 1 in its table, as the trace names it ("surface3")
  ULONG references;
  SoftDisplay* owner;  // the display object that created it; null for a display
};

struct SoftPalette : IDirectDrawPalette {
  SoftObject object;
  PALETTEENTRY entries[256];
};

// A primary surface and its one back buffer form a flip chain; every other
// surface is an off-screen one.
struct SoftSurface : IDirectDrawSurface {
  SoftObject object;
  DWORD caps;            // as reported by Lock
  SoftSurface* primary;  // of its flip chain, on both members; null off-screen
  SoftSurface* back;     // on a primary: its back buffer
  int width;
  int height;
  int pitch;
  std::uint8_t* pixels;        // height rows of pitch bytes, owned; swapped by Flip
  std::uint8_t* lockedPixels;  // what the current Lock handed out, or null
  bool locked;
  bool lost;
  bool hasSourceKey;
  DWORD sourceKey;       // the index a keyed blit skips, as given
  SoftPalette* palette;  // one reference held while attached
};

struct SoftDisplay : IDirectDraw {
  SoftObject object;
  bool levelSet;
  bool modeSet;
  int modeWidth;
  int modeHeight;
};

// Whether rect lies inside the surface and is not empty (right and bottom
// exclusive): the only rectangles a blit or lock accepts, as there is no
// clipper.
inline bool SoftSurfaceHolds(const SoftSurface& surface, const RECT& rect) {
  return rect.left >= 0 && rect.top >= 0 && rect.left < rect.right && rect.top < rect.bottom &&
         rect.right <= surface.width && rect.bottom <= surface.height;
}
