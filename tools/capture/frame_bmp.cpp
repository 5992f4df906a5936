#include "frame_bmp.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

const std::uint32_t kHeaderBytes = 14 + 40;
const std::uint32_t kColourTableBytes = 256 * 4;

void PutLe16(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutLe32(std::uint8_t* at, std::uint32_t value) {
  PutLe16(at, value & 0xFFFF);
  PutLe16(at + 2, value >> 16);
}

// Rows of an 8-bit BMP end on 4-byte boundaries.
std::uint32_t RowBytes(int width) { return (static_cast<std::uint32_t>(width) + 3) & ~3u; }

// File header, info header and colour table (blue, green, red, 0).
void BuildHead(const HeadlessFrame& frame, std::uint8_t* head) {
  const std::uint32_t pixelBytes = RowBytes(frame.width) * static_cast<std::uint32_t>(frame.height);
  const std::uint32_t offset = kHeaderBytes + kColourTableBytes;
  head[0] = 'B';
  head[1] = 'M';
  PutLe32(head + 2, offset + pixelBytes);
  PutLe32(head + 6, 0);
  PutLe32(head + 10, offset);
  PutLe32(head + 14, 40);
  PutLe32(head + 18, static_cast<std::uint32_t>(frame.width));
  PutLe32(head + 22, static_cast<std::uint32_t>(frame.height));
  PutLe16(head + 26, 1);
  PutLe16(head + 28, 8);
  PutLe32(head + 30, 0);  // uncompressed
  PutLe32(head + 34, pixelBytes);
  PutLe32(head + 38, 2835);  // 72 dots per inch
  PutLe32(head + 42, 2835);
  PutLe32(head + 46, 256);
  PutLe32(head + 50, 0);
  for (int i = 0; i < 256; ++i) {
    std::uint8_t* entry = head + kHeaderBytes + 4 * i;
    entry[0] = frame.palette[i].peBlue;
    entry[1] = frame.palette[i].peGreen;
    entry[2] = frame.palette[i].peRed;
    entry[3] = 0;
  }
}

}  // namespace

bool FrameBmpWrite(const HeadlessFrame& frame, const char* path) {
  if (frame.width <= 0 || frame.height <= 0 ||
      frame.pixels.size() != static_cast<std::size_t>(frame.width) * frame.height)
    return false;
  std::uint8_t head[kHeaderBytes + kColourTableBytes];
  BuildHead(frame, head);
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(head, sizeof head, 1, file) == 1;
  std::vector<std::uint8_t> row(RowBytes(frame.width), 0);
  for (int y = frame.height - 1; written && y >= 0; --y) {
    const std::uint8_t* source = frame.pixels.data() + static_cast<std::size_t>(y) * frame.width;
    std::copy(source, source + frame.width, row.begin());
    written = std::fwrite(row.data(), row.size(), 1, file) == 1;
  }
  return std::fclose(file) == 0 && written;
}
