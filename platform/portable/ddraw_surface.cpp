// Surface methods other than Blt and Flip: references, the attached back
// buffer, descriptions, Lock/Unlock, lost and restored surfaces, colour
// keys and palettes.
#include <cstring>

#include "call_trace.h"
#include "host.h"
#include "soft_ddraw_objects.h"

namespace {

bool IsBackBuffer(const SoftSurface* surface) {
  return surface->chainPrimary != nullptr && surface->chainPrimary != surface;
}

// The primary ends its whole chain, counting back buffers still held.
void EndUnlessBackBuffer(SoftSurface* surface) {
  if (IsBackBuffer(surface)) return;
  for (int i = 1; i < surface->chainLength; ++i) SoftNoteUnreleased(surface->chain[i]);
  SoftSurfaceEnd(surface);
}

// What GetSurfaceDesc and Lock report: size, pitch, 8-bit palettized
// pixels and caps.
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

}  // namespace

ULONG IDirectDrawSurface::AddRef() { return SoftAddRef(SoftSurfaceFind(this)); }

// A back buffer's references come only from GetAttachedSurface; it ends with
// its primary, never on its own.
ULONG IDirectDrawSurface::Release() {
  return SoftRelease(SoftSurfaceFind(this), EndUnlessBackBuffer);
}

// Called by the display set-up on the primary; the caller owns the one
// reference added to the back buffer.
HRESULT IDirectDrawSurface::GetAttachedSurface(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* attached) {
  SoftSurface* self = SoftSurfaceFind(this);
  if (attached != nullptr) *attached = nullptr;
  if (PlatformCall("GetAttachedSurface", nullptr, "%s, dwCaps=%s0x%X", SoftLabelOf(self),
                   caps ? "" : "null ", caps ? static_cast<unsigned>(caps->dwCaps) : 0u))
    return DDERR_GENERIC;
  if (!SoftUsable(self)) return DDERR_INVALIDOBJECT;
  if (caps == nullptr || attached == nullptr) return DDERR_INVALIDPARAMS;
  if (!(caps->dwCaps & DDSCAPS_BACKBUFFER) || self->chainPrimary != self ||
      self->chainLength < 2)
    return DDERR_NOTFOUND;
  SoftSurface* back = self->chain[1];
  ++back->object.references;
  *attached = back;
  return DD_OK;
}

HRESULT IDirectDrawSurface::GetSurfaceDesc(LPDDSURFACEDESC description) {
  SoftSurface* self = SoftSurfaceFind(this);
  if (PlatformCall("GetSurfaceDesc", nullptr, "%s, dwSize=%u", SoftLabelOf(self),
                   description ? static_cast<unsigned>(description->dwSize) : 0u))
    return DDERR_GENERIC;
  if (!SoftUsable(self)) return DDERR_INVALIDOBJECT;
  if (description == nullptr || description->dwSize != sizeof(DDSURFACEDESC))
    return DDERR_INVALIDPARAMS;
  SurfaceDescribe(self, description);
  return DD_OK;
}

HRESULT IDirectDrawSurface::IsLost() {
  SoftSurface* self = SoftSurfaceFind(this);
  if (PlatformCall("IsLost", nullptr, "%s", SoftLabelOf(self))) return DDERR_GENERIC;
  if (!SoftUsable(self)) return DDERR_INVALIDOBJECT;
  return self->lost ? DDERR_SURFACELOST : DD_OK;
}

// Called by the back-buffer and sprite drawing code. The pixels stay valid
// until Unlock; locks do not nest.
HRESULT IDirectDrawSurface::Lock(LPRECT rect, LPDDSURFACEDESC description, DWORD flags,
                                 HANDLE event) {
  SoftSurface* self = SoftSurfaceFind(this);
  char rectText[64] = "";
  SoftRectText(rect, rectText, sizeof rectText);
  if (PlatformCall("Lock", nullptr, "%s, rect=%s, dwSize=%u, 0x%X, event=%s", SoftLabelOf(self),
                   rectText, description ? static_cast<unsigned>(description->dwSize) : 0u,
                   static_cast<unsigned>(flags), event ? "set" : "null"))
    return DDERR_GENERIC;
  if (!SoftUsable(self)) return DDERR_INVALIDOBJECT;
  if (description == nullptr || description->dwSize != sizeof(DDSURFACEDESC))
    return DDERR_INVALIDPARAMS;
  if (self->lost) return DDERR_SURFACELOST;
  if (self->locked) return DDERR_SURFACEBUSY;
  RECT whole = {0, 0, self->width, self->height};
  const RECT& area = rect != nullptr ? *rect : whole;
  if (!SoftRectInside(area, self->width, self->height)) return DDERR_INVALIDRECT;
  self->locked = true;
  self->lockedPixels = self->pixels + area.top * self->pitch + area.left;
  SurfaceDescribe(self, description);
  description->dwFlags |= DDSD_LPSURFACE;
  description->lpSurface = self->lockedPixels;
  return DD_OK;
}

HRESULT IDirectDrawSurface::Unlock(LPVOID surfaceData) {
  SoftSurface* self = SoftSurfaceFind(this);
  const char* data = surfaceData == nullptr ? "null"
                     : self != nullptr && surfaceData == self->lockedPixels ? "locked"
                                                                            : "other";
  if (PlatformCall("Unlock", nullptr, "%s, %s", SoftLabelOf(self), data)) return DDERR_GENERIC;
  if (!SoftUsable(self)) return DDERR_INVALIDOBJECT;
  if (!self->locked) return DDERR_NOTLOCKED;
  self->locked = false;
  self->lockedPixels = nullptr;
  return DD_OK;
}

// Restoring gives lost surfaces their memory back, holding garbage until
// the program redraws: the primary restores its whole chain.
HRESULT IDirectDrawSurface::Restore() {
  SoftSurface* self = SoftSurfaceFind(this);
  if (PlatformCall("Restore", nullptr, "%s", SoftLabelOf(self))) return DDERR_GENERIC;
  if (!SoftUsable(self)) return DDERR_INVALIDOBJECT;
  if (IsBackBuffer(self)) return DDERR_IMPLICITLYCREATED;
  if (!HostDisplayActive()) return DDERR_WRONGMODE;
  SoftSurface* const* members = self->chainPrimary != nullptr ? self->chain : &self;
  int count = self->chainPrimary != nullptr ? self->chainLength : 1;
  for (int i = 0; i < count; ++i) {
    if (!members[i]->lost) continue;
    SoftSurfaceFillNoise(members[i]);
    members[i]->lost = false;
  }
  return DD_OK;
}

// Without DDCKEY_COLORSPACE the key is the single low value, as in
// DirectDraw; a null key removes it.
HRESULT IDirectDrawSurface::SetColorKey(DWORD flags, LPDDCOLORKEY key) {
  SoftSurface* self = SoftSurfaceFind(this);
  if (PlatformCall("SetColorKey", nullptr, "%s, 0x%X, %s%u..%u", SoftLabelOf(self),
                   static_cast<unsigned>(flags), key ? "" : "null ",
                   key ? static_cast<unsigned>(key->dwColorSpaceLowValue) : 0u,
                   key ? static_cast<unsigned>(key->dwColorSpaceHighValue) : 0u))
    return DDERR_GENERIC;
  if (!SoftUsable(self)) return DDERR_INVALIDOBJECT;
  if (!(flags & DDCKEY_SRCBLT))
    return (flags & DDCKEY_DESTBLT) ? DDERR_UNSUPPORTED : DDERR_INVALIDPARAMS;
  self->hasSourceKey = key != nullptr;
  if (key != nullptr) {
    self->keyLow = key->dwColorSpaceLowValue;
    self->keyHigh = (flags & DDCKEY_COLORSPACE) ? key->dwColorSpaceHighValue : self->keyLow;
  }
  return DD_OK;
}

// The surface holds one reference to its palette while attached.
HRESULT IDirectDrawSurface::SetPalette(LPDIRECTDRAWPALETTE palette) {
  SoftSurface* self = SoftSurfaceFind(this);
  SoftPalette* attached = SoftPaletteFind(palette);
  if (PlatformCall("SetPalette", nullptr, "%s, %s", SoftLabelOf(self), SoftPaletteLabel(palette)))
    return DDERR_GENERIC;
  if (!SoftUsable(self)) return DDERR_INVALIDOBJECT;
  if (palette != nullptr && !SoftUsable(attached)) return DDERR_INVALIDOBJECT;
  if (attached == self->palette) return DD_OK;
  if (attached != nullptr) ++attached->object.references;
  SoftPalette* previous = self->palette;
  self->palette = attached;
  SoftPaletteDrop(previous);
  return DD_OK;
}
