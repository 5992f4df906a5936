// Every portable platform call announces itself here before it does any
// work: its name, the variant it is (a colour-fill Blt, a primary
// CreateSurface) and its arguments as typed values. The headless harness
// uses this to keep a record of the calls, to make chosen calls fail, and
// to notice a program that stops coming back to its message loop. In the
// demo nothing is armed and the cost of a call's announcement is one test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "win32_api.h"

enum class TraceKind : std::uint8_t { Number, Flags, Object, Text, Rect, Given };

// An object argument as recorded: kind "surface", "palette", "dd" or
// "hwnd" and its number from 1; -1 when the pointer is not one of ours.
struct TraceObject {
  const char* kind;
  int number;
};

// One argument as a call describes it: a few words, nothing copied, so it
// costs nothing until the trace looks at it. Made by the Trace* builders.
struct TraceArg {
  const char* field;
  TraceKind kind;
  bool given;  // false for a null pointer
  std::int64_t number;
  const void* pointer;                   // Text, Rect, Object
  TraceObject (*identify)(const void*);  // Object: names the pointer
};

inline TraceArg TraceNumber(const char* field, std::int64_t value) {
  return {field, TraceKind::Number, true, value, nullptr, nullptr};
}
inline TraceArg TraceFlags(const char* field, std::uint32_t value) {
  return {field, TraceKind::Flags, true, value, nullptr, nullptr};
}
inline TraceArg TraceText(const char* field, const char* text) {
  return {field, TraceKind::Text, text != nullptr, 0, text, nullptr};
}
inline TraceArg TraceRect(const char* field, const RECT* rect) {
  return {field, TraceKind::Rect, rect != nullptr, 0, rect, nullptr};
}
// A pointer whose contents do not matter: recorded as given or null.
inline TraceArg TraceGiven(const char* field, const void* pointer) {
  return {field, TraceKind::Given, pointer != nullptr, 0, nullptr, nullptr};
}
inline TraceArg TraceObjectArg(const char* field, const void* pointer,
                               TraceObject (*identify)(const void*)) {
  return {field, TraceKind::Object, pointer != nullptr, 0, pointer, identify};
}

// One argument as kept in the record, owning its text.
struct TraceValue {
  const char* field;
  TraceKind kind;
  bool given;
  std::int64_t number;     // Number, Flags; Object: its number
  const char* objectKind;  // Object
  RECT rect;               // Rect
  std::string text;        // Text

  // "surface3", "null", or "unknown" for a pointer that is not ours.
  std::string Label() const;
};

// One recorded call. Methods have their object first, as field "this".
struct TraceCall {
  const char* name;
  const char* variant;  // "" when the call has none
  std::vector<TraceValue> arguments;

  // The argument named field, or null.
  const TraceValue* Find(const char* field) const;
  // Its number (Number, Flags, Object); INT64_MIN when there is none.
  std::int64_t Number(const char* field) const;
  // Its label (Object), or "" when there is none.
  std::string Label(const char* field) const;
};

// The record as one line of text, "Name:VARIANT(this=surface2, flags=0x400)",
// for people reading a failure; nothing depends on its exact wording.
std::string TraceCallText(const TraceCall& call);

enum class FaultMode { Once, Always };

// Whether anything is recorded, armed or watched. The calls made thousands
// of times a frame (key reads, blits) test this inline and skip describing
// themselves altogether.
extern bool traceActive;
inline bool TraceActive() { return traceActive; }

// Called by PlatformCall when the trace is active: records the call and
// returns true when an armed fault makes it fail now.
bool TraceAnnounce(const char* name, const char* variant, const TraceArg* args, int count);

// Announces a call; true when it must fail now. variant may be null.
template <typename... Args>
inline bool PlatformCall(const char* name, const char* variant, const Args&... args) {
  if (!traceActive) return false;
  if constexpr (sizeof...(Args) == 0) {
    return TraceAnnounce(name, variant, nullptr, 0);
  } else {
    const TraceArg list[] = {args...};
    return TraceAnnounce(name, variant, list, static_cast<int>(sizeof...(Args)));
  }
}

// Consults the armed faults only: nothing recorded, no watchdog count. For
// calls too frequent to record, such as the memory allocator.
bool TraceFaultFires(const char* name, const char* variant);

// Arming, for the headless harness and tests. A fault with no variant (null
// or "") matches every variant of its call. skip: calls that match and
// pass before the fault starts to fire.
void TraceArmFault(const char* name, const char* variant, FaultMode mode, int skip = 0);
inline void TraceArmFault(const char* name, FaultMode mode, int skip = 0) {
  TraceArmFault(name, nullptr, mode, skip);
}
void TraceDisarmFaults();

void TraceSetRecording(bool on);
// The recorded calls, oldest first; owned by the trace until cleared.
const std::vector<TraceCall>& TraceLog();
void TraceClearLog();

// Calls allowed between two passes of the program's message loop before
// the program is taken to hang (0: unlimited). The handler, set by the
// harness, runs once when that happens; it throws so that a hung run ends
// as a test failure instead of hanging the test.
void TraceSetWatchdog(std::int64_t callsPerPass);
void TraceSetHangHandler(void (*handler)());

// Called by PeekMessageA on every pass of the program's message loop, after
// announcing itself: restarts the watchdog's count and runs the pass
// handler, through which the harness plays its script for that pass.
void TraceLoopPass();
void TraceSetPassHandler(void (*handler)());
