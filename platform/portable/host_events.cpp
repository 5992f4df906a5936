#include "host_events.h"

#include "host.h"
#include "host_state.h"
#include "message_queue.h"
#include "soft_ddraw.h"
#include "window_table.h"

namespace {

// Events beyond this wait in the host for the next pass.
enum { EVENTS_PER_PUMP = 64 };

void Apply(const HostEvent& event) {
  switch (event.kind) {
    case HostEventKind::QuitRequested:
      if (WindowScreen() != nullptr) MessageQueuePost(WindowScreen(), WM_CLOSE, 0, 0);
      break;
    case HostEventKind::DisplayLost:
      HostStateSetDisplayHeld(false);
      SoftDirectDrawLoseSurfaces();
      break;
    case HostEventKind::DisplayReturned:
      HostStateSetDisplayHeld(true);
      break;
    case HostEventKind::KeyDown:
    case HostEventKind::KeyUp:
      HostStateSetKey(event.virtualKey, event.kind == HostEventKind::KeyDown);
      break;
    case HostEventKind::AllKeysReleased:
      HostStateReleaseAllKeys();
      break;
  }
}

}  // namespace

void HostEventsPump() {
  HostEvent events[EVENTS_PER_PUMP];
  int count = HostPumpEvents(events, EVENTS_PER_PUMP);
  if (count > EVENTS_PER_PUMP) count = EVENTS_PER_PUMP;
  for (int i = 0; i < count; ++i) Apply(events[i]);
}
