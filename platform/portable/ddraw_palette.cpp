// Palettes: creation by the display object, release and entries.
#include <cstring>

#include "ddraw_lifetime.h"

// Called by the display's palette set-up; the caller owns one reference.
HRESULT IDirectDraw::CreatePalette(DWORD flags, LPPALETTEENTRY entries,
                                   LPDIRECTDRAWPALETTE* palette, IUnknown* outer) {
  if (palette != nullptr) *palette = nullptr;
  SoftDisplay* self = nullptr;
  if (HRESULT refused = SoftEnter(this, &self, "CreatePalette", nullptr, TraceFlags("flags", flags),
                                  TraceGiven("entries", entries), TraceGiven("outer", outer)))
    return refused;
  if (palette == nullptr || entries == nullptr || outer != nullptr || !(flags & DDPCAPS_8BIT))
    return DDERR_INVALIDPARAMS;
  if (!self->levelSet) return DDERR_NOCOOPERATIVELEVELSET;
  SoftPalette* created = softPalettes.New(self);
  if (created == nullptr) return DDERR_OUTOFMEMORY;
  std::memcpy(created->entries, entries, sizeof created->entries);
  *palette = created;
  return DD_OK;
}

ULONG IDirectDrawPalette::Release() { return SoftRelease(this, SoftPaletteEnd); }

// A change shows at the next present: hosts expand indices through the
// palette when presenting, as the hardware does. first + count must lie
// within the 256 entries.
HRESULT IDirectDrawPalette::SetEntries(DWORD flags, DWORD first, DWORD count,
                                       LPPALETTEENTRY entries) {
  SoftPalette* self = nullptr;
  if (HRESULT refused =
          SoftEnter(this, &self, "SetEntries", nullptr, TraceFlags("flags", flags),
                    TraceNumber("first", first), TraceNumber("count", count)))
    return refused;
  bool fits = first <= 256 && count <= 256 - first;
  if (flags != 0 || entries == nullptr || !fits) return DDERR_INVALIDPARAMS;
  std::memcpy(self->entries + first, entries, count * sizeof(PALETTEENTRY));
  return DD_OK;
}
