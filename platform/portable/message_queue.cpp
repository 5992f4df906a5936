#include "message_queue.h"

#include "window_table.h"

namespace {

enum { QUEUE_CAPACITY = 10000 };

MSG ring[QUEUE_CAPACITY];
int head = 0;
int count = 0;
bool quitRequested = false;
int quitCode = 0;

MSG& QueueAt(int offset) { return ring[(head + offset) % QUEUE_CAPACITY]; }

}  // namespace

bool MessageQueuePost(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != nullptr && !WindowIsLive(window)) return false;
  if (count == QUEUE_CAPACITY) return false;
  MSG& slot = QueueAt(count++);
  slot = MSG();
  slot.hwnd = window;
  slot.message = message;
  slot.wParam = wParam;
  slot.lParam = lParam;
  return true;
}

bool MessageQueueNext(MSG* message, bool remove) {
  if (count > 0) {
    *message = QueueAt(0);
    if (remove) {
      head = (head + 1) % QUEUE_CAPACITY;
      --count;
    }
    return true;
  }
  if (!quitRequested) return false;
  *message = MSG();
  message->message = WM_QUIT;
  message->wParam = static_cast<WPARAM>(quitCode);
  if (remove) quitRequested = false;
  return true;
}

void MessageQueueQuit(int exitCode) {
  quitRequested = true;
  quitCode = exitCode;
}

void MessageQueueForget(HWND window) {
  int kept = 0;
  for (int i = 0; i < count; ++i)
    if (QueueAt(i).hwnd != window) QueueAt(kept++) = QueueAt(i);
  count = kept;
}

int MessageQueuePending() { return count; }

void MessageQueueReset() {
  head = 0;
  count = 0;
  quitRequested = false;
  quitCode = 0;
}
