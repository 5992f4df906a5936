// The tables behind every DirectDraw object: slots handed out in order and
// never reused before the platform is reset, so a stale pointer always finds
// its own ended record; the count of calls the program made on ended
// objects; and the common opening of every DirectDraw method.
#pragma once

#include <cstdint>

#include "call_trace.h"
#include "soft_ddraw_records.h"

// One table of Capacity records of one kind, named Kind in the trace.
template <typename Record, typename Interface, int Capacity>
class SoftTable {
 public:
  explicit SoftTable(const char* kind) : kind_(kind) {}

  // A Live record with one reference and the next number, or null when the
  // table is full. The caller fills in the rest.
  Record* New(SoftDisplay* owner) {
    if (used_ == Capacity) return nullptr;
    Record* record = &records_[used_++];
    record->object = {SoftState::Live, used_, 1, owner};
    return record;
  }

  // The record behind an interface pointer, or null when the pointer is
  // null or not one of this table's (such a pointer is never dereferenced).
  Record* Find(const Interface* pointer) {
    if (pointer == nullptr) return nullptr;
    auto address = reinterpret_cast<std::uintptr_t>(pointer);
    auto first = reinterpret_cast<std::uintptr_t>(static_cast<const Interface*>(&records_[0]));
    if (address < first || (address - first) % sizeof(Record) != 0) return nullptr;
    std::uintptr_t slot = (address - first) / sizeof(Record);
    return slot < static_cast<std::uintptr_t>(used_) ? &records_[slot] : nullptr;
  }

  TraceObject Identify(const Interface* pointer) {
    Record* record = Find(pointer);
    return {kind_, record != nullptr ? record->object.number : -1};
  }

  int Used() const { return used_; }
  Record& operator[](int slot) { return records_[slot]; }

  int Live() const {
    int live = 0;
    for (int i = 0; i < used_; ++i) live += records_[i].object.state == SoftState::Live;
    return live;
  }

  void Reset() {
    for (Record& record : records_) record = Record();
    used_ = 0;
  }

 private:
  Record records_[Capacity];
  int used_ = 0;
  const char* kind_;
};

using SoftDisplayTable = SoftTable<SoftDisplay, IDirectDraw, 16>;
using SoftSurfaceTable = SoftTable<SoftSurface, IDirectDrawSurface, 1024>;
using SoftPaletteTable = SoftTable<SoftPalette, IDirectDrawPalette, 256>;

extern SoftDisplayTable softDisplays;
extern SoftSurfaceTable softSurfaces;
extern SoftPaletteTable softPalettes;

inline SoftDisplayTable& SoftTableOf(const IDirectDraw*) { return softDisplays; }
inline SoftSurfaceTable& SoftTableOf(const IDirectDrawSurface*) { return softSurfaces; }
inline SoftPaletteTable& SoftTableOf(const IDirectDrawPalette*) { return softPalettes; }

// An interface pointer as a trace argument: "surface3", "null" or "unknown".
template <typename Interface>
TraceObject SoftIdentify(const void* pointer) {
  auto* typed = static_cast<const Interface*>(pointer);
  return SoftTableOf(typed).Identify(typed);
}
template <typename Interface>
TraceArg SoftArg(const char* field, const Interface* pointer) {
  return TraceObjectArg(field, pointer, SoftIdentify<Interface>);
}

// Whether an object may be used; a call on an ended object, or through a
// pointer that is not ours, is counted as a misuse by the program.
bool SoftUsable(const SoftObject* object);
template <typename Record>
bool SoftUsable(const Record* record) {
  return SoftUsable(record != nullptr ? &record->object : nullptr);
}
void SoftCountMisuse();

// The opening of every DirectDraw method: finds the record behind self,
// announces the call with its arguments and checks that the object may be
// used. Returns DD_OK to go on, else what the method must return at once.
template <typename Interface, typename Record, typename... Args>
HRESULT SoftEnter(Interface* self, Record** record, const char* name, const char* variant,
                  const Args&... args) {
  *record = SoftTableOf(self).Find(self);
  if (PlatformCall(name, variant, SoftArg("this", self), args...)) return DDERR_GENERIC;
  return SoftUsable(*record) ? DD_OK : DDERR_INVALIDOBJECT;
}

// The display object holding exclusive mode, or null.
SoftDisplay* SoftExclusiveOwner();
void SoftSetExclusiveOwner(SoftDisplay* display);

// Counted when an owner ends a surface the program still holds a reference
// to: a missing Release in the program.
void SoftNoteUnreleased(const SoftSurface* surface);
