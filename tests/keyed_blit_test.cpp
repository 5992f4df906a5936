// Keyed blits at every row width from 1 to 130 pixels, against a pixel-by-
// pixel reference: whatever step the rows are worked in (16 or 32 pixels,
// with one overlapping last step), every width must come out the same.
#include <gtest/gtest.h>

#include "kit_fixtures.h"
#include "portable/process_control.h"

namespace {

const int kMaxWidth = 130;
const int kRows = 3;

// Values 0..9 in an irregular order, so keyed and copied pixels alternate
// at every position of a step.
std::uint8_t PatternAt(int i) { return static_cast<std::uint8_t>((i * 7 + i / 13) % 10); }

using KeyedBlit = DisplayTest;

TEST_F(KeyedBlit, EveryWidthMatchesThePixelByPixelRule) {
  HeadlessConfig config;
  config.pitchPadding = 5;  // rows start at odd offsets
  ASSERT_TRUE(Reopen(config));
  IDirectDrawSurface* source = Offscreen(kMaxWidth, kRows);
  IDirectDrawSurface* target = Offscreen(kMaxWidth + 3, kRows + 1);
  Bytes pattern(kMaxWidth * kRows);
  for (int i = 0; i < kMaxWidth * kRows; ++i) pattern[i] = PatternAt(i);
  ASSERT_TRUE(WriteSurfacePixels(source, pattern));
  const Bytes background((kMaxWidth + 3) * (kRows + 1), 200);

  for (int step = 0; step < 4; ++step) {
    const std::uint8_t keyValue = step % 2 == 0 ? 0 : 3;
    const bool wide = step < 2;
    PlatformAllowWideBlitSteps(wide);
    DDCOLORKEY key = {keyValue, keyValue};
    ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    for (int width = 1; width <= kMaxWidth; ++width) {
      ASSERT_TRUE(WriteSurfacePixels(target, background));
      RECT from = {kMaxWidth - width, 0, kMaxWidth, kRows};
      RECT to = {3, 1, 3 + width, 1 + kRows};
      ASSERT_EQ(target->Blt(&to, source, &from, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
      Bytes expected = background;
      for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < width; ++x) {
          std::uint8_t pixel = pattern[y * kMaxWidth + kMaxWidth - width + x];
          if (pixel != keyValue) expected[(1 + y) * (kMaxWidth + 3) + 3 + x] = pixel;
        }
      ASSERT_EQ(SurfacePixels(target), expected)
          << "width " << width << " key " << int(keyValue) << " wide " << wide;
    }
  }
  PlatformAllowWideBlitSteps(true);
}

}  // namespace
