// Flip: the back buffer becomes the visible surface and is presented.
#include "ddraw_registry.h"
#include "host.h"

namespace {

// What a primary without a palette shows.
const PALETTEENTRY kBlackPalette[256] = {};

}  // namespace

// Called once per frame by the display's presentation on the primary. With
// one back buffer there is only one surface to flip to: a target override
// is accepted when it is that back buffer and refused otherwise.
HRESULT IDirectDrawSurface::Flip(LPDIRECTDRAWSURFACE targetOverride, DWORD flags) {
  SoftSurface* self = nullptr;
  if (HRESULT refused = SoftEnter(this, &self, "Flip", nullptr,
                                  SoftArg("target", targetOverride), TraceFlags("flags", flags)))
    return refused;
  if (self->primary != self) return DDERR_NOTFLIPPABLE;
  SoftSurface* back = self->back;
  if (targetOverride != nullptr && targetOverride != back) return DDERR_INVALIDPARAMS;
  if (self->lost || back->lost) return DDERR_SURFACELOST;
  if (self->locked || back->locked) return DDERR_SURFACEBUSY;
  std::uint8_t* shown = back->pixels;
  back->pixels = self->pixels;
  self->pixels = shown;
  HostPresent(self->pixels, self->pitch, self->width, self->height,
              self->palette != nullptr ? self->palette->entries : kBlackPalette);
  return DD_OK;
}
