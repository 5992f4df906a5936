#include "png_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A stored deflate block holds at most this many bytes.
constexpr std::size_t kStoredBlockBytes = 65535;
// Far beyond any icon; keeps every length within PNG's 31-bit fields.
constexpr std::uint64_t kLargestImageData = std::uint64_t(1) << 28;

void AppendBigEndian32(Bytes& out, std::uint32_t value) {
  out.insert(out.end(), {std::uint8_t(value >> 24), std::uint8_t(value >> 16),
                         std::uint8_t(value >> 8), std::uint8_t(value)});
}

// Length, type, data, then the CRC of type and data.
void AppendChunk(Bytes& out, const char (&type)[5], const Bytes& data) {
  AppendBigEndian32(out, std::uint32_t(data.size()));
  const std::size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  AppendBigEndian32(out, PngCrc32(out.data() + typeAt, out.size() - typeAt));
}

// The rows as PNG filters them (a leading 0: no filter), in a zlib stream of
// stored blocks.
Bytes ImageData(const BmpPicture& picture) {
  const std::size_t width = std::size_t(picture.width);
  Bytes raw;
  raw.reserve((width + 1) * std::size_t(picture.height));
  for (std::int32_t y = 0; y < picture.height; ++y) {
    raw.push_back(0);
    const std::uint8_t* row = picture.pixels + std::size_t(y) * width;
    raw.insert(raw.end(), row, row + width);
  }
  Bytes stream = {0x78, 0x01};  // deflate, 32 KiB window, no dictionary
  std::size_t at = 0;
  do {
    const std::size_t length = raw.size() - at < kStoredBlockBytes ? raw.size() - at
                                                                   : kStoredBlockBytes;
    const bool last = at + length == raw.size();
    stream.push_back(last ? 1 : 0);  // final-block bit, block type 0 (stored)
    BmpAppend16(stream, std::uint32_t(length));
    BmpAppend16(stream, std::uint32_t(~length & 0xFFFF));
    stream.insert(stream.end(), raw.begin() + std::ptrdiff_t(at),
                  raw.begin() + std::ptrdiff_t(at + length));
    at += length;
  } while (at < raw.size());
  AppendBigEndian32(stream, PngAdler32(raw.data(), raw.size()));
  return stream;
}

bool Storable(const BmpPicture& picture) {
  return picture.pixels != nullptr && picture.depth == 8 && picture.width > 0 &&
         picture.height > 0 && picture.colours != nullptr && picture.colourCount > 0 &&
         picture.colourCount <= 256 &&
         (std::uint64_t(picture.width) + 1) * std::uint64_t(picture.height) <= kLargestImageData;
}

}  // namespace

std::vector<std::uint8_t> PngEncodeIndexed(const BmpPicture& picture, int transparentIndex) {
  Bytes out;
  if (!Storable(picture)) return out;
  out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  AppendBigEndian32(header, std::uint32_t(picture.width));
  AppendBigEndian32(header, std::uint32_t(picture.height));
  // 8 bits an index, palette colour, deflate, adaptive filters, no interlace.
  header.insert(header.end(), {8, 3, 0, 0, 0});
  AppendChunk(out, "IHDR", header);
  Bytes palette;
  for (int i = 0; i < picture.colourCount; ++i) {
    palette.insert(palette.end(),
                   {picture.colours[i].red, picture.colours[i].green, picture.colours[i].blue});
  }
  AppendChunk(out, "PLTE", palette);
  if (transparentIndex >= 0 && transparentIndex < picture.colourCount) {
    // Alpha for the indices up to the transparent one; the rest stay opaque.
    Bytes alpha(std::size_t(transparentIndex) + 1, 0xFF);
    alpha.back() = 0;
    AppendChunk(out, "tRNS", alpha);
  }
  AppendChunk(out, "IDAT", ImageData(picture));
  AppendChunk(out, "IEND", {});
  return out;
}

std::uint32_t PngCrc32(const std::uint8_t* bytes, std::size_t count, std::uint32_t crc) {
  crc = ~crc;
  for (std::size_t i = 0; i < count; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::uint32_t PngAdler32(const std::uint8_t* bytes, std::size_t count) {
  std::uint32_t low = 1, high = 0;
  for (std::size_t i = 0; i < count; ++i) {
    low = (low + bytes[i]) % 65521;
    high = (high + low) % 65521;
  }
  return (high << 16) | low;
}
