// The headless host's raw present hook, which benchmarks use to convert
// frames without the host's own copy: it must see exactly what is kept.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "kit_fixtures.h"

namespace {

TEST(HeadlessPresent, TheFrontBufferHandedOverIsTheFrameAsKept) {
  auto run = [](bool keep, std::vector<HeadlessFrame>* seen) {
    HeadlessConfig config = DemoConfig(11);
    config.keepFrames = keep;
    config.pitchPadding = 3;
    QuitAfter(config, 3);
    config.onPresentPixels = [seen](const std::uint8_t* pixels, int pitch, int width, int height,
                                    const PALETTEENTRY* palette) {
      HeadlessFrame frame;
      frame.width = width;
      frame.height = height;
      for (int y = 0; y < height; ++y)
        frame.pixels.insert(frame.pixels.end(), pixels + y * pitch, pixels + y * pitch + width);
      std::memcpy(frame.palette, palette, sizeof frame.palette);
      seen->push_back(frame);
    };
    return RunClean(config);
  };
  std::vector<HeadlessFrame> seenWhileKept;
  std::vector<HeadlessFrame> seenAlone;
  HeadlessResult kept = run(true, &seenWhileKept);
  HeadlessResult alone = run(false, &seenAlone);
  ASSERT_EQ(kept.frames.size(), 4u);
  EXPECT_TRUE(alone.frames.empty());
  EXPECT_EQ(alone.presents, 4);
  ASSERT_EQ(seenWhileKept.size(), 4u);
  ASSERT_EQ(seenAlone.size(), 4u);
  for (std::size_t i = 0; i < kept.frames.size(); ++i) {
    EXPECT_EQ(seenWhileKept[i].pixels, kept.frames[i].pixels) << i;
    EXPECT_EQ(seenAlone[i].pixels, kept.frames[i].pixels) << i;
    const PALETTEENTRY* keptPalette = kept.frames[i].palette;
    EXPECT_EQ(std::memcmp(seenAlone[i].palette, keptPalette, 256 * sizeof *keptPalette), 0) << i;
  }
}

}  // namespace
