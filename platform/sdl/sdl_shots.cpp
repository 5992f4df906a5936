#include "sdl_shots.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>
#include <string>
#include <vector>

#include "screenshot_file.h"

namespace {

struct KeptFrame {
  std::string folder;
  std::vector<std::uint8_t> pixels;  // width x height, no gaps between rows
  FrameColour colours[256] = {};
  int width = 0;
  int height = 0;
  bool valid = false;  // a frame has been kept since the mode was set
};

KeptFrame kept;

}  // namespace

void SdlShotsConfigure(const char* folder) { kept.folder = folder != nullptr ? folder : ""; }

bool SdlShotsSetMode(int width, int height) {
  kept.valid = false;
  kept.width = 0;
  kept.height = 0;
  try {
    kept.pixels.assign(std::size_t(width) * std::size_t(height), 0);
  } catch (const std::bad_alloc&) {
    kept.pixels.clear();
    return false;
  }
  kept.width = width;
  kept.height = height;
  return true;
}

void SdlShotsKeep(const std::uint8_t* pixels, int pitch, int width, int height,
                  const PALETTEENTRY* palette) {
  if (kept.pixels.empty() || width > kept.width || height > kept.height) return;
  for (int y = 0; y < kept.height; ++y) {
    std::uint8_t* row = kept.pixels.data() + std::ptrdiff_t{kept.width} * y;
    int x = 0;
    if (y < height) {
      std::memcpy(row, pixels + std::ptrdiff_t{pitch} * y, std::size_t(width));
      x = width;
    }
    std::memset(row + x, 0, std::size_t(kept.width - x));
  }
  for (int i = 0; i < 256; ++i) {
    kept.colours[i] = palette != nullptr
                          ? FrameColour{palette[i].peRed, palette[i].peGreen, palette[i].peBlue}
                          : FrameColour{0, 0, 0};
  }
  kept.valid = true;
}

void SdlScreenSaveScreenshot() {
  if (!kept.valid) {
    std::fprintf(stderr, "vorn: screenshot not saved: no frame has been shown yet\n");
    return;
  }
  const ScreenshotOutcome outcome = ScreenshotSave(kept.folder.c_str(), std::time(nullptr),
                                                   kept.pixels.data(), kept.width, kept.height,
                                                   kept.colours);
  if (outcome.saved) {
    std::printf("%s\n", outcome.path);
    std::fflush(stdout);
  } else {
    std::fprintf(stderr, "vorn: screenshot not saved: %s\n", outcome.reason);
  }
}
