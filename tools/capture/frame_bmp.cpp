#include "frame_bmp.h"

#include "bmp_writer.h"

bool FrameBmpWrite(const HeadlessFrame& frame, const char* path) {
  if (frame.width <= 0 || frame.height <= 0 ||
      frame.pixels.size() != static_cast<std::size_t>(frame.width) * frame.height)
    return false;
  BmpColour colours[256];
  for (int i = 0; i < 256; ++i) {
    colours[i] = {frame.palette[i].peRed, frame.palette[i].peGreen, frame.palette[i].peBlue};
  }
  const BmpPicture picture{frame.width, frame.height, 8, frame.pixels.data(), colours, 256};
  return BmpSave(path, picture);
}
