#include "host_state.h"

bool hostStateKeysHeld[256];

namespace {

bool displayHeld = true;

bool IsKey(int virtualKey) { return virtualKey >= 0 && virtualKey < 256; }

}  // namespace

void HostStateSetKey(int virtualKey, bool held) {
  if (IsKey(virtualKey)) hostStateKeysHeld[virtualKey] = held;
}

void HostStateReleaseAllKeys() {
  for (bool& held : hostStateKeysHeld) held = false;
}

bool HostStateDisplayHeld() { return displayHeld; }

void HostStateSetDisplayHeld(bool held) { displayHeld = held; }

void HostStateReset() {
  HostStateReleaseAllKeys();
  displayHeld = true;
}
