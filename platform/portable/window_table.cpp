#include "window_table.h"

namespace {

enum { MAX_WINDOWS = 32 };

const std::uintptr_t kHandleBase = 0x10000;

WindowRecord windowTable[MAX_WINDOWS];
int windowsUsed = 0;
bool screenOpened = false;
HWND screenWindow = nullptr;

int SlotOf(HWND window) {
  auto value = reinterpret_cast<std::uintptr_t>(window);
  if (value <= kHandleBase || (value - kHandleBase) % 4 != 0) return -1;
  std::uintptr_t slot = (value - kHandleBase) / 4 - 1;
  return slot < static_cast<std::uintptr_t>(windowsUsed) ? static_cast<int>(slot) : -1;
}

TraceObject IdentifyWindow(const void* window) {
  int slot = SlotOf(static_cast<HWND>(const_cast<void*>(window)));
  return {"hwnd", slot < 0 ? -1 : slot + 1};
}

}  // namespace

WindowRecord* WindowNew(HWND* handle) {
  if (windowsUsed == MAX_WINDOWS) return nullptr;
  int slot = windowsUsed++;
  windowTable[slot] = {WindowState::Live, nullptr, 0, 0};
  *handle = reinterpret_cast<HWND>(kHandleBase + (static_cast<std::uintptr_t>(slot) + 1) * 4);
  return &windowTable[slot];
}

WindowRecord* WindowFind(HWND window) {
  int slot = SlotOf(window);
  return slot < 0 ? nullptr : &windowTable[slot];
}

WindowRecord* WindowFindLive(HWND window) {
  WindowRecord* record = WindowFind(window);
  bool live = record != nullptr &&
              (record->state == WindowState::Live || record->state == WindowState::Destroying);
  return live ? record : nullptr;
}

TraceArg WindowArg(const char* field, HWND window) {
  return TraceObjectArg(field, window, IdentifyWindow);
}

HWND WindowScreen() { return WindowIsLive(screenWindow) ? screenWindow : nullptr; }

bool WindowScreenOpened() { return screenOpened; }

void WindowSetScreen(HWND window) {
  screenOpened = true;
  screenWindow = window;
}

void WindowTableReset() {
  for (WindowRecord& record : windowTable) record = WindowRecord();
  windowsUsed = 0;
  screenOpened = false;
  screenWindow = nullptr;
}
