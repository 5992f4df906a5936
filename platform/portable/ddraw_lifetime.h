// How DirectDraw objects end: by their last Release, or with their owner.
// A surface drops its palette reference and frees its pixels; the primary
// of a flip chain ends its back buffer with it. A display object ends
// everything it created and gives up the display mode it set.
#pragma once

#include "ddraw_registry.h"

void SoftSurfaceEnd(SoftSurface* surface);
void SoftPaletteEnd(SoftPalette* palette);
void SoftDisplayEnd(SoftDisplay* display);

// Drops one palette reference held by a surface; the palette ends at zero.
void SoftPaletteDrop(SoftPalette* palette);

// Release of every interface: end runs when the count reaches zero; a count
// already at zero (a back buffer nobody holds) is a misuse.
template <typename Interface, typename Record>
ULONG SoftRelease(Interface* self, void (*end)(Record*)) {
  Record* record = nullptr;
  if (SoftEnter(self, &record, "Release", nullptr) != DD_OK) return 0;
  if (record->object.references == 0) {
    SoftCountMisuse();
    return 0;
  }
  if (--record->object.references == 0) end(record);
  return record->object.references;
}
