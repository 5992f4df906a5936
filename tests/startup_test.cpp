// Start-up and shutdown of the whole program: the random draws, the
// palettes, the rock picture, and what a failure at each step leaves behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "bmp.h"
#include "bmp_writer.h"
#include "display.h"
#include "kit_fixtures.h"
#include "rocks.h"
#include "stars.h"

namespace {

// The random generator is drawn from in one fixed order: 768 palette
// colours, three draws per star, then five to seven per rock.
TEST(Startup, RandomDrawsFollowTheFixedOrder) {
  const int seed = 1234;
  HeadlessConfig config = DemoConfig(seed);
  Star seededStars[STAR_COUNT];
  Sprite seededRocks[ROCK_COUNT];
  AtPass(config, 1, [&] {
    std::memcpy(seededStars, stars, sizeof stars);
    std::memcpy(seededRocks, rocks, sizeof rocks);
  });
  QuitAfter(config, 1);
  RunClean(config);

  std::srand(seed);
  for (int i = 0; i < 256; ++i) {
    int red = std::rand() & 255, green = std::rand() & 255, blue = std::rand() & 255;
    const PALETTEENTRY& entry = display.workingPalette[i];
    if (i == 0) red = green = blue = 0;
    ASSERT_EQ(entry.peRed, red) << i;
    ASSERT_EQ(entry.peGreen, green) << i;
    ASSERT_EQ(entry.peBlue, blue) << i;
    ASSERT_EQ(entry.peFlags, PC_NOCOLLAPSE) << i;
  }
  for (const Star& star : seededStars) {
    int x = std::rand() % 640, y = std::rand() % 480, speedClass = std::rand() & 3;
    ASSERT_EQ(star.x, x);
    ASSERT_EQ(star.y, y);
    ASSERT_EQ(star.speed, -1 - 2 * speedClass);
  }
  for (const Sprite& rock : seededRocks) {
    std::rand();  // the picture cell
    int x = std::rand() % 640, y = std::rand() % 480;
    int xVelocity = (std::rand() & 15) - 8, yVelocity = (std::rand() & 15) - 8;
    if (xVelocity == 0) xVelocity = (std::rand() & 15) + 3;
    if (yVelocity < 1) yVelocity = (std::rand() & 15) + 3;
    ASSERT_EQ(rock.x, x);
    ASSERT_EQ(rock.y, y);
    ASSERT_EQ(rock.xVelocity, xVelocity);
    ASSERT_EQ(rock.yVelocity, yVelocity);
  }
}

TEST(Startup, FramesShowThePicturePaletteAndRepeatForASeed) {
  BmpImage picture = {};
  ASSERT_EQ(BmpRead(&picture, BesideTheProgram("ROCK8.BMP").c_str()), 1);
  BmpDiscard(&picture);

  auto run = [](int seed, int pitchPadding) {
    HeadlessConfig config = DemoConfig(seed);
    config.pitchPadding = pitchPadding;
    config.onPass = [](int pass) {
      HeadlessHoldKey(VK_LEFT, pass >= 3 && pass <= 6);
      HeadlessHoldKey(VK_DOWN, pass >= 5 && pass <= 8);
      HeadlessHoldKey(VK_UP, pass == 9);
      HeadlessHoldKey(VK_ESCAPE, pass == 10);
    };
    return RunClean(config);
  };
  HeadlessResult first = run(42, 0);
  HeadlessResult again = run(42, 0);
  HeadlessResult padded = run(42, 72);
  HeadlessResult other = run(43, 0);

  ASSERT_EQ(first.frames.size(), 11u);
  for (const HeadlessFrame& frame : first.frames) {
    EXPECT_EQ(std::memcmp(frame.palette, picture.palette, sizeof picture.palette), 0);
  }
  bool differs = false;
  for (std::size_t i = 0; i < first.frames.size(); ++i) {
    EXPECT_EQ(first.frames[i].pixels, again.frames[i].pixels) << "frame " << i + 1;
    EXPECT_EQ(first.frames[i].pixels, padded.frames[i].pixels) << "frame " << i + 1;
    differs |= first.frames[i].pixels != other.frames[i].pixels;
  }
  EXPECT_TRUE(differs);
}

// Runs the program from an empty folder holding only the given ROCK8.BMP
// bytes (or none), so neither lookup place finds the real picture. A
// refused start-up must still end clean, with one line saying why.
HeadlessResult RunWithPicture(const Bytes* bytes, const char* reason) {
  SCOPED_TRACE(reason);
  ScratchFolder folder;
  if (bytes != nullptr) {
    EXPECT_TRUE(BmpWriteFile((folder / "ROCK8.BMP").c_str(), *bytes));
  }
  WorkingDirectory inFolder(folder.path);
  EXPECT_TRUE(inFolder.ok);
  HeadlessConfig config = DemoConfig();
  config.programDirectory = folder.path;
  config.logCalls = true;
  config.maxPasses = 20;
  HeadlessResult result = RunClean(config);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.presents, 0);
  EXPECT_EQ(result.debugTexts.size(), 1u);
  for (const std::string& text : result.debugTexts)
    EXPECT_EQ(text.rfind("vorn: ROCK8.BMP: ", 0), 0u) << text;
  return result;
}

TEST(Startup, MissingOrMalformedPictureStopsStartupCleanly) {
  HeadlessResult missing = RunWithPicture(nullptr, "missing");
  EXPECT_EQ(CountCalls(missing, "CreateSurface"), 1);  // the screen only, no sprites

  Bytes good = ReadWholeFile(BesideTheProgram("ROCK8.BMP"));
  ASSERT_GT(good.size(), 1078u);

  Bytes truncated(good.begin(), good.begin() + 40);
  RunWithPicture(&truncated, "truncated headers");

  Bytes notBmp = good;
  notBmp[0] = 'X';
  RunWithPicture(&notBmp, "not a BMP");

  // The pixel block is the end of the file: a file too short to hold it
  // after its headers is refused.
  Bytes shortPixels(good.begin(), good.begin() + 54 + 260 * 66 - 1);
  RunWithPicture(&shortPixels, "pixel block cut short");

  // A well-formed 16-bit picture is readable but has no palette to show.
  Bytes sixteen = good;
  sixteen[28] = 16;  // biBitCount
  sixteen[22] = 33;  // biHeight: 33 rows of 520 bytes fill the same pixel block
  RunWithPicture(&sixteen, "16-bit");
}

TEST(Startup, PictureBesideTheProgramIsFoundFromAnyFolder) {
  ScratchFolder folder;
  WorkingDirectory inFolder(folder.path);
  ASSERT_TRUE(inFolder.ok);
  HeadlessConfig config = DemoConfig();
  QuitAfter(config, 1);
  HeadlessResult result = RunClean(config);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.presents, 2);
}

}  // namespace
