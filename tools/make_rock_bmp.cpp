// Makes ROCK8.BMP, the picture the demo's rocks are cut from: an 8-bit,
// 260 x 66 bitmap whose top cell row holds four 64 x 64 rocks with one-pixel
// borders, and whose colour table is the display palette (index 0 black, the
// rock shades, the four star colours).
//
// Usage: make_rock_bmp OUT.BMP
#include <cstdint>
#include <cstdio>
#include <vector>

#include "bmp_writer.h"
#include "rock_art.h"

namespace {

constexpr int imageWidth = 260;
constexpr int imageHeight = 66;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_rock_bmp OUT.BMP\n");
    return 2;
  }
  // Each rock's shape and then its speckles come from one stream, in cell
  // order: the file depends on that order.
  RockRandom random = RockRandomStart();
  std::vector<std::uint8_t> image(std::size_t(imageWidth) * imageHeight, 0);
  const RockView cell = RockCellView();
  for (int i = 0; i < rockCount; ++i) {
    RockShape rock = RockShapeMake(random, rockMeanRadii[i]);
    std::uint8_t* topLeft = &image[imageWidth + 1 + std::size_t(i) * (cell.size + 1)];
    RockDraw(rock, cell, random, topLeft, imageWidth);
  }
  BmpColour palette[256];
  RockPaletteFill(palette);
  const BmpPicture picture{imageWidth, imageHeight, 8, image.data(), palette, 256};
  if (!BmpSave(argv[1], picture)) {
    std::fprintf(stderr, "make_rock_bmp: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
