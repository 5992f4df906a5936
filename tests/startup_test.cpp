// Start-up and shutdown of the whole program: the random draws, the
// palettes, the rock picture, and what a failure at each step leaves behind.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bmp.h"
#include "display.h"
#include "rocks.h"
#include "scenario.h"
#include "stars.h"

namespace {

// The random generator is drawn from in one fixed order: 768 palette
// colours, three draws per star, then five to seven per rock.
TEST(Startup, RandomDrawsFollowTheFixedOrder) {
  const int seed = 1234;
  HeadlessConfig config = DemoConfig(seed);
  Star seededStars[STAR_COUNT];
  Sprite seededRocks[ROCK_COUNT];
  config.onPass = [&](int pass) {
    if (pass == 1) {
      std::memcpy(seededStars, stars, sizeof stars);
      std::memcpy(seededRocks, rocks, sizeof rocks);
    }
    HeadlessHoldKey(VK_ESCAPE, pass == 1);
  };
  HeadlessRun(config);

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
  ASSERT_EQ(BmpRead(&picture, (ProgramDirectory() + "/ROCK8.BMP").c_str()), 1);
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
    return HeadlessRun(config);
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
  EXPECT_EQ(first.liveObjectsAfter, 0);
  EXPECT_EQ(first.misuses, 0);
}

// Runs the program from an empty folder holding only the given ROCK8.BMP
// bytes (or none), so neither lookup place finds the real picture.
HeadlessResult RunWithPicture(const std::string* bytes) {
  char folder[] = "/tmp/vorn-startup-XXXXXX";
  EXPECT_NE(mkdtemp(folder), nullptr);
  std::string path = std::string(folder) + "/ROCK8.BMP";
  if (bytes != nullptr) {
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes->data(), 1, bytes->size(), file);
    std::fclose(file);
  }
  char previous[4096];
  EXPECT_NE(getcwd(previous, sizeof previous), nullptr);
  EXPECT_EQ(chdir(folder), 0);
  HeadlessConfig config = DemoConfig();
  config.programDirectory = folder;
  config.logCalls = true;
  config.maxPasses = 20;
  HeadlessResult result = HeadlessRun(config);
  EXPECT_EQ(chdir(previous), 0);
  std::remove(path.c_str());
  rmdir(folder);
  return result;
}

std::string ReadFile(const std::string& path) {
  std::string bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return bytes;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, n);
  std::fclose(file);
  return bytes;
}

void ExpectCleanStartupFailure(const HeadlessResult& result, const char* reason) {
  EXPECT_EQ(result.exitCode, 1) << reason;
  EXPECT_EQ(result.presents, 0) << reason;
  EXPECT_FALSE(result.hung) << reason;
  EXPECT_EQ(result.liveObjectsAfter, 0) << reason;
  EXPECT_EQ(result.misuses, 0) << reason;
  ASSERT_EQ(result.debugTexts.size(), 1u) << reason;
  EXPECT_EQ(result.debugTexts[0].rfind("vorn: ROCK8.BMP: ", 0), 0u) << result.debugTexts[0];
}

TEST(Startup, MissingOrMalformedPictureStopsStartupCleanly) {
  HeadlessResult missing = RunWithPicture(nullptr);
  ExpectCleanStartupFailure(missing, "missing");
  EXPECT_EQ(CountCalls(missing, "CreateSurface"), 1);  // the screen only, no sprites

  std::string good = ReadFile(ProgramDirectory() + "/ROCK8.BMP");
  ASSERT_GT(good.size(), 1078u);

  std::string truncated = good.substr(0, 40);
  ExpectCleanStartupFailure(RunWithPicture(&truncated), "truncated headers");

  std::string notBmp = good;
  notBmp[0] = 'X';
  ExpectCleanStartupFailure(RunWithPicture(&notBmp), "not a BMP");

  // The pixel block is the end of the file: a file too short to hold it
  // after its headers is refused.
  std::string shortPixels = good.substr(0, 54 + 260 * 66 - 1);
  ExpectCleanStartupFailure(RunWithPicture(&shortPixels), "pixel block cut short");

  // A well-formed 16-bit picture is readable but has no palette to show.
  std::string sixteen = good;
  sixteen[28] = 16;  // biBitCount
  sixteen[22] = 33;  // biHeight: 33 rows of 520 bytes fill the same pixel block
  ExpectCleanStartupFailure(RunWithPicture(&sixteen), "16-bit");
}

TEST(Startup, PictureBesideTheProgramIsFoundFromAnyFolder) {
  char folder[] = "/tmp/vorn-cwd-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(folder), 0);
  HeadlessConfig config = DemoConfig();
  QuitAfter(config, 1);
  HeadlessResult result = HeadlessRun(config);
  ASSERT_EQ(chdir(previous), 0);
  rmdir(folder);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.presents, 2);
}

}  // namespace
