// Reads uncompressed BMP files into memory: the headers as stored, an 8-bit
// file's colour table as 256 display-ready palette entries, and the pixels
// top row first (8- and 16-bit kept, other depths converted to 5-5-5).
#pragma once

#include <cstdint>

#include "platform.h"

struct BmpImage {
  BITMAPFILEHEADER fileHeader;
  BITMAPINFOHEADER infoHeader;
  PALETTEENTRY palette[256];
  std::uint8_t* pixels;  // owned from BmpRead until BmpDiscard; null when none
};

// Called by the scene's start-up (and tools) to load a picture. Returns 1 on
// success; 0 when the file cannot be opened or is refused, with nothing
// allocated left behind. The caller owns the pixels until BmpDiscard.
int BmpRead(BmpImage* image, const char* fileName);

// Frees the pixels, if any. Headers and palette stay. Returns 1.
int BmpDiscard(BmpImage* image);

// Reverses the order of the rows in place. Returns 0, leaving the buffer as
// it was, when its scratch memory cannot be had.
int BmpFlipRows(std::uint8_t* buffer, int bytesPerRow, int rows);

// Why the last BmpRead returned 0, as a short phrase ("not a BMP file").
const char* BmpFailureReason();
