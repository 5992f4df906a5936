// PNG files read back by libpng exactly as stored, with no transform: what
// the checks of F12's screenshots and of the icons compare with the
// pictures they were made from.
#pragma once

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct StoredPng {
  int colourType = -1;  // -1: the file could not be read
  std::vector<std::uint8_t> palette;  // red, green, blue of each entry
  std::vector<std::uint8_t> pixels;   // the rows as stored, top first, no gaps
};

inline bool PngReadWhole(png_structp png, png_infop info, std::FILE* file) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_init_io(png, file);
  png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  return true;
}

inline StoredPng ReadStoredPng(const std::string& path) {
  StoredPng out;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return out;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (PngReadWhole(png, info, file)) {
    out.colourType = png_get_color_type(png, info);
    png_colorp colours = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &colours, &count);
    for (int i = 0; i < count; ++i)
      out.palette.insert(out.palette.end(), {colours[i].red, colours[i].green, colours[i].blue});
    const png_bytepp rows = png_get_rows(png, info);
    for (png_uint_32 y = 0; y < png_get_image_height(png, info); ++y)
      out.pixels.insert(out.pixels.end(), rows[y], rows[y] + png_get_rowbytes(png, info));
  }
  std::fclose(file);
  png_destroy_read_struct(&png, &info, nullptr);
  return out;
}
