#include "picture_fit.h"

#include <cstdint>

namespace {

bool Positive(int a, int b, int c, int d) { return a > 0 && b > 0 && c > 0 && d > 0; }

PictureRect Centred(int outputWidth, int outputHeight, int width, int height) {
  return {(outputWidth - width) / 2, (outputHeight - height) / 2, width, height};
}

int CeilDivide(int value, int by) { return (value + by - 1) / by; }

}  // namespace

PictureRect PictureFitBox(int outputWidth, int outputHeight, int pictureWidth, int pictureHeight) {
  if (!Positive(outputWidth, outputHeight, pictureWidth, pictureHeight)) return {0, 0, 0, 0};
  // Which side limits: compare the aspects without rounding.
  const std::int64_t across = std::int64_t(outputWidth) * pictureHeight;
  const std::int64_t down = std::int64_t(outputHeight) * pictureWidth;
  if (across <= down)
    return Centred(outputWidth, outputHeight, outputWidth, int(across / pictureWidth));
  return Centred(outputWidth, outputHeight, int(down / pictureHeight), outputHeight);
}

PictureRect PictureFit(int outputWidth, int outputHeight, int pictureWidth, int pictureHeight) {
  if (!Positive(outputWidth, outputHeight, pictureWidth, pictureHeight)) return {0, 0, 0, 0};
  const int scaleX = outputWidth / pictureWidth;
  const int scaleY = outputHeight / pictureHeight;
  const int scale = scaleX < scaleY ? scaleX : scaleY;
  if (scale == 0) return PictureFitBox(outputWidth, outputHeight, pictureWidth, pictureHeight);
  return Centred(outputWidth, outputHeight, pictureWidth * scale, pictureHeight * scale);
}

int PictureFitMultiple(const PictureRect& box, int pictureWidth, int pictureHeight, int largestSide,
                       long long pixelBudget) {
  if (!Positive(box.width, box.height, pictureWidth, pictureHeight)) return 1;
  const int acrossMultiple = CeilDivide(box.width, pictureWidth);
  const int downMultiple = CeilDivide(box.height, pictureHeight);
  int multiple = acrossMultiple > downMultiple ? acrossMultiple : downMultiple;
  const long long pictureArea = static_cast<long long>(pictureWidth) * pictureHeight;
  auto fits = [&](long long m) {
    const bool sides = largestSide <= 0 || (m * pictureWidth <= largestSide && m * pictureHeight <= largestSide);
    return sides && m * m * pictureArea <= pixelBudget;
  };
  while (multiple > 1 && !fits(multiple)) --multiple;
  return multiple;
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
