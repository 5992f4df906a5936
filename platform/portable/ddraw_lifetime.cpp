#include "ddraw_lifetime.h"

#include "host.h"

namespace {

void SurfaceEndOne(SoftSurface* surface) {
  surface->object.state = SoftState::Ended;
  delete[] surface->pixels;
  surface->pixels = nullptr;
  surface->locked = false;
  surface->lockedPixels = nullptr;
  SoftPalette* palette = surface->palette;
  surface->palette = nullptr;
  SoftPaletteDrop(palette);
}

}  // namespace

void SoftSurfaceEnd(SoftSurface* surface) {
  SoftSurface* primary = surface->primary != nullptr ? surface->primary : surface;
  SoftSurface* back = primary->back;
  SurfaceEndOne(primary);
  if (back != nullptr && back->object.state == SoftState::Live) SurfaceEndOne(back);
}

void SoftPaletteEnd(SoftPalette* palette) { palette->object.state = SoftState::Ended; }

void SoftPaletteDrop(SoftPalette* palette) {
  if (palette == nullptr || palette->object.state != SoftState::Live) return;
  if (--palette->object.references == 0) SoftPaletteEnd(palette);
}

void SoftDisplayEnd(SoftDisplay* display) {
  // Counted before anything ends: ending a primary ends its back buffer too.
  for (int i = 0; i < softSurfaces.Used(); ++i) {
    if (softSurfaces[i].object.owner == display) SoftNoteUnreleased(&softSurfaces[i]);
  }
  for (int i = 0; i < softSurfaces.Used(); ++i) {
    SoftSurface* surface = &softSurfaces[i];
    if (surface->object.state == SoftState::Live && surface->object.owner == display)
      SoftSurfaceEnd(surface);
  }
  for (int i = 0; i < softPalettes.Used(); ++i) {
    SoftPalette* palette = &softPalettes[i];
    if (palette->object.state == SoftState::Live && palette->object.owner == display)
      SoftPaletteEnd(palette);
  }
  if (display->modeSet) {
    PlatformCall("HostRestoreDisplayMode", nullptr);
    HostRestoreDisplayMode();
  }
  display->modeSet = false;
  if (SoftExclusiveOwner() == display) SoftSetExclusiveOwner(nullptr);
  display->object.state = SoftState::Ended;
}
