// The software DirectDraw's object records, shared by its ddraw_*.cpp files
// only. Every object lives in a fixed table slot from its creation until
// SoftDirectDrawReset; an ended object stays in its slot as a zombie, so a
// later call through a stale pointer is recognised instead of touching
// freed memory.
#pragma once

#include <cstdint>

#include "call_trace.h"
#include "ddraw_api.h"

enum class SoftState : std::uint8_t { Unused, Live, Ended };

struct SoftDisplay;

// What every DirectDraw object carries: its state, its log label ("surface3")
// and its external reference count.
struct SoftObject {
  SoftState state;
  char label[24];
  ULONG references;
  SoftDisplay* owner;  // the display object that created it; null for a display
};

struct SoftPalette : IDirectDrawPalette {
  SoftObject object;
  PALETTEENTRY entries[256];
};

enum { SOFT_MAX_CHAIN = 4 };  // a primary and up to three back buffers

struct SoftSurface : IDirectDrawSurface {
  SoftObject object;
  DWORD caps;  // as reported by GetSurfaceDesc and Lock
  // Flip chain: front first. Kept on the primary; chainPrimary points back
  // to it from every member and is null for an off-screen surface.
  SoftSurface* chain[SOFT_MAX_CHAIN];
  int chainLength;
  SoftSurface* chainPrimary;
  int width;
  int height;
  int pitch;
  std::uint8_t* pixels;  // height rows of pitch bytes, owned; swapped by Flip
  std::uint8_t* lockedPixels;  // what the current Lock handed out, or null
  bool locked;
  bool lost;
  bool hasSourceKey;
  DWORD keyLow;  // source colour-key range, inclusive, as given
  DWORD keyHigh;
  SoftPalette* palette;  // one reference held while attached
};

struct SoftDisplay : IDirectDraw {
  SoftObject object;
  DWORD cooperativeFlags;
  bool levelSet;
  HWND window;
  bool modeSet;
  int modeWidth;
  int modeHeight;
};

// Slots. Each returns null when its table is full. The new object is Live
// with one reference and a fresh label; the caller fills in the rest.
SoftDisplay* SoftDisplayNew();
SoftSurface* SoftSurfaceNew(SoftDisplay* owner);
SoftPalette* SoftPaletteNew(SoftDisplay* owner);

// Maps an interface pointer to its record; null when the pointer is null or
// not one of ours (a pointer from nowhere is never dereferenced).
SoftDisplay* SoftDisplayFind(IDirectDraw* display);
SoftSurface* SoftSurfaceFind(IDirectDrawSurface* surface);
SoftPalette* SoftPaletteFind(IDirectDrawPalette* palette);

// Called at the top of every method: true when the object may be used;
// otherwise the call is counted as a misuse.
bool SoftObjectUsable(const SoftObject* object);
void SoftCountMisuse();

template <typename Record>
bool SoftUsable(const Record* record) {
  return SoftObjectUsable(record != nullptr ? &record->object : nullptr);
}

// The label of a record found for `this`; "unknown" when it was not ours.
template <typename Record>
const char* SoftLabelOf(const Record* record) {
  return record != nullptr ? record->object.label : "unknown";
}

// AddRef and Release of every interface. end runs when the count reaches
// zero; a count already at zero (a back buffer nobody holds) is a misuse.
template <typename Record>
ULONG SoftAddRef(Record* self) {
  if (PlatformCall("AddRef", nullptr, "%s", SoftLabelOf(self))) return 0;
  if (!SoftUsable(self)) return 0;
  return ++self->object.references;
}

template <typename Record>
ULONG SoftRelease(Record* self, void (*end)(Record*)) {
  if (PlatformCall("Release", nullptr, "%s", SoftLabelOf(self))) return 0;
  if (!SoftUsable(self)) return 0;
  if (self->object.references == 0) {
    SoftCountMisuse();
    return 0;
  }
  if (--self->object.references == 0) end(self);
  return self->object.references;
}

// Log labels for arguments: "surface3", "null", or "unknown" for a pointer
// that is not one of ours.
const char* SoftDisplayLabel(IDirectDraw* display);
const char* SoftSurfaceLabel(IDirectDrawSurface* surface);
const char* SoftPaletteLabel(IDirectDrawPalette* palette);

// Ending. A surface drops its palette reference and frees its pixels; the
// primary of a flip chain ends the whole chain. A display ends everything it
// created and restores the display mode it set.
void SoftSurfaceEnd(SoftSurface* surface);
void SoftPaletteEnd(SoftPalette* palette);
void SoftDisplayEnd(SoftDisplay* display);

// Called just before an owner ends surface (as part of a display object or
// a flip chain): counts it when the caller still holds a reference to it.
void SoftNoteUnreleased(const SoftSurface* surface);

// Drops one palette reference held by a surface; the palette ends at zero.
void SoftPaletteDrop(SoftPalette* palette);

// The display object holding exclusive mode, or null.
SoftDisplay* SoftExclusiveOwner();
void SoftSetExclusiveOwner(SoftDisplay* display);

// Whether any live surface is a primary.
bool SoftPrimaryExists();

// Fills a surface's rows with a fixed pseudo-random pattern: what a restored
// surface holds until the program draws it again.
void SoftSurfaceFillNoise(SoftSurface* surface);

// Writes "(l,t,r,b)" or "null" into text when logging is on.
void SoftRectText(const RECT* rect, char* text, int size);

// Whether rect lies inside a width x height surface and is not empty
// (right and bottom exclusive).
bool SoftRectInside(const RECT& rect, int width, int height);
