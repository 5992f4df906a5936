// Palettes: creation by the display object, reference counting and entries.
#include <cstring>

#include "call_trace.h"
#include "soft_ddraw_objects.h"

namespace {

// first + count within the 256 entries, reckoned without overflow.
bool RangeFits(DWORD first, DWORD count) { return first <= 256 && count <= 256 - first; }

}  // namespace

// Called by the display's palette set-up; the caller owns one reference.
HRESULT IDirectDraw::CreatePalette(DWORD flags, LPPALETTEENTRY entries,
                                   LPDIRECTDRAWPALETTE* palette, IUnknown* outer) {
  SoftDisplay* self = SoftDisplayFind(this);
  if (palette != nullptr) *palette = nullptr;
  if (PlatformCall("CreatePalette", nullptr, "%s, 0x%X, entries=%s, outer=%s", SoftLabelOf(self),
                   static_cast<unsigned>(flags), entries ? "set" : "null",
                   outer ? "set" : "null"))
    return DDERR_GENERIC;
  if (!SoftUsable(self)) return DDERR_INVALIDOBJECT;
  if (palette == nullptr || entries == nullptr || outer != nullptr || !(flags & DDPCAPS_8BIT))
    return DDERR_INVALIDPARAMS;
  if (!self->levelSet) return DDERR_NOCOOPERATIVELEVELSET;
  SoftPalette* created = SoftPaletteNew(self);
  if (created == nullptr) return DDERR_OUTOFMEMORY;
  std::memcpy(created->entries, entries, sizeof created->entries);
  *palette = created;
  return DD_OK;
}

ULONG IDirectDrawPalette::AddRef() { return SoftAddRef(SoftPaletteFind(this)); }

ULONG IDirectDrawPalette::Release() { return SoftRelease(SoftPaletteFind(this), SoftPaletteEnd); }

HRESULT IDirectDrawPalette::GetEntries(DWORD flags, DWORD base, DWORD count,
                                       LPPALETTEENTRY entries) {
  SoftPalette* self = SoftPaletteFind(this);
  if (PlatformCall("GetEntries", nullptr, "%s, 0x%X, %u, %u", SoftLabelOf(self),
                   static_cast<unsigned>(flags), static_cast<unsigned>(base),
                   static_cast<unsigned>(count)))
    return DDERR_GENERIC;
  if (!SoftUsable(self)) return DDERR_INVALIDOBJECT;
  if (flags != 0 || entries == nullptr || !RangeFits(base, count)) return DDERR_INVALIDPARAMS;
  std::memcpy(entries, self->entries + base, count * sizeof(PALETTEENTRY));
  return DD_OK;
}

// A change shows at the next present: hosts expand indices through the
// palette when presenting, as the hardware does.
HRESULT IDirectDrawPalette::SetEntries(DWORD flags, DWORD first, DWORD count,
                                       LPPALETTEENTRY entries) {
  SoftPalette* self = SoftPaletteFind(this);
  if (PlatformCall("SetEntries", nullptr, "%s, 0x%X, %u, %u", SoftLabelOf(self),
                   static_cast<unsigned>(flags), static_cast<unsigned>(first),
                   static_cast<unsigned>(count)))
    return DDERR_GENERIC;
  if (!SoftUsable(self)) return DDERR_INVALIDOBJECT;
  if (flags != 0 || entries == nullptr || !RangeFits(first, count)) return DDERR_INVALIDPARAMS;
  std::memcpy(self->entries + first, entries, count * sizeof(PALETTEENTRY));
  return DD_OK;
}
