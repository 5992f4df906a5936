// The present conversion every frame ends with: 8-bit indices expanded
// through the palette to 32-bit pixels, as the SDL host does at present time.
// The whole-frame benchmark and its floor share this one loop, so the ratio
// between them is what the frame costs beyond it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform.h"

// Called at every present: 0xFFRRGGBB for each entry.
void ExpandColours(const PALETTEENTRY* palette, std::uint32_t* colours);

// A plain table lookup per pixel.
void ExpandIndices(const std::uint8_t* indices, std::size_t count, const std::uint32_t* colours,
                   std::uint32_t* pixels);
