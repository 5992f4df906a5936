// Window classes: a small table of names and procedures. Classes are found
// by name only; atoms, which the program never passes, find nothing.
#include <strings.h>

#include <cstdint>
#include <cstring>

#include "window_classes.h"

namespace {

enum { MAX_CLASSES = 32, FIRST_ATOM = 0xC000 };

struct WindowClassRecord {
  bool used;
  char name[256];
  WNDPROC procedure;
};

WindowClassRecord classTable[MAX_CLASSES];

bool IsAtom(LPCSTR name) { return reinterpret_cast<std::uintptr_t>(name) < 0x10000; }

int ClassFind(LPCSTR name) {
  if (IsAtom(name)) return -1;
  for (int i = 0; i < MAX_CLASSES; ++i)
    if (classTable[i].used && strcasecmp(classTable[i].name, name) == 0) return i;
  return -1;
}

}  // namespace

// Called by the program's start-up; returns the class atom, or 0.
ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
  if (PlatformCall(
          "RegisterClassA", nullptr, TraceGiven("class", windowClass),
          TraceFlags("style", windowClass ? windowClass->style : 0u),
          WindowClassArg("name", windowClass ? windowClass->lpszClassName : nullptr),
          TraceGiven("procedure", windowClass && windowClass->lpfnWndProc ? windowClass : nullptr)))
    return 0;
  if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr ||
      IsAtom(windowClass->lpszClassName))
    return 0;
  std::size_t length = std::strlen(windowClass->lpszClassName);
  if (length == 0 || length >= sizeof classTable[0].name) return 0;
  if (ClassFind(windowClass->lpszClassName) >= 0) return 0;
  for (int i = 0; i < MAX_CLASSES; ++i) {
    if (classTable[i].used) continue;
    classTable[i].used = true;
    std::memcpy(classTable[i].name, windowClass->lpszClassName, length + 1);
    classTable[i].procedure = windowClass->lpfnWndProc;
    return static_cast<ATOM>(FIRST_ATOM + i);
  }
  return 0;
}

WNDPROC WindowClassProcedure(LPCSTR name) {
  int index = ClassFind(name);
  return index < 0 ? nullptr : classTable[index].procedure;
}

TraceArg WindowClassArg(const char* field, LPCSTR name) {
  if (name != nullptr && IsAtom(name))
    return TraceNumber(field, static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(name)));
  return TraceText(field, name);
}

void WindowClassesReset() {
  for (WindowClassRecord& record : classTable) record = WindowClassRecord();
}
