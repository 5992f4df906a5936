#include "expand.h"

void ExpandColours(const PALETTEENTRY* palette, std::uint32_t* colours) {
  for (int i = 0; i < 256; ++i) {
    colours[i] = 0xFF000000u | std::uint32_t{palette[i].peRed} << 16 |
                 std::uint32_t{palette[i].peGreen} << 8 | std::uint32_t{palette[i].peBlue};
  }
}

void ExpandIndices(const std::uint8_t* indices, std::size_t count, const std::uint32_t* colours,
                   std::uint32_t* pixels) {
  for (std::size_t i = 0; i < count; ++i) pixels[i] = colours[indices[i]];
}
