// Uncompressed BMP files and icon images: the pictures the data tools draw,
// the frames the capture tool keeps, and the inputs the tests and fuzz seeds
// build. Standard C++ only and free of the platform header, so a cross build
// can compile it for the build machine. Tools and tests use it; hosts write
// their own files (a host includes nothing from tools/).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One colour-table entry. Stored blue, green, red, then a zero byte.
struct BmpColour {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};

// A picture to store. pixels holds height rows, top row first, each
// BmpRowBytes(width, depth) bytes with nothing between rows; the caller owns
// it and the colour table. The writer pads each stored row to four bytes.
struct BmpPicture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  int depth = 8;                         // bits per pixel: 1, 4, 8, 16, 24 or 32
  const std::uint8_t* pixels = nullptr;
  const BmpColour* colours = nullptr;    // the colour table, recorded as biClrUsed
  int colourCount = 0;                   // 0 to 256: a table may be short or absent
  bool topDown = false;                  // rows stored top first, height recorded negative
  std::int64_t sizeImage = -1;           // biSizeImage to record; -1: the stored rows' length
};

// Bytes of one row of the picture as the caller holds it, before padding.
std::size_t BmpRowBytes(std::int32_t width, int depth);

// The whole file: file header, info header, colour table, rows. Empty when
// the picture cannot be stored (no pixels, a size or depth out of range).
std::vector<std::uint8_t> BmpEncode(const BmpPicture& picture);

// An 8-bit picture as an icon file holds it: info header with the height
// doubled, colour table, the rows, then the one-bit mask that lets the
// ground show through wherever a pixel is transparentIndex. Bottom row
// first, as icons allow nothing else. Empty when it cannot be stored.
std::vector<std::uint8_t> BmpEncodeIconImage(const BmpPicture& picture,
                                             std::uint8_t transparentIndex);

// Writes bytes as the whole of the file at path, replacing it. False when
// the file cannot be written completely (a partial file may be left).
bool BmpWriteFile(const char* path, const std::vector<std::uint8_t>& bytes);

// BmpEncode, then BmpWriteFile. False when either fails.
bool BmpSave(const char* path, const BmpPicture& picture);

// Little-endian numbers, as BMP and icon headers store them.
void BmpAppend16(std::vector<std::uint8_t>& out, std::uint32_t value);
void BmpAppend32(std::vector<std::uint8_t>& out, std::uint32_t value);
