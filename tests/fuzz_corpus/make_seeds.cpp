// Writes the seed inputs for the fuzz targets: small BMP files of our own,
// each a different shape the reader meets (kept and converted depths, a short
// colour table, a top-down file, a file shorter than its headers say), and
// rock pictures for the start-up target.
//
// Usage: make_fuzz_seeds BMP_FOLDER STARTUP_FOLDER
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bmp_writer.h"

namespace {

struct Shape {
  std::int32_t width;
  std::int32_t height;
  int depth;
  int tableEntries;             // colour-table entries written
  bool topDown = false;         // rows stored top first
  std::int64_t sizeImage = -1;  // -1: the real pixel block size
  std::size_t cutTo = 0;        // nonzero: the file is cut to this many bytes
};

// Pixels are a pattern from the position, so cells hold something visible
// and every row differs; index 0 on the cell borders of 8-bit pictures.
std::vector<std::uint8_t> Build(const Shape& shape) {
  const std::size_t rowBytes = BmpRowBytes(shape.width, shape.depth);
  std::vector<std::uint8_t> pixels;
  for (std::int32_t y = 0; y < shape.height; ++y) {
    for (std::uint32_t x = 0; x < rowBytes; ++x) {
      bool border = shape.depth == 8 && (x % 65 == 0 || y % 65 == 0);
      pixels.push_back(border ? 0 : std::uint8_t(1 + (x * 7 + std::uint32_t(y) * 13) % 250));
    }
  }
  std::vector<BmpColour> table;
  for (int i = 0; i < shape.tableEntries; ++i) {
    table.push_back({std::uint8_t(i * 7), std::uint8_t(i * 5), std::uint8_t(i * 3)});
  }
  BmpPicture picture{shape.width, shape.height, shape.depth, pixels.data(), table.data(),
                     shape.tableEntries, shape.topDown, shape.sizeImage};
  std::vector<std::uint8_t> out = BmpEncode(picture);
  if (shape.cutTo != 0 && shape.cutTo < out.size()) out.resize(shape.cutTo);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_fuzz_seeds BMP_FOLDER STARTUP_FOLDER\n");
    return 2;
  }
  const std::string bmp = argv[1];
  const std::string startup = argv[2];
  struct Seed {
    std::string path;
    Shape shape;
  };
  const Seed seeds[] = {
      {bmp + "/eight_bit.bmp", {4, 2, 8, 256}},
      {bmp + "/short_table.bmp", {4, 2, 8, 16}},
      {bmp + "/sixteen_bit.bmp", {2, 2, 16, 0}},
      {bmp + "/converted.bmp", {4, 2, 24, 0}},
      {bmp + "/top_down.bmp", {4, 2, 8, 256, true}},
      {bmp + "/thirty_two_bit.bmp", {2, 2, 32, 0}},
      {bmp + "/padded_rows.bmp", {3, 2, 24, 0}},
      {bmp + "/cut_short.bmp", {8, 8, 8, 256, false, -1, 300}},
      {bmp + "/size_zero.bmp", {4, 2, 8, 256, false, 0}},
      {startup + "/rocks.bmp", {260, 65, 8, 256}},
      {startup + "/rocks_sixteen_bit.bmp", {260, 65, 16, 0}},
      {startup + "/one_rock_wide.bmp", {68, 65, 8, 256}},
  };
  for (const Seed& seed : seeds) {
    if (!BmpWriteFile(seed.path.c_str(), Build(seed.shape))) {
      std::fprintf(stderr, "make_fuzz_seeds: cannot write %s\n", seed.path.c_str());
      return 1;
    }
  }
  return 0;
}
