// The display object: creation, reference counting, cooperative level and
// display mode.
#include "call_trace.h"
#include "host.h"
#include "soft_ddraw_objects.h"
#include "user32_internal.h"

namespace {

// The largest display mode a host is asked for.
enum { MAX_MODE_SIDE = 8192 };

}  // namespace

// Called by the system's display set-up; the caller owns one reference to
// the new display object.
HRESULT WINAPI DirectDrawCreate(GUID* driver, LPDIRECTDRAW* displayObject, IUnknown* outer) {
  if (PlatformCall("DirectDrawCreate", nullptr, "guid=%s, outer=%s", driver ? "set" : "null",
                   outer ? "set" : "null")) {
    if (displayObject != nullptr) *displayObject = nullptr;
    return DDERR_GENERIC;
  }
  if (displayObject == nullptr) return DDERR_INVALIDPARAMS;
  *displayObject = nullptr;
  // Only the default display driver exists here.
  if (driver != nullptr || outer != nullptr) return DDERR_INVALIDPARAMS;
  SoftDisplay* display = SoftDisplayNew();
  if (display == nullptr) return DDERR_OUTOFMEMORY;
  *displayObject = display;
  return DD_OK;
}

ULONG IDirectDraw::AddRef() { return SoftAddRef(SoftDisplayFind(this)); }

// The last release ends every surface and palette the display object made.
ULONG IDirectDraw::Release() { return SoftRelease(SoftDisplayFind(this), SoftDisplayEnd); }

HRESULT IDirectDraw::SetCooperativeLevel(HWND window, DWORD flags) {
  SoftDisplay* self = SoftDisplayFind(this);
  if (PlatformCall("SetCooperativeLevel", nullptr, "%s, %s, 0x%X", SoftLabelOf(self),
                   WindowLayerLabel(window), static_cast<unsigned>(flags)))
    return DDERR_GENERIC;
  if (!SoftUsable(self)) return DDERR_INVALIDOBJECT;
  bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
  bool fullscreen = (flags & DDSCL_FULLSCREEN) != 0;
  bool normal = (flags & DDSCL_NORMAL) != 0;
  if (exclusive != fullscreen || exclusive == normal) return DDERR_INVALIDPARAMS;
  if (exclusive) {
    if (!WindowLayerIsWindow(window)) return DDERR_INVALIDPARAMS;
    SoftDisplay* owner = SoftExclusiveOwner();
    if (owner != nullptr && owner != self) return DDERR_EXCLUSIVEMODEALREADYSET;
    SoftSetExclusiveOwner(self);
  } else if (SoftExclusiveOwner() == self) {
    SoftSetExclusiveOwner(nullptr);
  }
  self->cooperativeFlags = flags;
  self->window = window;
  self->levelSet = true;
  return DD_OK;
}

HRESULT IDirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) {
  SoftDisplay* self = SoftDisplayFind(this);
  if (PlatformCall("SetDisplayMode", nullptr, "%s, %u, %u, %u", SoftLabelOf(self),
                   static_cast<unsigned>(width), static_cast<unsigned>(height),
                   static_cast<unsigned>(bitsPerPixel)))
    return DDERR_GENERIC;
  if (!SoftUsable(self)) return DDERR_INVALIDOBJECT;
  if (SoftExclusiveOwner() != self) return DDERR_NOEXCLUSIVEMODE;
  if (bitsPerPixel != 8 || width == 0 || height == 0 || width > MAX_MODE_SIDE ||
      height > MAX_MODE_SIDE)
    return DDERR_INVALIDMODE;
  int modeWidth = static_cast<int>(width);
  int modeHeight = static_cast<int>(height);
  if (!HostSetDisplayMode(modeWidth, modeHeight, 8)) return DDERR_INVALIDMODE;
  self->modeSet = true;
  self->modeWidth = modeWidth;
  self->modeHeight = modeHeight;
  return DD_OK;
}

HRESULT IDirectDraw::RestoreDisplayMode() {
  SoftDisplay* self = SoftDisplayFind(this);
  if (PlatformCall("RestoreDisplayMode", nullptr, "%s", SoftLabelOf(self))) return DDERR_GENERIC;
  if (!SoftUsable(self)) return DDERR_INVALIDOBJECT;
  if (self->modeSet) HostRestoreDisplayMode();
  self->modeSet = false;
  return DD_OK;
}
