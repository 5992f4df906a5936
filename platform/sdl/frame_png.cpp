#include "frame_png.h"

#include <png.h>

#include <new>

namespace {

using Bytes = std::vector<std::uint8_t>;

// libpng hands the file over in pieces; they are gathered in memory, so that
// the caller's file is written in one go, or not at all.
void Gather(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  try {
    out->insert(out->end(), data, data + length);
  } catch (const std::bad_alloc&) {
    png_error(png, "out of memory");
  }
}

void NoFlush(png_structp) {}

// The caller says in its own words why a screenshot failed; libpng's
// default would add lines of its own on standard error.
void Refuse(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void Ignore(png_structp, png_const_charp) {}

// Everything libpng may leave by longjmp lives in the caller: nothing here
// needs undoing but the two structures, which the caller ends.
bool Encode(png_structp png, png_infop info, const std::uint8_t* pixels, int width, int height,
            const png_color* palette, Bytes* out) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_set_write_fn(png, out, Gather, NoFlush);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_PALETTE,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_PLTE(png, info, palette, 256);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) png_write_row(png, pixels + std::ptrdiff_t{width} * y);
  png_write_end(png, info);
  return true;
}

}  // namespace

Bytes FramePngEncode(const std::uint8_t* pixels, int width, int height,
                     const FrameColour* colours) {
  Bytes out;
  if (pixels == nullptr || colours == nullptr || width <= 0 || height <= 0) return out;
  png_color palette[256];
  for (int i = 0; i < 256; ++i) palette[i] = {colours[i].red, colours[i].green, colours[i].blue};
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Refuse, Ignore);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  const bool encoded = info != nullptr && Encode(png, info, pixels, width, height, palette, &out);
  png_destroy_write_struct(&png, &info);
  if (!encoded) out.clear();
  return out;
}
