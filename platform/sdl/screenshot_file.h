// Screenshots on the desktop: a presented frame saved as an indexed PNG
// with its palette (frame_png.h), under a name that never replaces an
// existing file. Free of SDL, so that it can be tested on its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>

#include "frame_png.h"

enum { SCREENSHOT_PATH_BYTES = 4096, SCREENSHOT_REASON_BYTES = SCREENSHOT_PATH_BYTES + 256 };

struct ScreenshotOutcome {
  bool saved = false;
  char path[SCREENSHOT_PATH_BYTES] = "";      // the file written, or the one tried last
  char reason[SCREENSHOT_REASON_BYTES] = "";  // why not, when not saved
};

// "vorn-YYYYMMDD-HHMMSS-N.png" for the local time when and number (from 1).
void ScreenshotName(std::time_t when, int number, char* name, std::size_t size);

// Called by the SDL host when F12 is pressed: writes width x height indices
// (rows top first, no gaps) and their 256 colours into folder ("" for the
// current one) as the first of vorn-...-1.png, -2.png, ... not yet there,
// created exclusively, so that nothing is ever overwritten. A file that
// cannot be written whole is removed again. The caller owns everything.
ScreenshotOutcome ScreenshotSave(const char* folder, std::time_t when, const std::uint8_t* pixels,
                                 int width, int height, const FrameColour* colours);
