// CreateSurface: the primary flip chain and off-screen plain surfaces.
#include <cstdio>
#include <new>

#include "call_trace.h"
#include "host.h"
#include "soft_ddraw_objects.h"

namespace {

enum { MAX_SURFACE_SIDE = 8192 };

const DWORD kVideoMemory = DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
const DWORD kOffscreenCaps =
    DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
// Client-supplied memory and pitch are not offered.
const DWORD kRefusedFlags = DDSD_PITCH | DDSD_LPSURFACE;

// Zeroed pixels at the host's pitch. False when memory cannot be had.
bool SurfaceAllocate(SoftSurface* surface, int width, int height) {
  int pitch = HostSurfacePitch(width);
  if (pitch < width) pitch = width;
  surface->width = width;
  surface->height = height;
  surface->pitch = pitch;
  surface->pixels = new (std::nothrow) std::uint8_t[static_cast<std::size_t>(pitch) * height]();
  return surface->pixels != nullptr;
}

// Creates the front buffer and backBuffers back buffers, all sized like the
// display mode. The back buffers carry no external reference until
// GetAttachedSurface hands one out.
HRESULT CreatePrimaryChain(SoftDisplay* display, const DDSURFACEDESC& desc,
                           SoftSurface** created) {
  DWORD caps = desc.ddsCaps.dwCaps;
  if (SoftExclusiveOwner() != display) return DDERR_NOEXCLUSIVEMODE;
  if (!display->modeSet) return DDERR_INVALIDMODE;
  if (desc.dwFlags & (kRefusedFlags | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT))
    return DDERR_INVALIDPARAMS;
  // A lone primary would have to show every write at once; only flipping is offered.
  if (!(caps & DDSCAPS_FLIP)) return DDERR_UNSUPPORTED;
  if (!(caps & DDSCAPS_COMPLEX) || (caps & (DDSCAPS_BACKBUFFER | DDSCAPS_OFFSCREENPLAIN)))
    return DDERR_INVALIDCAPS;
  DWORD backBuffers = (desc.dwFlags & DDSD_BACKBUFFERCOUNT) ? desc.dwBackBufferCount : 0;
  if (backBuffers < 1 || backBuffers > SOFT_MAX_CHAIN - 1) return DDERR_INVALIDPARAMS;
  if (SoftPrimaryExists()) return DDERR_PRIMARYSURFACEALREADYEXISTS;

  SoftSurface* primary = nullptr;
  for (DWORD i = 0; i <= backBuffers; ++i) {
    SoftSurface* surface = SoftSurfaceNew(display);
    if (surface == nullptr) {
      if (primary != nullptr) SoftSurfaceEnd(primary);
      return DDERR_OUTOFMEMORY;
    }
    if (primary == nullptr) primary = surface;
    primary->chain[primary->chainLength++] = surface;
    surface->chainPrimary = primary;
    surface->caps = DDSCAPS_FLIP | DDSCAPS_COMPLEX | kVideoMemory |
                    (i == 0 ? DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER : 0) |
                    (i == 1 ? DDSCAPS_BACKBUFFER : 0);
    if (i > 0) surface->object.references = 0;
    if (!SurfaceAllocate(surface, display->modeWidth, display->modeHeight)) {
      SoftSurfaceEnd(primary);
      return DDERR_OUTOFMEMORY;
    }
  }
  *created = primary;
  return DD_OK;
}

HRESULT CreateOffscreen(SoftDisplay* display, const DDSURFACEDESC& desc, SoftSurface** created) {
  DWORD caps = (desc.dwFlags & DDSD_CAPS) ? desc.ddsCaps.dwCaps : DDSCAPS_OFFSCREENPLAIN;
  if ((desc.dwFlags & kRefusedFlags) || (desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) !=
                                            (DDSD_WIDTH | DDSD_HEIGHT))
    return DDERR_INVALIDPARAMS;
  if (desc.dwWidth < 1 || desc.dwHeight < 1 || desc.dwWidth > MAX_SURFACE_SIDE ||
      desc.dwHeight > MAX_SURFACE_SIDE)
    return DDERR_INVALIDPARAMS;
  if ((caps & ~kOffscreenCaps) ||
      ((caps & DDSCAPS_SYSTEMMEMORY) && (caps & DDSCAPS_VIDEOMEMORY)))
    return DDERR_INVALIDCAPS;
  if ((desc.dwFlags & DDSD_PIXELFORMAT) &&
      !(desc.ddpfPixelFormat.dwFlags & DDPF_PALETTEINDEXED8))
    return DDERR_INVALIDPIXELFORMAT;

  SoftSurface* surface = SoftSurfaceNew(display);
  if (surface == nullptr) return DDERR_OUTOFMEMORY;
  surface->caps =
      DDSCAPS_OFFSCREENPLAIN | ((caps & DDSCAPS_VIDEOMEMORY) ? kVideoMemory : DDSCAPS_SYSTEMMEMORY);
  if (desc.dwFlags & DDSD_CKSRCBLT) {
    surface->hasSourceKey = true;
    surface->keyLow = desc.ddckCKSrcBlt.dwColorSpaceLowValue;
    surface->keyHigh = desc.ddckCKSrcBlt.dwColorSpaceHighValue;
  }
  if (!SurfaceAllocate(surface, static_cast<int>(desc.dwWidth), static_cast<int>(desc.dwHeight))) {
    SoftSurfaceEnd(surface);
    return DDERR_OUTOFMEMORY;
  }
  *created = surface;
  return DD_OK;
}

void DescriptionText(const DDSURFACEDESC* desc, char* text, int size) {
  if (!TraceLogging()) return;
  if (desc == nullptr) {
    std::snprintf(text, size, "desc=null");
    return;
  }
  std::snprintf(text, size,
                "dwSize=%u, dwFlags=0x%X, dwCaps=0x%X, dwWidth=%u, dwHeight=%u, "
                "dwBackBufferCount=%u",
                static_cast<unsigned>(desc->dwSize), static_cast<unsigned>(desc->dwFlags),
                static_cast<unsigned>(desc->ddsCaps.dwCaps), static_cast<unsigned>(desc->dwWidth),
                static_cast<unsigned>(desc->dwHeight),
                static_cast<unsigned>(desc->dwBackBufferCount));
}

}  // namespace

// Called by the display set-up (the flip chain) and by sprites (off-screen
// surfaces); the caller owns one reference to the new surface.
HRESULT IDirectDraw::CreateSurface(LPDDSURFACEDESC description, LPDIRECTDRAWSURFACE* surface,
                                   IUnknown* outer) {
  SoftDisplay* self = SoftDisplayFind(this);
  bool primary = description != nullptr && (description->dwFlags & DDSD_CAPS) &&
                 (description->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE);
  char text[160] = "";
  DescriptionText(description, text, sizeof text);
  if (surface != nullptr) *surface = nullptr;
  if (PlatformCall("CreateSurface", primary ? "PRIMARY" : "OFFSCREEN", "%s, %s, outer=%s",
                   SoftLabelOf(self), text, outer ? "set" : "null"))
    return DDERR_GENERIC;
  if (!SoftUsable(self)) return DDERR_INVALIDOBJECT;
  if (surface == nullptr || description == nullptr || outer != nullptr ||
      description->dwSize != sizeof(DDSURFACEDESC))
    return DDERR_INVALIDPARAMS;
  if (!self->levelSet) return DDERR_NOCOOPERATIVELEVELSET;
  SoftSurface* created = nullptr;
  HRESULT result = primary ? CreatePrimaryChain(self, *description, &created)
                           : CreateOffscreen(self, *description, &created);
  if (result == DD_OK) *surface = created;
  return result;
}
