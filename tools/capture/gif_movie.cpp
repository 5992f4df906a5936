#include "gif_movie.h"

#include <unistd.h>

#include <cstdio>

#include "partial_file.h"

namespace {

const int kFramesPerSecond = 30;

void CopyColours(ColorMapObject* colours, const PALETTEENTRY* palette) {
  for (int i = 0; i < 256; ++i) {
    colours->Colors[i].Red = palette[i].peRed;
    colours->Colors[i].Green = palette[i].peGreen;
    colours->Colors[i].Blue = palette[i].peBlue;
  }
}

bool SameColours(const ColorMapObject* colours, const PALETTEENTRY* palette) {
  for (int i = 0; i < 256; ++i) {
    const GifColorType& colour = colours->Colors[i];
    if (colour.Red != palette[i].peRed || colour.Green != palette[i].peGreen ||
        colour.Blue != palette[i].peBlue)
      return false;
  }
  return true;
}

// The logical screen takes the first frame's size and palette; the
// application block makes viewers loop the animation for ever.
bool WriteScreen(GifMovie* movie, const HeadlessFrame& frame) {
  movie->screenColours = GifMakeMapObject(256, nullptr);
  movie->frameColours = GifMakeMapObject(256, nullptr);
  if (movie->screenColours == nullptr || movie->frameColours == nullptr) return false;
  CopyColours(movie->screenColours, frame.palette);
  static const GifByteType kLoopForever[3] = {1, 0, 0};
  return EGifPutScreenDesc(movie->file, frame.width, frame.height, 8, 0, movie->screenColours) ==
             GIF_OK &&
         EGifPutExtensionLeader(movie->file, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(movie->file, 11, "NETSCAPE2.0") == GIF_OK &&
         EGifPutExtensionBlock(movie->file, 3, kLoopForever) == GIF_OK &&
         EGifPutExtensionTrailer(movie->file) == GIF_OK;
}

bool WriteFrame(GifMovie* movie, const HeadlessFrame& frame) {
  GraphicsControlBlock control = {};
  control.DisposalMode = DISPOSE_DO_NOT;
  control.UserInputFlag = false;
  control.DelayTime = GifMovieDelay(movie->frames + 1);
  control.TransparentColor = NO_TRANSPARENT_COLOR;
  GifByteType controlBytes[4];
  EGifGCBToExtension(&control, controlBytes);
  const ColorMapObject* colours = nullptr;
  if (!SameColours(movie->screenColours, frame.palette)) {
    CopyColours(movie->frameColours, frame.palette);
    colours = movie->frameColours;
  }
  movie->raster.assign(frame.pixels.begin(), frame.pixels.end());
  return EGifPutExtension(movie->file, GRAPHICS_EXT_FUNC_CODE, 4, controlBytes) == GIF_OK &&
         EGifPutImageDesc(movie->file, 0, 0, frame.width, frame.height, false, colours) ==
             GIF_OK &&
         EGifPutLine(movie->file, movie->raster.data(), static_cast<int>(movie->raster.size())) ==
             GIF_OK;
}

}  // namespace

// Opened here rather than by giflib: under a temporary name, and readable
// as a file the user made would be.
bool GifMovieOpen(GifMovie* movie, const char* path) {
  movie->path = path;
  int descriptor = PartialFileOpen(movie->path, &movie->temporaryPath);
  if (descriptor < 0) return false;
  int error = 0;
  movie->file = EGifOpenFileHandle(descriptor, &error);
  if (movie->file == nullptr) {
    close(descriptor);
    return false;
  }
  EGifSetGifVersion(movie->file, true);
  return true;
}

bool GifMovieAddFrame(GifMovie* movie, const HeadlessFrame& frame) {
  if (movie->failed || movie->file == nullptr) return false;
  if (frame.width <= 0 || frame.height <= 0 ||
      frame.pixels.size() != static_cast<std::size_t>(frame.width) * frame.height ||
      (movie->frames > 0 && (frame.width != movie->file->SWidth ||
                             frame.height != movie->file->SHeight))) {
    movie->failed = true;
    return false;
  }
  if (movie->frames == 0 && !WriteScreen(movie, frame)) movie->failed = true;
  if (!movie->failed && !WriteFrame(movie, frame)) movie->failed = true;
  if (!movie->failed) ++movie->frames;
  return !movie->failed;
}

bool GifMovieClose(GifMovie* movie) {
  bool complete = movie->file != nullptr && !movie->failed && movie->frames > 0;
  if (movie->file != nullptr) {
    int error = 0;
    if (EGifCloseFile(movie->file, &error) != GIF_OK) complete = false;
    movie->file = nullptr;
  }
  GifFreeMapObject(movie->screenColours);
  GifFreeMapObject(movie->frameColours);
  movie->screenColours = movie->frameColours = nullptr;
  if (!movie->temporaryPath.empty()) {
    if (complete && std::rename(movie->temporaryPath.c_str(), movie->path.c_str()) != 0)
      complete = false;
    if (!complete) std::remove(movie->temporaryPath.c_str());
    movie->temporaryPath.clear();
  }
  return complete;
}

int GifMovieDelay(int frame) {
  return frame * 100 / kFramesPerSecond - (frame - 1) * 100 / kFramesPerSecond;
}
