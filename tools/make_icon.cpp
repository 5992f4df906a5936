// Makes the program's icon: vorn.ico for the Windows shell, one 32 x 32
// image with a 256-entry colour table, or a PNG of any size (written by
// libpng) for the desktop icon theme on Linux and the page's manifest. Both
// show the first rock of ROCK8.BMP, drawn whole by the same code in the
// same palette, ringed in the darkest rock shade on a transparent ground.
//
// Usage: make_icon OUT.ICO
//        make_icon --png SIZE OUT.PNG      (SIZE from 16 to 1024)
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bmp_writer.h"
#include "rock_art.h"

namespace {

constexpr int iconSize = 32;
constexpr int smallestPng = 16;
constexpr int largestPng = 1024;

// Rock pixels that touch the ground or the square's edge take the darkest
// shade, so the rock stands out on a light desktop as on a dark one.
void Outline(std::vector<std::uint8_t>& pixels, int size) {
  const std::vector<std::uint8_t> drawn = pixels;
  auto ground = [&](int x, int y) {
    return x < 0 || y < 0 || x >= size || y >= size || drawn[std::size_t(y * size + x)] == 0;
  };
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      if (ground(x, y)) continue;
      if (ground(x - 1, y) || ground(x + 1, y) || ground(x, y - 1) || ground(x, y + 1))
        pixels[std::size_t(y * size + x)] = rockShadeFirst;
    }
  }
}

// The icon's picture at any size, rows top first, palette indices of the
// rock palette; 0 where the ground shows.
std::vector<std::uint8_t> IconPicture(int size) {
  RockRandom random = RockRandomStart();
  const RockShape rock = RockShapeMake(random, rockMeanRadii[0]);
  std::vector<std::uint8_t> pixels(std::size_t(size) * std::size_t(size), 0);
  RockDraw(rock, RockFittedView(size), random, pixels.data(), std::size_t(size));
  Outline(pixels, size);
  return pixels;
}

// The icon file: a directory of one entry, then that entry's image.
std::vector<std::uint8_t> EncodeIconFile(const std::vector<std::uint8_t>& image) {
  std::vector<std::uint8_t> out;
  BmpAppend16(out, 0);  // reserved
  BmpAppend16(out, 1);  // icon, not cursor
  BmpAppend16(out, 1);  // one image
  out.insert(out.end(), {iconSize, iconSize, 0, 0});  // 0 colours means 256 or more
  BmpAppend16(out, 1);  // planes
  BmpAppend16(out, 8);  // bits per pixel
  BmpAppend32(out, std::uint32_t(image.size()));
  BmpAppend32(out, 6 + 16);  // the image follows the directory
  out.insert(out.end(), image.begin(), image.end());
  return out;
}

// The PNG size named on the command line; 0 when it is not a whole number
// in range.
int PngSize(const char* text) {
  char* end = nullptr;
  const long size = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || size < smallestPng || size > largestPng) return 0;
  return int(size);
}

// The rows and palette into an open file; libpng says on standard error
// what went wrong, if anything, and comes back here.
bool WritePngRows(png_structp png, png_infop info, std::FILE* file,
                  const std::vector<std::uint8_t>& pixels, int size, const png_color* palette) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_init_io(png, file);
  // Drawn once, fetched often: as small as libpng can make it.
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, png_uint_32(size), png_uint_32(size), 8, PNG_COLOR_TYPE_PALETTE,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_PLTE(png, info, palette, 256);
  const png_byte groundAlpha = 0;  // index 0 see-through, the rest opaque
  png_set_tRNS(png, info, &groundAlpha, 1, nullptr);
  png_write_info(png, info);
  for (int y = 0; y < size; ++y) {
    png_write_row(png, pixels.data() + std::size_t(y) * std::size_t(size));
  }
  png_write_end(png, info);
  return true;
}

// The rock at size x size in the rock palette as a PNG file at path. False,
// with nothing left at path, when it cannot be written whole.
bool WritePng(const char* path, int size) {
  const std::vector<std::uint8_t> pixels = IconPicture(size);
  BmpColour colours[256];
  RockPaletteFill(colours);
  png_color palette[256];
  for (int i = 0; i < 256; ++i) palette[i] = {colours[i].red, colours[i].green, colours[i].blue};
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  bool written = info != nullptr && WritePngRows(png, info, file, pixels, size, palette);
  png_destroy_write_struct(&png, &info);
  written = std::fclose(file) == 0 && written;
  if (!written) std::remove(path);
  return written;
}

// The 32 x 32 rock in the rock palette as an icon file at path.
bool WriteIcon(const char* path) {
  const std::vector<std::uint8_t> pixels = IconPicture(iconSize);
  BmpColour palette[256];
  RockPaletteFill(palette);
  const BmpPicture picture{iconSize, iconSize, 8, pixels.data(), palette, 256};
  return BmpWriteFile(path, EncodeIconFile(BmpEncodeIconImage(picture, 0)));
}

}  // namespace

int main(int argc, char** argv) {
  const bool png = argc == 4 && std::strcmp(argv[1], "--png") == 0;
  const int size = png ? PngSize(argv[2]) : iconSize;
  if ((argc != 2 && !png) || size == 0) {
    std::fprintf(stderr, "usage: make_icon OUT.ICO | make_icon --png SIZE OUT.PNG (SIZE %d-%d)\n",
                 smallestPng, largestPng);
    return 2;
  }
  const char* path = argv[argc - 1];
  if (!(png ? WritePng(path, size) : WriteIcon(path))) {
    std::fprintf(stderr, "make_icon: cannot write %s\n", path);
    return 1;
  }
  return 0;
}
