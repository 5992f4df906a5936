// The thread's message queue with Win32's rules: posted messages first, in
// order, one per PeekMessageA; WM_QUIT only once nothing posted is pending.
// A fixed ring with Win32's limit of 10,000 posted messages.
#include <cstdio>

#include "call_trace.h"
#include "host.h"
#include "user32_internal.h"
#include "window_layer.h"

namespace {

enum { QUEUE_CAPACITY = 10000 };

MSG ring[QUEUE_CAPACITY];
int head = 0;
int count = 0;
bool quitRequested = false;
int quitCode = 0;

MSG& QueueAt(int offset) { return ring[(head + offset) % QUEUE_CAPACITY]; }

// Closes the gap left by a message taken from the middle of the queue.
void QueueRemove(int offset) {
  if (offset == 0) {
    head = (head + 1) % QUEUE_CAPACITY;
  } else {
    for (int i = offset; i + 1 < count; ++i) QueueAt(i) = QueueAt(i + 1);
  }
  --count;
}

bool Matches(const MSG& message, HWND window, UINT filterMin, UINT filterMax) {
  if (window != nullptr && message.hwnd != window) return false;
  if (filterMin == 0 && filterMax == 0) return true;
  return message.message >= filterMin && message.message <= filterMax;
}

// The oldest posted message the filter admits, or -1.
int QueueFind(HWND window, UINT filterMin, UINT filterMax) {
  for (int i = 0; i < count; ++i)
    if (Matches(QueueAt(i), window, filterMin, filterMax)) return i;
  return -1;
}

}  // namespace

bool WindowLayerPost(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != nullptr && !WindowLayerIsWindow(window)) return false;
  if (count == QUEUE_CAPACITY) return false;
  MSG& slot = QueueAt(count++);
  slot = MSG();
  slot.hwnd = window;
  slot.message = message;
  slot.wParam = wParam;
  slot.lParam = lParam;
  return true;
}

// Called by the program to queue a message for a window (or, with a null
// window, for the thread). FALSE when the window is gone or the queue full.
BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (PlatformCall("PostMessageA", nullptr, "%s, 0x%X, 0x%lX, 0x%lX", WindowLayerLabel(window),
                   message, static_cast<unsigned long>(wParam), static_cast<unsigned long>(lParam)))
    return FALSE;
  return WindowLayerPost(window, message, wParam, lParam) ? TRUE : FALSE;
}

void WINAPI PostQuitMessage(int exitCode) {
  if (PlatformCall("PostQuitMessage", nullptr, "%d", exitCode)) return;
  quitRequested = true;
  quitCode = exitCode;
}

// Called once per pass of the program's loop: lets the host pump its own
// events first (a close request becomes WM_CLOSE for the program's window).
BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax,
                         UINT removeFlags) {
  TraceLoopPass();
  bool fail = PlatformCall("PeekMessageA", nullptr, "%s, 0x%X, 0x%X, 0x%X",
                           WindowLayerLabel(window), filterMin, filterMax, removeFlags);
  // The host is pumped even when the call is made to fail, so a program
  // that keeps calling still sees time pass and the user's requests.
  if (HostPumpEvents()) {
    HWND screen = WindowLayerScreenWindow();
    if (screen != nullptr) WindowLayerPost(screen, WM_CLOSE, 0, 0);
  }
  if (fail || message == nullptr) return FALSE;
  bool remove = (removeFlags & PM_REMOVE) != 0;
  int found = QueueFind(window, filterMin, filterMax);
  if (found >= 0) {
    *message = QueueAt(found);
    if (remove) QueueRemove(found);
    return TRUE;
  }
  bool quitInRange = (filterMin == 0 && filterMax == 0) ||
                     (WM_QUIT >= filterMin && WM_QUIT <= filterMax);
  if (quitRequested && window == nullptr && quitInRange) {
    *message = MSG();
    message->message = WM_QUIT;
    message->wParam = static_cast<WPARAM>(quitCode);
    if (remove) quitRequested = false;
    return TRUE;
  }
  return FALSE;
}

// No character messages are made: key state is read with GetAsyncKeyState.
BOOL WINAPI TranslateMessage(const MSG* message) {
  PlatformCall("TranslateMessage", nullptr, "%s, 0x%X",
               message ? WindowLayerLabel(message->hwnd) : "null", message ? message->message : 0u);
  return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
  if (PlatformCall("DispatchMessageA", nullptr, "%s, 0x%X, 0x%lX, 0x%lX",
                   message ? WindowLayerLabel(message->hwnd) : "null",
                   message ? message->message : 0u,
                   message ? static_cast<unsigned long>(message->wParam) : 0ul,
                   message ? static_cast<unsigned long>(message->lParam) : 0ul))
    return 0;
  if (message == nullptr) return 0;
  WNDPROC procedure = WindowLayerProcedure(message->hwnd);
  if (procedure == nullptr) return 0;
  return procedure(message->hwnd, message->message, message->wParam, message->lParam);
}

int WindowLayerPendingMessages() { return count; }

void WindowQueueReset() {
  head = 0;
  count = 0;
  quitRequested = false;
  quitCode = 0;
}

void WindowQueueForget(HWND window) {
  int kept = 0;
  for (int i = 0; i < count; ++i)
    if (QueueAt(i).hwnd != window) QueueAt(kept++) = QueueAt(i);
  count = kept;
}
