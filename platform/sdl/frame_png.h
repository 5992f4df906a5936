// A frame as an indexed PNG (colour type 3): its palette indices as they
// are and its 256 colours, through libpng, so that nothing is lost. Free of
// SDL, so that it can be tested on its own.
#pragma once

#include <cstdint>
#include <vector>

struct FrameColour {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};

// Called by ScreenshotSave: the whole file for width x height indices (rows
// top first, no gaps) and the 256 colours they index. Empty when there is
// nothing to store or libpng refuses it. The caller owns everything.
std::vector<std::uint8_t> FramePngEncode(const std::uint8_t* pixels, int width, int height,
                                         const FrameColour* colours);
