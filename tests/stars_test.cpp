// The star field: seeding, motion under every key, wrapping and drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "kit_fixtures.h"
#include "rocks.h"
#include "stars.h"

namespace {

using StarTable = std::array<Star, STAR_COUNT>;

StarTable TakeSnapshot() {
  StarTable table;
  std::memcpy(table.data(), stars, sizeof stars);
  return table;
}

// Runs the demo, holding `keys` during frame 3 only, and returns the star
// table as it was before and after that frame.
std::pair<StarTable, StarTable> StarsAroundFrame3(const std::vector<int>& keys, void (*place)()) {
  std::pair<StarTable, StarTable> tables;
  HeadlessConfig config = DemoConfig(11);
  config.keepFrames = false;
  config.onPass = [&](int pass) {
    for (int key : keys) HeadlessHoldKey(key, pass == 3);
  };
  AtPass(config, 3, [&] {
    place();
    tables.first = TakeSnapshot();
  });
  AtPass(config, 4, [&] { tables.second = TakeSnapshot(); });
  QuitAfter(config, 4);
  EXPECT_EQ(RunClean(config).exitCode, 0);
  return tables;
}

int Wrap(int value, int size) { return ((value % size) + size) % size; }

TEST(Stars, SeedingTiesSpeedToColourAndFillsTheScreen) {
  HeadlessConfig config = DemoConfig(5);
  StarTable seeded;
  AtPass(config, 1, [&] { seeded = TakeSnapshot(); });
  QuitAfter(config, 1);
  RunClean(config);

  int perClass[4] = {};
  for (const Star& star : seeded) {
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

// Stars at the edges, so every key's move wraps one of them.
void PlaceEdgeStars() {
  stars[0] = {236, 100, 479, -7};  // bottom row, fastest
  stars[1] = {245, 2, 100, -1};    // near the left edge, slowest
  stars[2] = {245, 639, 200, -1};  // right edge
}

// A frame's move under the held keys: across by xPerSpeed * speed + xExtra,
// down by yPerSpeed * speed + yExtra (speeds are negative), wrapping at the
// edges; and one edge star's coordinate worked out by hand.
struct Motion {
  std::vector<int> keys;
  int xPerSpeed, xExtra, yPerSpeed, yExtra;
  int edgeStar = -1;  // none
  bool edgeAcross = false;
  int edgeValue = 0;
};

TEST(Stars, EveryStarMovesByItsSpeedAndTheKeysAndWraps) {
  const Motion motions[] = {
      {{}, 0, 0, -1, 0, 0, false, 6},           // falls by its speed
      {{VK_UP}, 0, 0, 0, 0},                    // Up halts the fall
      {{VK_UP, VK_DOWN}, 0, 0, -1, 3},          // with Down, by Down's extra only
      {{VK_DOWN}, 0, 0, -2, 3},
      {{VK_LEFT}, 1, -3, -1, 0, 1, true, 638},  // sideways, three more than the speed
      {{VK_RIGHT}, -1, 3, -1, 0, 2, true, 3},
      {{VK_LEFT, VK_RIGHT}, 0, 0, -1, 0},       // the two cancel
  };
  for (const Motion& motion : motions) {
    SCOPED_TRACE(::testing::PrintToString(motion.keys));
    auto [before, after] = StarsAroundFrame3(motion.keys, PlaceEdgeStars);
    for (int i = 0; i < STAR_COUNT; ++i) {
      const Star& was = before[i];
      ASSERT_EQ(after[i].x, Wrap(was.x + motion.xPerSpeed * was.speed + motion.xExtra, 640)) << i;
      ASSERT_EQ(after[i].y, Wrap(was.y + motion.yPerSpeed * was.speed + motion.yExtra, 480)) << i;
      ASSERT_EQ(after[i].speed, was.speed) << i;
      ASSERT_EQ(after[i].color, was.color) << i;
    }
    if (motion.edgeStar >= 0) {
      const Star& edge = after[motion.edgeStar];
      EXPECT_EQ(motion.edgeAcross ? edge.x : edge.y, motion.edgeValue);
    }
  }
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
  StarTable drawn;
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
  RunClean(config);
  ASSERT_EQ(frame.width, 640);

  int lit = 0;
  for (const Star& star : drawn) {
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
