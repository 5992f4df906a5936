// F12 for the SDL host's screen: the frame as last presented, kept as
// indices and palette, and saved on request. Shared by the files of this
// host only.
#pragma once

#include <cstdint>

#include "portable/host.h"

// Called by main, through SdlScreenConfigure: where screenshots go ("" for
// the current folder; the text is copied).
void SdlShotsConfigure(const char* folder);

// Called when the display mode is set (0 x 0 when it ends): sizes the kept
// frame once, so that presenting never allocates. False when there is no
// memory for it.
bool SdlShotsSetMode(int width, int height);

// Called by HostPresent once the frame is on the screen: keeps a copy of
// its width x height indices (rows pitch bytes apart) and its palette;
// where the frame does not cover the mode, index 0.
void SdlShotsKeep(const std::uint8_t* pixels, int pitch, int width, int height,
                  const PALETTEENTRY* palette);

// Called by the event pump for F12: saves the kept frame and prints its
// path on standard output, or one line on standard error saying why not.
void SdlScreenSaveScreenshot();
