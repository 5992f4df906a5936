#include "host_state.h"

namespace {

bool keysHeld[256];
bool displayHeld = true;

bool IsKey(int virtualKey) { return virtualKey >= 0 && virtualKey < 256; }

}  // namespace

bool HostStateKeyHeld(int virtualKey) { return IsKey(virtualKey) && keysHeld[virtualKey]; }

void HostStateSetKey(int virtualKey, bool held) {
  if (IsKey(virtualKey)) keysHeld[virtualKey] = held;
}

void HostStateReleaseAllKeys() {
  for (bool& held : keysHeld) held = false;
}

bool HostStateDisplayHeld() { return displayHeld; }

void HostStateSetDisplayHeld(bool held) { displayHeld = held; }

void HostStateReset() {
  HostStateReleaseAllKeys();
  displayHeld = true;
}
