// PNG files of 8-bit palettized pictures: the desktop icons make_icon draws
// for the installed program. Standard C++ only and free of any library: the
// image data goes into stored (uncompressed) deflate blocks, which every PNG
// reader accepts, so the writer needs no zlib.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "bmp_writer.h"

// The whole file of an 8-bit picture (picture.depth 8, rows top first, one
// to 256 colours): IHDR, PLTE, tRNS making transparentIndex see-through (or
// none when it is not a colour of the table, e.g. -1), one IDAT, IEND.
// Empty when the picture cannot be stored. The caller owns the picture.
std::vector<std::uint8_t> PngEncodeIndexed(const BmpPicture& picture, int transparentIndex);

// The checksums a PNG file carries: CRC-32 of each chunk's type and data
// (crc continues an earlier call; start with 0), Adler-32 of the image data.
std::uint32_t PngCrc32(const std::uint8_t* bytes, std::size_t count, std::uint32_t crc = 0);
std::uint32_t PngAdler32(const std::uint8_t* bytes, std::size_t count);
