// Keyed blits at every row width from 1 to 130 pixels, against a pixel-by-
// pixel reference: whatever step the rows are worked in (16 or 32 pixels,
// with one overlapping last step), every width must come out the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "headless.h"
#include "platform.h"
#include "portable/process_control.h"
#include "surface_desc.h"

namespace {

const int kMaxWidth = 130;
const int kRows = 3;

IDirectDrawSurface* Offscreen(IDirectDraw* dd, int width, int height) {
  DDSURFACEDESC desc = OffscreenDesc(width, height);
  IDirectDrawSurface* surface = nullptr;
  return dd->CreateSurface(&desc, &surface, nullptr) == DD_OK ? surface : nullptr;
}

// The surface's rows without their padding; with `values`, writes them
// first (width x height bytes).
std::vector<std::uint8_t> Pixels(IDirectDrawSurface* surface,
                                 const std::uint8_t* values = nullptr) {
  DDSURFACEDESC desc = {};
  desc.dwSize = sizeof desc;
  std::vector<std::uint8_t> pixels;
  if (surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return pixels;
  auto* rows = static_cast<std::uint8_t*>(desc.lpSurface);
  for (DWORD y = 0; y < desc.dwHeight; ++y) {
    std::uint8_t* row = rows + y * desc.lPitch;
    if (values != nullptr)
      std::copy(values + y * desc.dwWidth, values + (y + 1) * desc.dwWidth, row);
    pixels.insert(pixels.end(), row, row + desc.dwWidth);
  }
  surface->Unlock(desc.lpSurface);
  return pixels;
}

// Values 0..9 in an irregular order, so keyed and copied pixels alternate
// at every position of a step.
std::uint8_t PatternAt(int i) { return static_cast<std::uint8_t>((i * 7 + i / 13) % 10); }

TEST(KeyedBlit, EveryWidthMatchesThePixelByPixelRule) {
  HeadlessConfig config;
  config.pitchPadding = 5;  // rows start at odd offsets
  HeadlessBegin(config);
  IDirectDraw* dd = nullptr;
  ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
  ASSERT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
  IDirectDrawSurface* source = Offscreen(dd, kMaxWidth, kRows);
  IDirectDrawSurface* target = Offscreen(dd, kMaxWidth + 3, kRows + 1);
  ASSERT_NE(source, nullptr);
  ASSERT_NE(target, nullptr);
  std::vector<std::uint8_t> pattern(kMaxWidth * kRows);
  for (int i = 0; i < kMaxWidth * kRows; ++i) pattern[i] = PatternAt(i);
  Pixels(source, pattern.data());
  const std::vector<std::uint8_t> background((kMaxWidth + 3) * (kRows + 1), 200);

  for (int step = 0; step < 4; ++step) {
    const std::uint8_t keyValue = step % 2 == 0 ? 0 : 3;
    const bool wide = step < 2;
    PlatformAllowWideBlitSteps(wide);
    DDCOLORKEY key = {keyValue, keyValue};
    ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    for (int width = 1; width <= kMaxWidth; ++width) {
      Pixels(target, background.data());
      RECT from = {kMaxWidth - width, 0, kMaxWidth, kRows};
      RECT to = {3, 1, 3 + width, 1 + kRows};
      ASSERT_EQ(target->Blt(&to, source, &from, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
      std::vector<std::uint8_t> expected = background;
      for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < width; ++x) {
          std::uint8_t pixel = pattern[y * kMaxWidth + kMaxWidth - width + x];
          if (pixel != keyValue) expected[(1 + y) * (kMaxWidth + 3) + 3 + x] = pixel;
        }
      ASSERT_EQ(Pixels(target), expected)
          << "width " << width << " key " << int(keyValue) << " wide " << wide;
    }
  }
  PlatformAllowWideBlitSteps(true);
  HeadlessEnd();
}

}  // namespace
