// What the host has reported so far and the program may ask about: which
// keys are held and whether the program holds the screen. Written only by
// the host events (host_events.cpp); read by GetAsyncKeyState, IsIconic,
// GetForegroundWindow and DirectDraw's Restore.
#pragma once

// Whether the virtual key is down; false for codes outside 0..255. Read
// thousands of times a frame, so inline.
extern bool hostStateKeysHeld[256];
inline bool HostStateKeyHeld(int virtualKey) {
  return unsigned(virtualKey) < 256u && hostStateKeysHeld[virtualKey];
}
void HostStateSetKey(int virtualKey, bool held);
void HostStateReleaseAllKeys();

// Whether the program holds the screen: true from the start until the host
// reports the display lost, and again once it reports it returned.
bool HostStateDisplayHeld();
void HostStateSetDisplayHeld(bool held);

// No key held, the display held: as at the start of a process.
void HostStateReset();
