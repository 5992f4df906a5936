// The tables behind every DirectDraw object: creation slots, pointer checks,
// labels, ending, zombies and the misuse count.
#include <cstdint>
#include <cstdio>

#include "call_trace.h"
#include "host.h"
#include "soft_ddraw.h"
#include "soft_ddraw_objects.h"

namespace {

// Slots are never reused before SoftDirectDrawReset, so a stale pointer
// always finds its own zombie.
enum { MAX_DISPLAYS = 16, MAX_SURFACES = 1024, MAX_PALETTES = 256 };

SoftDisplay displayTable[MAX_DISPLAYS];
SoftSurface surfaceTable[MAX_SURFACES];
SoftPalette paletteTable[MAX_PALETTES];
int displaysUsed = 0;
int surfacesUsed = 0;
int palettesUsed = 0;
int misuses = 0;
int unreleasedSurfaces = 0;
SoftDisplay* exclusiveOwner = nullptr;

void ObjectStart(SoftObject* object, const char* kind, int number, SoftDisplay* owner) {
  object->state = SoftState::Live;
  std::snprintf(object->label, sizeof object->label, "%s%d", kind, number);
  object->references = 1;
  object->owner = owner;
}

// The slot index of an interface pointer, or -1 when it is not one of the
// table's first `used` records.
template <typename Interface, typename Record>
int SlotOf(const Interface* pointer, const Record* table, int used) {
  if (pointer == nullptr) return -1;
  auto address = reinterpret_cast<std::uintptr_t>(pointer);
  auto first = reinterpret_cast<std::uintptr_t>(static_cast<const Interface*>(&table[0]));
  if (address < first) return -1;
  std::uintptr_t offset = address - first;
  if (offset % sizeof(Record) != 0) return -1;
  std::uintptr_t index = offset / sizeof(Record);
  return index < static_cast<std::uintptr_t>(used) ? static_cast<int>(index) : -1;
}

const char* LabelOf(const void* pointer, const SoftObject* object) {
  if (pointer == nullptr) return "null";
  return object != nullptr ? object->label : "unknown";
}

void SurfaceEndOne(SoftSurface* surface) {
  surface->object.state = SoftState::Ended;
  delete[] surface->pixels;
  surface->pixels = nullptr;
  surface->locked = false;
  surface->lockedPixels = nullptr;
  SoftPalette* palette = surface->palette;
  surface->palette = nullptr;
  SoftPaletteDrop(palette);
}

}  // namespace

SoftDisplay* SoftDisplayNew() {
  if (displaysUsed == MAX_DISPLAYS) return nullptr;
  SoftDisplay* display = &displayTable[displaysUsed++];
  ObjectStart(&display->object, "dd", displaysUsed, nullptr);
  return display;
}

SoftSurface* SoftSurfaceNew(SoftDisplay* owner) {
  if (surfacesUsed == MAX_SURFACES) return nullptr;
  SoftSurface* surface = &surfaceTable[surfacesUsed++];
  ObjectStart(&surface->object, "surface", surfacesUsed, owner);
  return surface;
}

SoftPalette* SoftPaletteNew(SoftDisplay* owner) {
  if (palettesUsed == MAX_PALETTES) return nullptr;
  SoftPalette* palette = &paletteTable[palettesUsed++];
  ObjectStart(&palette->object, "palette", palettesUsed, owner);
  return palette;
}

SoftDisplay* SoftDisplayFind(IDirectDraw* display) {
  int slot = SlotOf(display, displayTable, displaysUsed);
  return slot < 0 ? nullptr : &displayTable[slot];
}

SoftSurface* SoftSurfaceFind(IDirectDrawSurface* surface) {
  int slot = SlotOf(surface, surfaceTable, surfacesUsed);
  return slot < 0 ? nullptr : &surfaceTable[slot];
}

SoftPalette* SoftPaletteFind(IDirectDrawPalette* palette) {
  int slot = SlotOf(palette, paletteTable, palettesUsed);
  return slot < 0 ? nullptr : &paletteTable[slot];
}

bool SoftObjectUsable(const SoftObject* object) {
  if (object != nullptr && object->state == SoftState::Live) return true;
  ++misuses;
  return false;
}

void SoftCountMisuse() { ++misuses; }

const char* SoftDisplayLabel(IDirectDraw* display) {
  SoftDisplay* record = SoftDisplayFind(display);
  return LabelOf(display, record ? &record->object : nullptr);
}

const char* SoftSurfaceLabel(IDirectDrawSurface* surface) {
  SoftSurface* record = SoftSurfaceFind(surface);
  return LabelOf(surface, record ? &record->object : nullptr);
}

const char* SoftPaletteLabel(IDirectDrawPalette* palette) {
  SoftPalette* record = SoftPaletteFind(palette);
  return LabelOf(palette, record ? &record->object : nullptr);
}

void SoftSurfaceEnd(SoftSurface* surface) {
  SoftSurface* primary = surface->chainPrimary;
  if (primary == nullptr) {
    SurfaceEndOne(surface);
    return;
  }
  for (int i = 0; i < primary->chainLength; ++i) SurfaceEndOne(primary->chain[i]);
}

void SoftPaletteEnd(SoftPalette* palette) { palette->object.state = SoftState::Ended; }

void SoftPaletteDrop(SoftPalette* palette) {
  if (palette == nullptr || palette->object.state != SoftState::Live) return;
  if (--palette->object.references == 0) SoftPaletteEnd(palette);
}

void SoftNoteUnreleased(const SoftSurface* surface) {
  if (surface->object.state == SoftState::Live && surface->object.references > 0)
    ++unreleasedSurfaces;
}

void SoftDisplayEnd(SoftDisplay* display) {
  // Counted before anything ends: ending a primary ends its back buffers too.
  for (int i = 0; i < surfacesUsed; ++i) {
    if (surfaceTable[i].object.owner == display) SoftNoteUnreleased(&surfaceTable[i]);
  }
  for (int i = 0; i < surfacesUsed; ++i) {
    SoftSurface* surface = &surfaceTable[i];
    if (surface->object.state == SoftState::Live && surface->object.owner == display)
      SoftSurfaceEnd(surface);
  }
  for (int i = 0; i < palettesUsed; ++i) {
    SoftPalette* palette = &paletteTable[i];
    if (palette->object.state == SoftState::Live && palette->object.owner == display)
      SoftPaletteEnd(palette);
  }
  if (display->modeSet) HostRestoreDisplayMode();
  display->modeSet = false;
  if (exclusiveOwner == display) exclusiveOwner = nullptr;
  display->object.state = SoftState::Ended;
}

SoftDisplay* SoftExclusiveOwner() { return exclusiveOwner; }

void SoftSetExclusiveOwner(SoftDisplay* display) { exclusiveOwner = display; }

bool SoftPrimaryExists() {
  for (int i = 0; i < surfacesUsed; ++i) {
    const SoftSurface& surface = surfaceTable[i];
    if (surface.object.state == SoftState::Live && (surface.caps & DDSCAPS_PRIMARYSURFACE))
      return true;
  }
  return false;
}

void SoftSurfaceFillNoise(SoftSurface* surface) {
  // xorshift32 seeded by the slot, so every run restores the same garbage.
  std::uint32_t state = 0x9E3779B9u ^ static_cast<std::uint32_t>(surface - surfaceTable + 1);
  std::size_t bytes = static_cast<std::size_t>(surface->pitch) * surface->height;
  for (std::size_t i = 0; i < bytes; ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    surface->pixels[i] = static_cast<std::uint8_t>(state >> 24);
  }
}

void SoftRectText(const RECT* rect, char* text, int size) {
  if (!TraceLogging()) return;
  if (rect == nullptr) {
    std::snprintf(text, size, "null");
    return;
  }
  std::snprintf(text, size, "(%ld,%ld,%ld,%ld)", static_cast<long>(rect->left),
                static_cast<long>(rect->top), static_cast<long>(rect->right),
                static_cast<long>(rect->bottom));
}

bool SoftRectInside(const RECT& rect, int width, int height) {
  return rect.left >= 0 && rect.top >= 0 && rect.left < rect.right && rect.top < rect.bottom &&
         rect.right <= width && rect.bottom <= height;
}

// Called by hosts and tests between runs; every pointer handed out before
// becomes meaningless.
void SoftDirectDrawReset() {
  for (int i = 0; i < surfacesUsed; ++i) delete[] surfaceTable[i].pixels;
  for (int i = 0; i < MAX_DISPLAYS; ++i) displayTable[i] = SoftDisplay();
  for (int i = 0; i < MAX_SURFACES; ++i) surfaceTable[i] = SoftSurface();
  for (int i = 0; i < MAX_PALETTES; ++i) paletteTable[i] = SoftPalette();
  displaysUsed = surfacesUsed = palettesUsed = 0;
  misuses = 0;
  unreleasedSurfaces = 0;
  exclusiveOwner = nullptr;
}

int SoftDirectDrawLiveObjects() {
  int live = 0;
  for (int i = 0; i < displaysUsed; ++i) live += displayTable[i].object.state == SoftState::Live;
  for (int i = 0; i < surfacesUsed; ++i) live += surfaceTable[i].object.state == SoftState::Live;
  for (int i = 0; i < palettesUsed; ++i) live += paletteTable[i].object.state == SoftState::Live;
  return live;
}

int SoftDirectDrawMisuses() { return misuses; }

int SoftDirectDrawUnreleasedSurfaces() { return unreleasedSurfaces; }

// Called by a host when the exclusive display is taken away.
void SoftDirectDrawLoseSurfaces() {
  for (int i = 0; i < surfacesUsed; ++i)
    if (surfaceTable[i].object.state == SoftState::Live) surfaceTable[i].lost = true;
}
