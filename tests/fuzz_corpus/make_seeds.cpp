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

namespace {

struct Shape {
  std::int32_t width;
  std::int32_t height;  // negative: rows stored top first
  int depth;
  int tableEntries;             // colour-table entries actually written
  std::int64_t sizeImage = -1;  // -1: the real pixel block size
  std::size_t cutTo = 0;        // nonzero: the file is cut to this many bytes
};

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
  out.push_back(std::uint8_t(value));
  out.push_back(std::uint8_t(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// Pixels are a pattern from the position, so cells hold something visible
// and every row differs; index 0 on the cell borders of 8-bit pictures.
std::vector<std::uint8_t> Build(const Shape& shape) {
  std::int32_t rows = shape.height < 0 ? -shape.height : shape.height;
  std::uint32_t rowBytes = std::uint32_t(shape.width) * std::uint32_t(shape.depth / 8);
  std::uint32_t pixelBytes = rowBytes * std::uint32_t(rows);
  std::uint32_t tableBytes = std::uint32_t(shape.tableEntries) * 4;
  std::vector<std::uint8_t> out;
  Put16(out, 0x4D42);
  Put32(out, 54 + tableBytes + pixelBytes);
  Put32(out, 0);
  Put32(out, 54 + tableBytes);
  Put32(out, 40);
  Put32(out, std::uint32_t(shape.width));
  Put32(out, std::uint32_t(shape.height));
  Put16(out, 1);
  Put16(out, unsigned(shape.depth));
  Put32(out, 0);
  Put32(out, shape.sizeImage < 0 ? pixelBytes : std::uint32_t(shape.sizeImage));
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, std::uint32_t(shape.tableEntries));
  Put32(out, 0);
  for (int i = 0; i < shape.tableEntries; ++i) {
    out.push_back(std::uint8_t(i * 3));
    out.push_back(std::uint8_t(i * 5));
    out.push_back(std::uint8_t(i * 7));
    out.push_back(0);
  }
  for (std::int32_t y = 0; y < rows; ++y) {
    for (std::uint32_t x = 0; x < rowBytes; ++x) {
      bool border = shape.depth == 8 && (x % 65 == 0 || y % 65 == 0);
      out.push_back(border ? 0 : std::uint8_t(1 + (x * 7 + std::uint32_t(y) * 13) % 250));
    }
  }
  if (shape.cutTo != 0 && shape.cutTo < out.size()) out.resize(shape.cutTo);
  return out;
}

bool Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
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
      {bmp + "/top_down.bmp", {4, -2, 8, 256}},
      {bmp + "/thirty_two_bit.bmp", {2, 2, 32, 0}},
      {bmp + "/padded_rows.bmp", {3, 2, 24, 0}},
      {bmp + "/cut_short.bmp", {8, 8, 8, 256, -1, 300}},
      {bmp + "/size_zero.bmp", {4, 2, 8, 256, 0}},
      {startup + "/rocks.bmp", {260, 65, 8, 256}},
      {startup + "/rocks_sixteen_bit.bmp", {260, 65, 16, 0}},
      {startup + "/one_rock_wide.bmp", {68, 65, 8, 256}},
  };
  for (const Seed& seed : seeds) {
    if (!Write(seed.path, Build(seed.shape))) {
      std::fprintf(stderr, "make_fuzz_seeds: cannot write %s\n", seed.path.c_str());
      return 1;
    }
  }
  return 0;
}
