// Sprite objects: creation, filling from picture cells, keyed drawing and
// release, exercised inside a running program so the display exists.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "display.h"
#include "kit_fixtures.h"
#include "sprite.h"

namespace {

// A 260 x 66 8-bit picture whose every pixel tells where it came from.
struct TestPicture {
  BmpImage image = {};
  Bytes pixels;
  TestPicture(int width = 260, int height = 66) : pixels(static_cast<std::size_t>(width) * height) {
    image.infoHeader.biWidth = width;
    image.infoHeader.biHeight = height;
    image.infoHeader.biBitCount = 8;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) pixels[static_cast<std::size_t>(y) * width + x] = Value(x, y);
    }
    image.pixels = pixels.data();
  }
  static std::uint8_t Value(int x, int y) { return static_cast<std::uint8_t>((x * 7 + y * 13) % 255 + 1); }
};

// Runs `body` once while the program is up, on a display whose surface rows
// carry `pitchPadding` extra bytes.
void WithDisplay(const std::function<void()>& body, int pitchPadding = 0) {
  HeadlessConfig config = DemoConfig();
  config.pitchPadding = pitchPadding;
  config.keepFrames = false;
  AtPass(config, 1, body);
  QuitAfter(config, 1);
  EXPECT_EQ(RunClean(config).exitCode, 0);
}

IDirectDrawSurface* MakeScreenSizedSurface(DWORD fill) {
  IDirectDrawSurface* surface = CreateOffscreen(display.displayObject, 640, 480);
  EXPECT_NE(surface, nullptr);
  EXPECT_EQ(ColourFill(surface, fill), DD_OK);
  return surface;
}

void ExpectCell(IDirectDrawSurface* surface, int px, int py) {
  Bytes got = SurfacePixels(surface);
  ASSERT_EQ(got.size(), 64u * 64u);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      ASSERT_EQ(got[static_cast<std::size_t>(y) * 64 + x], TestPicture::Value(px + x, py + y))
          << "at " << x << "," << y;
    }
  }
}

TEST(Sprite, CellsSitOnTheBorderedGridAndPixelModeTakesCoordinates) {
  for (int padding : {0, 40}) {  // a pitch wider than the picture must not skew rows
    WithDisplay(
        [] {
          TestPicture picture;
          Sprite sprite = {};
          ASSERT_EQ(SpriteCreate(&sprite, 64, 64, 0, DDSCAPS_SYSTEMMEMORY), 1);
          EXPECT_EQ(SpriteLoadCell(&sprite, &picture.image, 0, 0, 0), 1);
          ExpectCell(sprite.surface, 1, 1);
          EXPECT_EQ(SpriteLoadCell(&sprite, &picture.image, 3, 0, 0), 1);
          ExpectCell(sprite.surface, 196, 1);
          EXPECT_EQ(SpriteLoadCell(&sprite, &picture.image, 5, 2, 1), 1);
          ExpectCell(sprite.surface, 5, 2);
          EXPECT_EQ(sprite.state, 3);
          EXPECT_EQ(SpriteRelease(&sprite), 1);
        },
        padding);
  }
}

TEST(Sprite, ACellOutsideThePictureIsNotCopied) {
  WithDisplay([] {
    TestPicture picture(200, 66);  // cell 3 would need columns up to 259
    Sprite sprite = {};
    ASSERT_EQ(SpriteCreate(&sprite, 64, 64, 0, DDSCAPS_SYSTEMMEMORY), 1);
    EXPECT_EQ(SpriteLoadCell(&sprite, &picture.image, 3, 0, 0), 0);
    EXPECT_EQ(SpriteLoadCell(&sprite, &picture.image, 0, 1, 0), 0);
    EXPECT_EQ(SpriteLoadCell(&sprite, &picture.image, -1, 0, 1), 0);
    EXPECT_EQ(sprite.state, 1);
    Bytes pixels = SurfacePixels(sprite.surface);
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0), 64 * 64);
    SpriteRelease(&sprite);
  });
}

TEST(Sprite, BlitShowsTheTopLeft63SquareWithIndexZeroTransparent) {
  WithDisplay([] {
    TestPicture picture;
    // Left half of the cell transparent.
    for (int y = 1; y < 65; ++y) std::memset(&picture.pixels[static_cast<std::size_t>(y) * 260 + 1], 0, 32);
    Sprite sprite = {};
    ASSERT_EQ(SpriteCreate(&sprite, 64, 64, 0, DDSCAPS_SYSTEMMEMORY), 1);
    ASSERT_EQ(SpriteLoadCell(&sprite, &picture.image, 0, 0, 0), 1);
    sprite.x = 1;
    sprite.y = 1;
    IDirectDrawSurface* target = MakeScreenSizedSurface(7);
    EXPECT_EQ(SpriteBlit(&sprite, target), 1);

    Bytes screen = SurfacePixels(target);
    ASSERT_EQ(screen.size(), 640u * 480u);
    for (int y = 0; y < 70; ++y) {
      for (int x = 0; x < 70; ++x) {
        bool covered = x >= 1 && x <= 63 && y >= 1 && y <= 63 && x >= 33;
        std::uint8_t want = covered ? TestPicture::Value(x, y) : 7;
        ASSERT_EQ(screen[static_cast<std::size_t>(y) * 640 + x], want) << x << "," << y;
      }
    }
    target->Release();
    SpriteRelease(&sprite);
  });
}

TEST(Sprite, FailuresLeaveNothingDrawnAndNothingReleasedTwice) {
  WithDisplay([] {
    TestPicture picture;
    Sprite sprite = {};
    TraceArmFault("CreateSurface", FaultMode::Once);
    EXPECT_EQ(SpriteCreate(&sprite, 64, 64, 5, DDSCAPS_SYSTEMMEMORY), 0);
    EXPECT_EQ(sprite.surface, nullptr);
    EXPECT_EQ(sprite.state, 1);
    EXPECT_EQ(sprite.width, 64);
    EXPECT_EQ(sprite.attr, 5);
    EXPECT_EQ(SpriteLoadCell(&sprite, &picture.image, 0, 0, 0), 0);
    IDirectDrawSurface* target = MakeScreenSizedSurface(7);
    EXPECT_EQ(SpriteBlit(&sprite, target), 0);
    EXPECT_EQ(SpriteRelease(&sprite), 0);

    // A sprite whose lock fails keeps an empty picture and is never drawn.
    ASSERT_EQ(SpriteCreate(&sprite, 64, 64, 0, DDSCAPS_SYSTEMMEMORY), 1);
    TraceArmFault("Lock", FaultMode::Once);
    EXPECT_EQ(SpriteLoadCell(&sprite, &picture.image, 0, 0, 0), 0);
    EXPECT_EQ(sprite.state, 1);
    EXPECT_EQ(SpriteBlit(&sprite, target), 0);
    Bytes screen = SurfacePixels(target);
    EXPECT_EQ(std::count(screen.begin(), screen.end(), 7), 640 * 480);

    EXPECT_EQ(SpriteRelease(&sprite), 1);
    EXPECT_EQ(SpriteRelease(&sprite), 0);
    target->Release();
  });
}

}  // namespace
