// The display object: creation, release, cooperative level and display mode.
#include "ddraw_lifetime.h"
#include "host.h"
#include "window_table.h"

namespace {

// The largest display mode a host is asked for.
enum { MAX_MODE_SIDE = 8192 };

}  // namespace

// Called by the system's display set-up; the caller owns one reference to
// the new display object.
HRESULT WINAPI DirectDrawCreate(GUID* driver, LPDIRECTDRAW* displayObject, IUnknown* outer) {
  if (PlatformCall("DirectDrawCreate", nullptr, TraceGiven("driver", driver),
                   TraceGiven("outer", outer))) {
    if (displayObject != nullptr) *displayObject = nullptr;
    return DDERR_GENERIC;
  }
  if (displayObject == nullptr) return DDERR_INVALIDPARAMS;
  *displayObject = nullptr;
  // Only the default display driver exists here.
  if (driver != nullptr || outer != nullptr) return DDERR_INVALIDPARAMS;
  SoftDisplay* display = softDisplays.New(nullptr);
  if (display == nullptr) return DDERR_OUTOFMEMORY;
  *displayObject = display;
  return DD_OK;
}

// The last release ends every surface and palette the display object made.
ULONG IDirectDraw::Release() { return SoftRelease(this, SoftDisplayEnd); }

HRESULT IDirectDraw::SetCooperativeLevel(HWND window, DWORD flags) {
  SoftDisplay* self = nullptr;
  if (HRESULT refused = SoftEnter(this, &self, "SetCooperativeLevel", nullptr,
                                  WindowArg("window", window), TraceFlags("flags", flags)))
    return refused;
  bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
  bool fullscreen = (flags & DDSCL_FULLSCREEN) != 0;
  bool normal = (flags & DDSCL_NORMAL) != 0;
  if (exclusive != fullscreen || exclusive == normal) return DDERR_INVALIDPARAMS;
  if (exclusive) {
    if (!WindowIsLive(window)) return DDERR_INVALIDPARAMS;
    SoftDisplay* owner = SoftExclusiveOwner();
    if (owner != nullptr && owner != self) return DDERR_EXCLUSIVEMODEALREADYSET;
    SoftSetExclusiveOwner(self);
  } else if (SoftExclusiveOwner() == self) {
    SoftSetExclusiveOwner(nullptr);
  }
  self->levelSet = true;
  return DD_OK;
}

HRESULT IDirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) {
  SoftDisplay* self = nullptr;
  if (HRESULT refused = SoftEnter(this, &self, "SetDisplayMode", nullptr,
                                  TraceNumber("width", width), TraceNumber("height", height),
                                  TraceNumber("bitsPerPixel", bitsPerPixel)))
    return refused;
  if (SoftExclusiveOwner() != self) return DDERR_NOEXCLUSIVEMODE;
  if (bitsPerPixel != 8 || width == 0 || height == 0 || width > MAX_MODE_SIDE ||
      height > MAX_MODE_SIDE)
    return DDERR_INVALIDMODE;
  int modeWidth = static_cast<int>(width);
  int modeHeight = static_cast<int>(height);
  if (PlatformCall("HostSetDisplayMode", nullptr, TraceNumber("width", modeWidth),
                   TraceNumber("height", modeHeight), TraceNumber("bitsPerPixel", 8)) ||
      !HostSetDisplayMode(modeWidth, modeHeight, 8))
    return DDERR_INVALIDMODE;
  self->modeSet = true;
  self->modeWidth = modeWidth;
  self->modeHeight = modeHeight;
  return DD_OK;
}
