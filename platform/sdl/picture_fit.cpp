#include "picture_fit.h"

#include <cstdint>

PictureRect PictureFit(int outputWidth, int outputHeight, int pictureWidth, int pictureHeight) {
  if (outputWidth <= 0 || outputHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0)
    return {0, 0, 0, 0};
  const int scaleX = outputWidth / pictureWidth;
  const int scaleY = outputHeight / pictureHeight;
  const int scale = scaleX < scaleY ? scaleX : scaleY;
  int width = pictureWidth * scale;
  int height = pictureHeight * scale;
  if (scale == 0) {
    // Which side limits: compare the aspects without rounding.
    const std::int64_t across = std::int64_t(outputWidth) * pictureHeight;
    const std::int64_t down = std::int64_t(outputHeight) * pictureWidth;
    if (across <= down) {
      width = outputWidth;
      height = int(across / pictureWidth);
    } else {
      height = outputHeight;
      width = int(down / pictureHeight);
    }
  }
  return {(outputWidth - width) / 2, (outputHeight - height) / 2, width, height};
}

int PictureWindowScale(int desktopWidth, int desktopHeight, int pictureWidth, int pictureHeight) {
  if (pictureWidth <= 0 || pictureHeight <= 0) return 1;
  auto room = [](int side) {
    const int spare = side / 20 > 32 ? side / 20 : 32;
    return side - spare;
  };
  const int scaleX = room(desktopWidth) / pictureWidth;
  const int scaleY = room(desktopHeight) / pictureHeight;
  const int scale = scaleX < scaleY ? scaleX : scaleY;
  return scale >= 1 ? scale : 1;
}
