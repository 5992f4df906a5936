#include "seeded_scene.h"

#include <cstdint>
#include <vector>

#include "display.h"
#include "expand.h"
#include "headless.h"

namespace {

const std::size_t kScreenPixels = std::size_t{SCREEN_WIDTH} * SCREEN_HEIGHT;

std::uint32_t presentColours[256];
std::vector<std::uint32_t> presentPixels(kScreenPixels);

// The present conversion, straight from the front buffer.
void ExpandPresent(const std::uint8_t* pixels, int pitch, int width, int height,
                   const PALETTEENTRY* palette) {
  if (width != SCREEN_WIDTH || height != SCREEN_HEIGHT) return;
  ExpandColours(palette, presentColours);
  if (pitch == width) {
    ExpandIndices(pixels, kScreenPixels, presentColours, presentPixels.data());
  } else {
    for (int y = 0; y < height; ++y)
      ExpandIndices(pixels + std::ptrdiff_t{y} * pitch, std::size_t(width), presentColours,
                    presentPixels.data() + std::size_t(y) * width);
  }
}

}  // namespace

bool RunInSeededScene(const std::string& programDirectory, bool down,
                      const std::function<void()>& timed) {
  HeadlessConfig config;
  config.programDirectory = programDirectory;
  config.keepFrames = false;
  config.watchdogCallsPerPass = 0;  // untraced, as in the demo
  config.maxPasses = 10;
  config.onPresentPixels = ExpandPresent;
  bool timedRan = false;
  config.onPass = [&](int pass) {
    if (pass == 1) {
      HeadlessHoldKey(VK_DOWN, down);
      timed();
      timedRan = true;
      HeadlessHoldKey(VK_DOWN, false);
    }
    HeadlessHoldKey(VK_ESCAPE, pass == 1);
  };
  HeadlessResult result = HeadlessRun(config);
  return timedRan && result.exitCode == 0;
}
