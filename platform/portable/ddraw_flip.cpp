// Flip: the back buffer becomes the visible surface and is presented.
#include "call_trace.h"
#include "host.h"
#include "soft_ddraw_objects.h"

namespace {

// What a primary without a palette shows.
const PALETTEENTRY kBlackPalette[256] = {};

// Front takes the first back buffer's pixels, each back buffer the next
// one's, and the last back buffer the old front's: the interfaces stay put.
void RotateChain(SoftSurface* primary) {
  std::uint8_t* front = primary->chain[0]->pixels;
  for (int i = 0; i + 1 < primary->chainLength; ++i)
    primary->chain[i]->pixels = primary->chain[i + 1]->pixels;
  primary->chain[primary->chainLength - 1]->pixels = front;
}

void SwapPixels(SoftSurface* a, SoftSurface* b) {
  std::uint8_t* pixels = a->pixels;
  a->pixels = b->pixels;
  b->pixels = pixels;
}

}  // namespace

// Called once per frame by the display's presentation on the primary.
HRESULT IDirectDrawSurface::Flip(LPDIRECTDRAWSURFACE targetOverride, DWORD flags) {
  SoftSurface* self = SoftSurfaceFind(this);
  SoftSurface* target = SoftSurfaceFind(targetOverride);
  if (PlatformCall("Flip", nullptr, "%s, %s, 0x%X", SoftLabelOf(self),
                   SoftSurfaceLabel(targetOverride), static_cast<unsigned>(flags)))
    return DDERR_GENERIC;
  if (!SoftUsable(self)) return DDERR_INVALIDOBJECT;
  if (self->chainPrimary != self) return DDERR_NOTFLIPPABLE;
  if (targetOverride != nullptr &&
      (target == nullptr || target == self || target->chainPrimary != self))
    return DDERR_INVALIDPARAMS;
  for (int i = 0; i < self->chainLength; ++i) {
    if (self->chain[i]->lost) return DDERR_SURFACELOST;
    if (self->chain[i]->locked) return DDERR_SURFACEBUSY;
  }
  if (target != nullptr)
    SwapPixels(self, target);
  else
    RotateChain(self);
  HostPresent(self->pixels, self->pitch, self->width, self->height,
              self->palette != nullptr ? self->palette->entries : kBlackPalette);
  return DD_OK;
}
