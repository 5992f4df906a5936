// Posting, fetching and dispatching messages. Every PeekMessageA is one
// pass of the program's loop: the host is asked what happened first.
#include "host_events.h"
#include "message_queue.h"
#include "window_table.h"

namespace {

TraceArg MessageArg(const MSG* message) { return TraceGiven("message", message); }

}  // namespace

// Called by the program to queue a message for a window (or, with a null
// window, for the thread). FALSE when the window is gone or the queue full.
BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (PlatformCall("PostMessageA", nullptr, WindowArg("window", window),
                   TraceFlags("message", message),
                   TraceNumber("wParam", static_cast<std::int64_t>(wParam)),
                   TraceNumber("lParam", lParam)))
    return FALSE;
  return MessageQueuePost(window, message, wParam, lParam) ? TRUE : FALSE;
}

void WINAPI PostQuitMessage(int exitCode) {
  if (PlatformCall("PostQuitMessage", nullptr, TraceNumber("exitCode", exitCode))) return;
  MessageQueueQuit(exitCode);
}

// Called once per pass of the program's loop. Filters by window or message
// range are not offered: a filtered call finds no message. The host is
// pumped even when the call is made to fail, so a program that keeps
// calling still sees time pass and the user's requests.
BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax,
                         UINT removeFlags) {
  bool fail = PlatformCall("PeekMessageA", nullptr, MessageArg(message),
                           WindowArg("window", window), TraceFlags("filterMin", filterMin),
                           TraceFlags("filterMax", filterMax), TraceFlags("remove", removeFlags));
  TraceLoopPass();
  HostEventsPump();
  if (fail || message == nullptr) return FALSE;
  if (window != nullptr || filterMin != 0 || filterMax != 0) return FALSE;
  return MessageQueueNext(message, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

// No character messages are made: key state is read with GetAsyncKeyState.
BOOL WINAPI TranslateMessage(const MSG* message) {
  PlatformCall("TranslateMessage", nullptr, MessageArg(message));
  return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
  if (PlatformCall("DispatchMessageA", nullptr, MessageArg(message),
                   WindowArg("window", message != nullptr ? message->hwnd : nullptr),
                   TraceFlags("messageId", message != nullptr ? message->message : 0)))
    return 0;
  if (message == nullptr) return 0;
  WindowRecord* record = WindowFindLive(message->hwnd);
  if (record == nullptr) return 0;
  return record->procedure(message->hwnd, message->message, message->wParam, message->lParam);
}
