// The star field: seeding, motion under every key, wrapping and drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "rocks.h"
#include "scenario.h"
#include "stars.h"

namespace {

struct Snapshot {
  Star table[STAR_COUNT];
};

Snapshot TakeSnapshot() {
  Snapshot snapshot;
  std::memcpy(snapshot.table, stars, sizeof stars);
  return snapshot;
}

// Runs the demo, holding `keys` during frame 3 only, and returns the star
// table as it was before and after that frame.
std::pair<Snapshot, Snapshot> StarsAroundFrame3(std::vector<int> keys,
                                                void (*place)() = nullptr) {
  std::pair<Snapshot, Snapshot> tables;
  HeadlessConfig config = DemoConfig(11);
  config.keepFrames = false;
  config.onPass = [&](int pass) {
    if (pass == 3) {
      if (place != nullptr) place();
      tables.first = TakeSnapshot();
    }
    if (pass == 4) tables.second = TakeSnapshot();
    for (int key : keys) HeadlessHoldKey(key, pass == 3);
    HeadlessHoldKey(VK_ESCAPE, pass == 4);
  };
  HeadlessResult result = HeadlessRun(config);
  EXPECT_EQ(result.exitCode, 0);
  return tables;
}

int Wrap(int value, int size) { return ((value % size) + size) % size; }

TEST(Stars, SeedingTiesSpeedToColourAndFillsTheScreen) {
  HeadlessConfig config = DemoConfig(5);
  Snapshot seeded;
  config.onPass = [&](int pass) {
    if (pass == 1) seeded = TakeSnapshot();
    HeadlessHoldKey(VK_ESCAPE, pass == 1);
  };
  HeadlessRun(config);

  int perClass[4] = {};
  for (const Star& star : seeded.table) {
    ASSERT_GE(star.x, 0);
    ASSERT_LT(star.x, 640);
    ASSERT_GE(star.y, 0);
    ASSERT_LT(star.y, 480);
    int speedClass = (-star.speed - 1) / 2;
    ASSERT_GE(speedClass, 0);
    ASSERT_LE(speedClass, 3);
    ASSERT_EQ(star.speed, -1 - 2 * speedClass);
    ASSERT_EQ(star.color, 245 - 3 * speedClass);
    ++perClass[speedClass];
  }
  for (int count : perClass) EXPECT_GT(count, 100);
}

TEST(Stars, WithoutKeysEveryStarFallsByItsSpeedAndWraps) {
  auto [before, after] = StarsAroundFrame3({});
  for (int i = 0; i < STAR_COUNT; ++i) {
    const Star& was = before.table[i];
    EXPECT_EQ(after.table[i].x, was.x);
    EXPECT_EQ(after.table[i].y, Wrap(was.y - was.speed, 480));
  }
}

TEST(Stars, UpHaltsTheFallAndUpWithDownFallsByTheExtraOnly) {
  auto [before, after] = StarsAroundFrame3({VK_UP});
  EXPECT_EQ(std::memcmp(before.table, after.table, sizeof before.table), 0);

  auto [before2, after2] = StarsAroundFrame3({VK_UP, VK_DOWN});
  for (int i = 0; i < STAR_COUNT; ++i) {
    const Star& was = before2.table[i];
    EXPECT_EQ(after2.table[i].y, Wrap(was.y + 3 - was.speed, 480));
    EXPECT_EQ(after2.table[i].x, was.x);
  }
}

TEST(Stars, SidewaysKeysMoveByThreeMoreThanTheSpeedAndCancelTogether) {
  auto [before, after] = StarsAroundFrame3({VK_LEFT});
  for (int i = 0; i < STAR_COUNT; ++i) {
    const Star& was = before.table[i];
    EXPECT_EQ(after.table[i].x, Wrap(was.x + was.speed - 3, 640));
  }
  auto [beforeRight, afterRight] = StarsAroundFrame3({VK_RIGHT});
  for (int i = 0; i < STAR_COUNT; ++i) {
    const Star& was = beforeRight.table[i];
    EXPECT_EQ(afterRight.table[i].x, Wrap(was.x + 3 - was.speed, 640));
  }
  auto [beforeBoth, afterBoth] = StarsAroundFrame3({VK_LEFT, VK_RIGHT});
  for (int i = 0; i < STAR_COUNT; ++i) EXPECT_EQ(afterBoth.table[i].x, beforeBoth.table[i].x);
}

void PlaceEdgeStars() {
  stars[0] = {236, 100, 479, -7};  // bottom row, fastest
  stars[1] = {245, 2, 100, -1};    // near the left edge, slowest
  stars[2] = {245, 639, 200, -1};  // right edge
}

TEST(Stars, EdgesWrapToTheOtherSide) {
  auto [before, after] = StarsAroundFrame3({}, PlaceEdgeStars);
  EXPECT_EQ(after.table[0].y, 6);
  auto [beforeLeft, afterLeft] = StarsAroundFrame3({VK_LEFT}, PlaceEdgeStars);
  EXPECT_EQ(afterLeft.table[1].x, 638);
  auto [beforeRight, afterRight] = StarsAroundFrame3({VK_RIGHT}, PlaceEdgeStars);
  EXPECT_EQ(afterRight.table[2].x, 3);
}

bool UnderARock(int x, int y) {
  for (const Sprite& rock : rocks) {
    if (x >= rock.x && x < rock.x + rock.width - 1 && y >= rock.y && y < rock.y + rock.height - 1) {
      return true;
    }
  }
  return false;
}

// Draws frame 3 with or without Down and checks every visible star pixel.
void CheckStarPixels(bool down) {
  HeadlessConfig config = DemoConfig(3);
  Snapshot drawn;
  HeadlessFrame frame;
  int presents = 0;
  config.onPresent = [&](const HeadlessFrame& presented) {
    if (++presents == 3) {
      frame = presented;
      drawn = TakeSnapshot();
    }
  };
  config.onPass = [&](int pass) {
    // Lands on row 478 with Down held (7 + 10 rows): its streak reaches two
    // rows below the screen, which must be dropped, not written.
    if (pass == 3) stars[0] = {236, 321, 461, -7};
    HeadlessHoldKey(VK_DOWN, down && pass == 3);
    HeadlessHoldKey(VK_ESCAPE, pass == 3);
  };
  HeadlessRun(config);
  ASSERT_EQ(frame.width, 640);

  int lit = 0;
  for (const Star& star : drawn.table) {
    for (int i = 0; i < (down ? 4 : 1); ++i) {
      if (star.y + i >= 480 || UnderARock(star.x, star.y + i)) continue;
      // A later star may cover an earlier one, but never with colour 0.
      EXPECT_NE(PixelAt(frame, star.x, star.y + i), 0) << star.x << "," << star.y + i;
      ++lit;
    }
  }
  EXPECT_GT(lit, down ? 1200 : 300);
  int starPixels =
      static_cast<int>(std::count_if(frame.pixels.begin(), frame.pixels.end(), IsStarColour));
  EXPECT_LE(starPixels, down ? 2400 : 600);
}

TEST(Stars, DrawnAsPixelsOrAsStreaksWhileDownIsHeld) {
  CheckStarPixels(false);
  CheckStarPixels(true);
}

}  // namespace
