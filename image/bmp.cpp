#include "bmp.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

static_assert(sizeof(BITMAPFILEHEADER) == 14, "file header must match the file");
static_assert(sizeof(BITMAPINFOHEADER) == 40, "info header must match the file");
static_assert(sizeof(PALETTEENTRY) == 4, "colour-table entries are four bytes");

constexpr LONG headerBytes = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
constexpr UINT colourTableBytes = 256 * sizeof(PALETTEENTRY);

// Far beyond any picture the program uses, and small enough that every size
// derived from an accepted header fits comfortably in 32 bits.
constexpr std::int64_t maxPixelBytes = 64 * 1024 * 1024;

char failureReason[64] = "";

int Refuse(HFILE file, const char* reason) {
  if (file != HFILE_ERROR) _lclose(file);
  std::snprintf(failureReason, sizeof failureReason, "%s", reason);
  return 0;
}

// Why the headers describe a picture the reader cannot take safely, or null.
// fileBytes is the whole file's length.
const char* HeaderProblem(const BITMAPINFOHEADER& info, std::int64_t fileBytes) {
  static char depthReason[32];
  if (info.biWidth <= 0 || info.biHeight <= 0) return "width or height is not positive";
  int depth = info.biBitCount;
  if (depth != 8 && depth != 16 && depth != 24) {
    std::snprintf(depthReason, sizeof depthReason, "unsupported depth %d", depth);
    return depthReason;
  }
  // Rows are taken to follow one another with no gap, so only widths whose
  // rows are already whole 4-byte multiples mean the same as in the file.
  std::int64_t rowBytes = std::int64_t{info.biWidth} * (depth / 8);
  if (rowBytes % 4 != 0) return "rows would need padding";
  if (rowBytes > maxPixelBytes || rowBytes * info.biHeight > maxPixelBytes ||
      info.biSizeImage > maxPixelBytes) {
    return "picture is too large";
  }
  if (info.biSizeImage == 0) return "pixel data size is zero";
  if (info.biSizeImage < rowBytes * info.biHeight) return "pixel data is smaller than the rows need";
  if (info.biSizeImage > fileBytes - headerBytes) return "pixel data runs past the end of the file";
  return nullptr;
}

// The colour table follows the headers; exactly 256 entries are taken
// whatever the header says. Zeroed first, so a table cut short by the end of
// a tiny file gives black entries rather than leftovers.
bool ReadPalette(HFILE file, PALETTEENTRY* palette) {
  std::memset(palette, 0, colourTableBytes);
  if (_lread(file, palette, colourTableBytes) == static_cast<UINT>(HFILE_ERROR)) return false;
  for (int i = 0; i < 256; ++i) {
    BYTE blue = palette[i].peRed;
    palette[i].peRed = palette[i].peBlue;
    palette[i].peBlue = blue;
    palette[i].peFlags = PC_NOCOLLAPSE;
  }
  return true;
}

// Reads the whole pixel block, from the current position, in one call into
// a new buffer the caller owns. Null (reason set) on failure.
std::uint8_t* ReadPixelBlock(HFILE file, UINT bytes, const char** reason) {
  auto* block = static_cast<std::uint8_t*>(std::malloc(bytes));
  if (block == nullptr) {
    *reason = "out of memory";
    return nullptr;
  }
  if (_lread(file, block, bytes) != bytes) {
    std::free(block);
    *reason = "pixel data cannot be read";
    return nullptr;
  }
  return block;
}

// Blue-green-red triples, one after another from the start of the block, to
// little-endian 5-5-5 words. Returns the new buffer, owned by the caller.
std::uint8_t* ReadConverted(HFILE file, const BITMAPINFOHEADER& info, const char** reason) {
  auto* triples = static_cast<std::uint8_t*>(std::malloc(info.biSizeImage));
  if (triples == nullptr) {
    *reason = "out of memory";
    return nullptr;
  }
  std::size_t count = std::size_t(info.biWidth) * std::size_t(info.biHeight);
  auto* words = static_cast<std::uint8_t*>(std::malloc(count * 2));
  if (words == nullptr || _lread(file, triples, info.biSizeImage) != info.biSizeImage) {
    *reason = words == nullptr ? "out of memory" : "pixel data cannot be read";
    std::free(words);
    std::free(triples);
    return nullptr;
  }
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* bgr = triples + 3 * i;
    unsigned word = unsigned(bgr[2] >> 3) << 10 | unsigned(bgr[1] >> 3) << 5 | unsigned(bgr[0] >> 3);
    words[2 * i] = std::uint8_t(word & 0xFF);
    words[2 * i + 1] = std::uint8_t(word >> 8);
  }
  std::free(triples);
  return words;
}

// Headers, checks and colour table. Leaves the file positioned at the start
// of the pixel block, which is taken to be the last biSizeImage bytes.
const char* ReadHeaders(HFILE file, BmpImage* image) {
  if (_lread(file, &image->fileHeader, sizeof image->fileHeader) != sizeof image->fileHeader) {
    return "file is shorter than its headers";
  }
  if (image->fileHeader.bfType != 0x4D42) return "not a BMP file";
  if (_lread(file, &image->infoHeader, sizeof image->infoHeader) != sizeof image->infoHeader) {
    return "file is shorter than its headers";
  }
  LONG fileBytes = _llseek(file, 0, FILE_END);
  if (fileBytes == HFILE_ERROR || _llseek(file, headerBytes, FILE_BEGIN) != headerBytes) {
    return "cannot be read";
  }
  if (const char* problem = HeaderProblem(image->infoHeader, fileBytes)) return problem;
  if (image->infoHeader.biBitCount == 8 && !ReadPalette(file, image->palette)) {
    return "cannot be read";
  }
  if (_llseek(file, -LONG(image->infoHeader.biSizeImage), FILE_END) == HFILE_ERROR) {
    return "cannot be read";
  }
  return nullptr;
}

}  // namespace

int BmpRead(BmpImage* image, const char* fileName) {
  if (image == nullptr || fileName == nullptr) return Refuse(HFILE_ERROR, "cannot be opened");
  OFSTRUCT openInfo;
  HFILE file = OpenFile(fileName, &openInfo, OF_READ);
  if (file == HFILE_ERROR) return Refuse(file, "cannot be opened");
  if (const char* problem = ReadHeaders(file, image)) return Refuse(file, problem);

  BITMAPINFOHEADER& info = image->infoHeader;
  const char* problem = nullptr;
  std::uint8_t* pixels = info.biBitCount == 24 ? ReadConverted(file, info, &problem)
                                               : ReadPixelBlock(file, info.biSizeImage, &problem);
  if (pixels == nullptr) return Refuse(file, problem);
  _lclose(file);

  if (info.biBitCount == 24) info.biBitCount = 16;
  image->pixels = pixels;
  failureReason[0] = '\0';
  // Should the scratch memory be missing, the rows simply stay bottom row
  // first: the picture is still whole.
  BmpFlipRows(pixels, info.biBitCount / 8 * info.biWidth, info.biHeight);
  return 1;
}

int BmpDiscard(BmpImage* image) {
  if (image != nullptr && image->pixels != nullptr) {
    std::free(image->pixels);
    image->pixels = nullptr;
  }
  return 1;
}

// Rows are swapped pairwise through one row of scratch memory: the same
// result as copying the whole image aside, at a third of the memory traffic.
int BmpFlipRows(std::uint8_t* buffer, int bytesPerRow, int rows) {
  if (bytesPerRow <= 0 || rows <= 0) return 1;
  if (buffer == nullptr) return 0;
  std::size_t rowSize = std::size_t(bytesPerRow);
  if (rowSize > SIZE_MAX / std::size_t(rows)) return 0;
  auto* scratch = static_cast<std::uint8_t*>(std::malloc(rowSize));
  if (scratch == nullptr) return 0;
  for (int top = 0, bottom = rows - 1; top < bottom; ++top, --bottom) {
    std::uint8_t* upper = buffer + std::size_t(top) * rowSize;
    std::uint8_t* lower = buffer + std::size_t(bottom) * rowSize;
    std::memcpy(scratch, upper, rowSize);
    std::memcpy(upper, lower, rowSize);
    std::memcpy(lower, scratch, rowSize);
  }
  std::free(scratch);
  return 1;
}

const char* BmpFailureReason() { return failureReason; }
