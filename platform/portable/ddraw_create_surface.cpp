// CreateSurface: the primary flip chain and off-screen plain surfaces.
#include <new>

#include "ddraw_lifetime.h"
#include "host.h"

namespace {

enum { MAX_SURFACE_SIDE = 8192 };

const DWORD kVideoMemory = DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
const DWORD kOffscreenCaps =
    DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
// Client-supplied memory and pitch are refused as invalid; a colour key
// given at creation is not offered (SetColorKey sets one).
const DWORD kRefusedFlags = DDSD_PITCH | DDSD_LPSURFACE;
const DWORD kUnofferedFlags = DDSD_CKSRCBLT;

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

bool PrimaryExists() {
  for (int i = 0; i < softSurfaces.Used(); ++i) {
    const SoftSurface& surface = softSurfaces[i];
    if (surface.object.state == SoftState::Live && (surface.caps & DDSCAPS_PRIMARYSURFACE))
      return true;
  }
  return false;
}

// A surface of the flip chain sized like the display mode, or null.
SoftSurface* ChainMember(SoftDisplay* display, SoftSurface* primary, DWORD caps) {
  SoftSurface* surface = softSurfaces.New(display);
  if (surface == nullptr) return nullptr;
  surface->caps = DDSCAPS_FLIP | DDSCAPS_COMPLEX | kVideoMemory | caps;
  if (!SurfaceAllocate(surface, display->modeWidth, display->modeHeight)) {
    SoftSurfaceEnd(surface);  // not yet in the chain: ends alone
    return nullptr;
  }
  surface->primary = primary != nullptr ? primary : surface;
  return surface;
}

// The front buffer and its one back buffer, both sized like the display
// mode. The back buffer carries no external reference until
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
  if (backBuffers < 1) return DDERR_INVALIDPARAMS;
  // Only double buffering is offered.
  if (backBuffers > 1 || (desc.dwFlags & kUnofferedFlags)) return DDERR_UNSUPPORTED;
  if (PrimaryExists()) return DDERR_PRIMARYSURFACEALREADYEXISTS;

  SoftSurface* primary =
      ChainMember(display, nullptr, DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER);
  if (primary == nullptr) return DDERR_OUTOFMEMORY;
  primary->back = ChainMember(display, primary, DDSCAPS_BACKBUFFER);
  if (primary->back == nullptr) {
    SoftSurfaceEnd(primary);
    return DDERR_OUTOFMEMORY;
  }
  primary->back->object.references = 0;
  *created = primary;
  return DD_OK;
}

HRESULT CreateOffscreen(SoftDisplay* display, const DDSURFACEDESC& desc, SoftSurface** created) {
  DWORD caps = (desc.dwFlags & DDSD_CAPS) ? desc.ddsCaps.dwCaps : DDSCAPS_OFFSCREENPLAIN;
  if ((desc.dwFlags & kRefusedFlags) || (desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) !=
                                            (DDSD_WIDTH | DDSD_HEIGHT))
    return DDERR_INVALIDPARAMS;
  if (desc.dwFlags & kUnofferedFlags) return DDERR_UNSUPPORTED;
  if (desc.dwWidth < 1 || desc.dwHeight < 1 || desc.dwWidth > MAX_SURFACE_SIDE ||
      desc.dwHeight > MAX_SURFACE_SIDE)
    return DDERR_INVALIDPARAMS;
  if ((caps & ~kOffscreenCaps) ||
      ((caps & DDSCAPS_SYSTEMMEMORY) && (caps & DDSCAPS_VIDEOMEMORY)))
    return DDERR_INVALIDCAPS;
  if ((desc.dwFlags & DDSD_PIXELFORMAT) &&
      !(desc.ddpfPixelFormat.dwFlags & DDPF_PALETTEINDEXED8))
    return DDERR_INVALIDPIXELFORMAT;

  SoftSurface* surface = softSurfaces.New(display);
  if (surface == nullptr) return DDERR_OUTOFMEMORY;
  surface->caps =
      DDSCAPS_OFFSCREENPLAIN | ((caps & DDSCAPS_VIDEOMEMORY) ? kVideoMemory : DDSCAPS_SYSTEMMEMORY);
  if (!SurfaceAllocate(surface, static_cast<int>(desc.dwWidth), static_cast<int>(desc.dwHeight))) {
    SoftSurfaceEnd(surface);
    return DDERR_OUTOFMEMORY;
  }
  *created = surface;
  return DD_OK;
}

}  // namespace

// Called by the display set-up (the flip chain) and by sprites (off-screen
// surfaces); the caller owns one reference to the new surface.
HRESULT IDirectDraw::CreateSurface(LPDDSURFACEDESC description, LPDIRECTDRAWSURFACE* surface,
                                   IUnknown* outer) {
  static const DDSURFACEDESC kNone = {};
  const DDSURFACEDESC& desc = description != nullptr ? *description : kNone;
  bool primary = (desc.dwFlags & DDSD_CAPS) && (desc.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE);
  if (surface != nullptr) *surface = nullptr;
  SoftDisplay* self = nullptr;
  if (HRESULT refused = SoftEnter(
          this, &self, "CreateSurface", primary ? "PRIMARY" : "OFFSCREEN",
          TraceGiven("description", description), TraceNumber("dwSize", desc.dwSize),
          TraceFlags("dwFlags", desc.dwFlags), TraceFlags("dwCaps", desc.ddsCaps.dwCaps),
          TraceNumber("dwWidth", desc.dwWidth), TraceNumber("dwHeight", desc.dwHeight),
          TraceNumber("dwBackBufferCount", desc.dwBackBufferCount), TraceGiven("outer", outer)))
    return refused;
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
