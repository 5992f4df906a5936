#include "bmp_writer.h"

#include <cstdio>

namespace {

const std::uint32_t kHeadersBytes = 14 + 40;
const std::uint32_t kPixelsPerMetre = 2835;  // 72 dots per inch
// Pictures stay far below what a 32-bit size field can hold.
const std::uint64_t kLargestRows = std::uint64_t(1) << 30;

bool DepthKnown(int depth) {
  return depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
}

// Stored rows end on four-byte boundaries.
std::uint64_t StoredRowBytes(std::int32_t width, int depth) {
  return (BmpRowBytes(width, depth) + 3) / 4 * 4;
}

bool Storable(const BmpPicture& picture) {
  if (picture.pixels == nullptr || picture.width <= 0 || picture.height <= 0 ||
      !DepthKnown(picture.depth))
    return false;
  if (picture.colourCount < 0 || picture.colourCount > 256 ||
      (picture.colourCount > 0 && picture.colours == nullptr))
    return false;
  return StoredRowBytes(picture.width, picture.depth) * std::uint64_t(picture.height) <=
         kLargestRows;
}

std::uint32_t RecordedSize(const BmpPicture& picture, std::uint64_t storedBytes) {
  return std::uint32_t(picture.sizeImage < 0 ? storedBytes : std::uint64_t(picture.sizeImage));
}

void AppendInfoHeader(std::vector<std::uint8_t>& out, const BmpPicture& picture,
                      std::int32_t recordedHeight, std::uint32_t sizeImage) {
  BmpAppend32(out, 40);  // the size of this header
  BmpAppend32(out, std::uint32_t(picture.width));
  BmpAppend32(out, std::uint32_t(recordedHeight));
  BmpAppend16(out, 1);  // planes
  BmpAppend16(out, std::uint32_t(picture.depth));
  BmpAppend32(out, 0);  // uncompressed
  BmpAppend32(out, sizeImage);
  BmpAppend32(out, kPixelsPerMetre);
  BmpAppend32(out, kPixelsPerMetre);
  BmpAppend32(out, std::uint32_t(picture.colourCount));
  BmpAppend32(out, 0);  // every colour matters
  for (int i = 0; i < picture.colourCount; ++i) {
    const BmpColour& colour = picture.colours[i];
    out.insert(out.end(), {colour.blue, colour.green, colour.red, 0});
  }
}

// rows holds rowCount rows of rowBytes, top row first.
void AppendRows(std::vector<std::uint8_t>& out, const std::uint8_t* rows, std::size_t rowBytes,
                std::int32_t rowCount, bool topFirst) {
  const std::size_t padding = (4 - rowBytes % 4) % 4;
  for (std::int32_t i = 0; i < rowCount; ++i) {
    const std::uint8_t* row = rows + std::size_t(topFirst ? i : rowCount - 1 - i) * rowBytes;
    out.insert(out.end(), row, row + rowBytes);
    out.insert(out.end(), padding, 0);
  }
}

}  // namespace

std::size_t BmpRowBytes(std::int32_t width, int depth) {
  if (width <= 0 || depth <= 0) return 0;
  return std::size_t((std::uint64_t(width) * std::uint64_t(depth) + 7) / 8);
}

std::vector<std::uint8_t> BmpEncode(const BmpPicture& picture) {
  std::vector<std::uint8_t> out;
  if (!Storable(picture)) return out;
  const std::uint64_t rowsBytes =
      StoredRowBytes(picture.width, picture.depth) * std::uint64_t(picture.height);
  const std::uint32_t offset = kHeadersBytes + 4 * std::uint32_t(picture.colourCount);
  out.reserve(std::size_t(offset + rowsBytes));
  BmpAppend16(out, 0x4D42);  // "BM"
  BmpAppend32(out, std::uint32_t(offset + rowsBytes));
  BmpAppend32(out, 0);  // both reserved words
  BmpAppend32(out, offset);
  AppendInfoHeader(out, picture, picture.topDown ? -picture.height : picture.height,
                   RecordedSize(picture, rowsBytes));
  AppendRows(out, picture.pixels, BmpRowBytes(picture.width, picture.depth), picture.height,
             picture.topDown);
  return out;
}

std::vector<std::uint8_t> BmpEncodeIconImage(const BmpPicture& picture,
                                             std::uint8_t transparentIndex) {
  std::vector<std::uint8_t> out;
  if (!Storable(picture) || picture.depth != 8) return out;
  const std::size_t width = std::size_t(picture.width);
  const std::size_t maskRowBytes = BmpRowBytes(picture.width, 1);
  std::vector<std::uint8_t> mask(maskRowBytes * std::size_t(picture.height), 0);
  for (std::size_t i = 0; i < width * std::size_t(picture.height); ++i) {
    if (picture.pixels[i] != transparentIndex) continue;
    mask[i / width * maskRowBytes + i % width / 8] |= std::uint8_t(0x80 >> (i % width % 8));
  }
  const std::uint64_t storedBytes =
      (StoredRowBytes(picture.width, 8) + StoredRowBytes(picture.width, 1)) *
      std::uint64_t(picture.height);
  AppendInfoHeader(out, picture, 2 * picture.height, RecordedSize(picture, storedBytes));
  AppendRows(out, picture.pixels, width, picture.height, false);
  AppendRows(out, mask.data(), maskRowBytes, picture.height, false);
  return out;
}

bool BmpWriteFile(const char* path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

bool BmpSave(const char* path, const BmpPicture& picture) {
  std::vector<std::uint8_t> bytes = BmpEncode(picture);
  return !bytes.empty() && BmpWriteFile(path, bytes);
}

void BmpAppend16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(std::uint8_t(value));
  out.push_back(std::uint8_t(value >> 8));
}

void BmpAppend32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  BmpAppend16(out, value & 0xFFFF);
  BmpAppend16(out, value >> 16);
}
