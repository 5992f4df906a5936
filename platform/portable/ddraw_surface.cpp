// Surface methods other than Blt and Flip: release, the attached back
// buffer, Lock/Unlock, lost and restored surfaces, the colour key and the
// palette.
#include <cstring>
#include <initializer_list>

#include "ddraw_lifetime.h"
#include "host_state.h"

namespace {

bool IsBackBuffer(const SoftSurface* surface) {
  return surface->primary != nullptr && surface->primary != surface;
}

// A back buffer ends with its primary, never on its own; the primary counts
// its back buffer when the program still holds it.
void EndUnlessBackBuffer(SoftSurface* surface) {
  if (IsBackBuffer(surface)) return;
  if (surface->back != nullptr) SoftNoteUnreleased(surface->back);
  SoftSurfaceEnd(surface);
}

// What Lock reports: size, pitch, 8-bit palettized pixels and caps.
void SurfaceDescribe(const SoftSurface* surface, DDSURFACEDESC* desc) {
  desc->dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
  desc->dwWidth = static_cast<DWORD>(surface->width);
  desc->dwHeight = static_cast<DWORD>(surface->height);
  desc->lPitch = surface->pitch;
  std::memset(&desc->ddpfPixelFormat, 0, sizeof desc->ddpfPixelFormat);
  desc->ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
  desc->ddpfPixelFormat.dwFlags = DDPF_PALETTEINDEXED8 | DDPF_RGB;
  desc->ddpfPixelFormat.dwRGBBitCount = 8;
  desc->ddsCaps.dwCaps = surface->caps;
}

// What a restored surface holds until the program draws it again: a fixed
// pseudo-random pattern (xorshift32 seeded by the surface's number), the
// same in every run.
void FillNoise(SoftSurface* surface) {
  std::uint32_t state = 0x9E3779B9u ^ static_cast<std::uint32_t>(surface->object.number);
  std::size_t bytes = static_cast<std::size_t>(surface->pitch) * surface->height;
  for (std::size_t i = 0; i < bytes; ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    surface->pixels[i] = static_cast<std::uint8_t>(state >> 24);
  }
}

}  // namespace

// A back buffer's references come only from GetAttachedSurface.
ULONG IDirectDrawSurface::Release() { return SoftRelease(this, EndUnlessBackBuffer); }

// Called by the display set-up on the primary; the caller owns the one
// reference added to the back buffer.
HRESULT IDirectDrawSurface::GetAttachedSurface(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* attached) {
  if (attached != nullptr) *attached = nullptr;
  SoftSurface* self = nullptr;
  if (HRESULT refused = SoftEnter(this, &self, "GetAttachedSurface", nullptr,
                                  TraceGiven("caps", caps),
                                  TraceFlags("dwCaps", caps != nullptr ? caps->dwCaps : 0)))
    return refused;
  if (caps == nullptr || attached == nullptr) return DDERR_INVALIDPARAMS;
  if (!(caps->dwCaps & DDSCAPS_BACKBUFFER) || self->back == nullptr) return DDERR_NOTFOUND;
  ++self->back->object.references;
  *attached = self->back;
  return DD_OK;
}

HRESULT IDirectDrawSurface::IsLost() {
  SoftSurface* self = nullptr;
  if (HRESULT refused = SoftEnter(this, &self, "IsLost", nullptr)) return refused;
  return self->lost ? DDERR_SURFACELOST : DD_OK;
}

// Called by the back-buffer and sprite drawing code. The pixels stay valid
// until Unlock; locks do not nest.
HRESULT IDirectDrawSurface::Lock(LPRECT rect, LPDDSURFACEDESC description, DWORD flags,
                                 HANDLE event) {
  SoftSurface* self = nullptr;
  if (HRESULT refused = SoftEnter(
          this, &self, "Lock", nullptr, TraceRect("rect", rect),
          TraceNumber("dwSize", description != nullptr ? description->dwSize : 0),
          TraceFlags("flags", flags), TraceGiven("event", event)))
    return refused;
  if (description == nullptr || description->dwSize != sizeof(DDSURFACEDESC))
    return DDERR_INVALIDPARAMS;
  if (self->lost) return DDERR_SURFACELOST;
  if (self->locked) return DDERR_SURFACEBUSY;
  RECT whole = {0, 0, self->width, self->height};
  const RECT& area = rect != nullptr ? *rect : whole;
  if (!SoftSurfaceHolds(*self, area)) return DDERR_INVALIDRECT;
  self->locked = true;
  self->lockedPixels = self->pixels + area.top * self->pitch + area.left;
  SurfaceDescribe(self, description);
  description->dwFlags |= DDSD_LPSURFACE;
  description->lpSurface = self->lockedPixels;
  return DD_OK;
}

HRESULT IDirectDrawSurface::Unlock(LPVOID surfaceData) {
  SoftSurface* self = nullptr;
  if (HRESULT refused = SoftEnter(this, &self, "Unlock", nullptr, TraceGiven("data", surfaceData)))
    return refused;
  if (!self->locked) return DDERR_NOTLOCKED;
  self->locked = false;
  self->lockedPixels = nullptr;
  return DD_OK;
}

// Restoring gives lost surfaces their memory back, holding garbage until
// the program redraws: the primary restores its back buffer too. While the
// program does not hold the screen nothing can be restored.
HRESULT IDirectDrawSurface::Restore() {
  SoftSurface* self = nullptr;
  if (HRESULT refused = SoftEnter(this, &self, "Restore", nullptr)) return refused;
  if (IsBackBuffer(self)) return DDERR_IMPLICITLYCREATED;
  if (!HostStateDisplayHeld()) return DDERR_WRONGMODE;
  for (SoftSurface* member : {self, self->back}) {
    if (member == nullptr || !member->lost) continue;
    FillNoise(member);
    member->lost = false;
  }
  return DD_OK;
}

// One source key index per surface, as the program's sprites use; a range
// of keys (DDCKEY_COLORSPACE with a high value other than the low one) and
// destination keys are not offered. A null key removes the key.
HRESULT IDirectDrawSurface::SetColorKey(DWORD flags, LPDDCOLORKEY key) {
  SoftSurface* self = nullptr;
  if (HRESULT refused = SoftEnter(
          this, &self, "SetColorKey", nullptr, TraceFlags("flags", flags), TraceGiven("key", key),
          TraceNumber("low", key != nullptr ? key->dwColorSpaceLowValue : 0),
          TraceNumber("high", key != nullptr ? key->dwColorSpaceHighValue : 0)))
    return refused;
  if (!(flags & DDCKEY_SRCBLT))
    return (flags & DDCKEY_DESTBLT) ? DDERR_UNSUPPORTED : DDERR_INVALIDPARAMS;
  if (key != nullptr && (flags & DDCKEY_COLORSPACE) &&
      key->dwColorSpaceHighValue != key->dwColorSpaceLowValue)
    return DDERR_UNSUPPORTED;
  self->hasSourceKey = key != nullptr;
  if (key != nullptr) self->sourceKey = key->dwColorSpaceLowValue;
  return DD_OK;
}

// The surface holds one reference to its palette while attached.
HRESULT IDirectDrawSurface::SetPalette(LPDIRECTDRAWPALETTE palette) {
  SoftSurface* self = nullptr;
  if (HRESULT refused =
          SoftEnter(this, &self, "SetPalette", nullptr, SoftArg("palette", palette)))
    return refused;
  SoftPalette* attached = softPalettes.Find(palette);
  if (palette != nullptr && !SoftUsable(attached)) return DDERR_INVALIDOBJECT;
  if (attached == self->palette) return DD_OK;
  if (attached != nullptr) ++attached->object.references;
  SoftPalette* previous = self->palette;
  self->palette = attached;
  SoftPaletteDrop(previous);
  return DD_OK;
}
