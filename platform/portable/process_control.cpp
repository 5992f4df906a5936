#include "process_control.h"

#include "host_events.h"
#include "host_state.h"
#include "kernel32_files.h"
#include "message_queue.h"
#include "soft_ddraw.h"
#include "user32_cursor.h"
#include "window_classes.h"
#include "window_table.h"

void PlatformResetProcess() {
  SoftDirectDrawReset();
  WindowTableReset();
  WindowClassesReset();
  MessageQueueReset();
  CursorReset();
  HostStateReset();
  KernelFilesReset();
  TraceDisarmFaults();
  TraceSetRecording(false);
  TraceClearLog();
  TraceSetWatchdog(0);
  TraceSetHangHandler(nullptr);
  TraceSetPassHandler(nullptr);
}

PlatformCounts PlatformCountsNow() {
  return {SoftDirectDrawLiveObjects(), SoftDirectDrawMisuses(), SoftDirectDrawUnreleasedSurfaces(),
          MessageQueuePending()};
}

void PlatformDeliverHostEvents() { HostEventsPump(); }

bool PlatformPostToScreenWindow(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND screen = WindowScreen();
  return screen != nullptr && MessageQueuePost(screen, message, wParam, lParam);
}

void PlatformAllowWideBlitSteps(bool allow) { SoftDirectDrawAllowWideSteps(allow); }
