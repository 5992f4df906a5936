// The BMP reader on arbitrary bytes. Whatever the file holds, a read either
// fails leaving nothing allocated, or succeeds with a pixel buffer that holds
// every byte its headers promise: the rows its users index (biWidth x
// biHeight pixels) and, for kept depths, the biSizeImage bytes it read.
// Every one of those bytes is touched, so AddressSanitizer sees a short buffer.
#include <cstdint>
#include <cstring>

#include "bmp.h"
#include "fuzz_input_file.h"
#include "kit.h"

namespace {

// The depth the file declares, before any conversion.
int DeclaredDepth(const std::uint8_t* data, std::size_t size) {
  const std::size_t at = 14 + 14;  // biBitCount in the info header
  return size >= at + 2 ? int(Le16(data + at)) : -1;
}

void CheckRead(const BmpImage& image, int declaredDepth) {
  const BITMAPINFOHEADER& info = image.infoHeader;
  if (image.pixels == nullptr) FuzzFail("a read succeeded without pixels");
  if (info.biWidth <= 0 || info.biHeight <= 0) FuzzFail("a read succeeded with no rows");
  if (info.biBitCount != 8 && info.biBitCount != 16) FuzzFail("pixels left in an unknown depth");
  std::size_t rowBytes = std::size_t(info.biWidth) * std::size_t(info.biBitCount / 8);
  TouchEveryByte(image.pixels, rowBytes * std::size_t(info.biHeight));
  if (declaredDepth == 8 || declaredDepth == 16) TouchEveryByte(image.pixels, info.biSizeImage);
  for (const PALETTEENTRY& entry : image.palette) {
    if (declaredDepth == 8 && entry.peFlags != PC_NOCOLLAPSE)
      FuzzFail("a palette entry without PC_NOCOLLAPSE");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* path = FuzzWriteInput(data, size);
  BmpImage image;
  std::memset(&image, 0, sizeof image);
  if (BmpRead(&image, path)) {
    CheckRead(image, DeclaredDepth(data, size));
  } else if (image.pixels != nullptr) {
    FuzzFail("a failed read left pixels behind");
  }
  BmpDiscard(&image);
  if (image.pixels != nullptr) FuzzFail("discarded pixels are still referenced");
  return 0;
}
