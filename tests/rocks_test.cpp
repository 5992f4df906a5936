// The rock field: seeding, steering under the keys, bouncing at the edges.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "display.h"
#include "kit_fixtures.h"
#include "rocks.h"

namespace {

// Steering and bouncing act on the table alone; these tests put one rock
// at a known place, park the others harmlessly and run one step.
class RockStep : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(rocks, 0, sizeof rocks);
    for (Sprite& rock : rocks) {
      rock.width = rock.height = ROCK_SIZE;
      rock.x = rock.y = 200;
    }
    HeadlessReleaseAllKeys();
  }
  void TearDown() override { HeadlessReleaseAllKeys(); }
};

// A rock's place and velocity.
struct RockState {
  int x, y, xVelocity, yVelocity;
};

Sprite& Place(Sprite& rock, const RockState& state) {
  rock.x = state.x;
  rock.y = state.y;
  rock.xVelocity = state.xVelocity;
  rock.yVelocity = state.yVelocity;
  return rock;
}

void ExpectRock(const Sprite& rock, const RockState& expected) {
  EXPECT_EQ(rock.x, expected.x);
  EXPECT_EQ(rock.y, expected.y);
  EXPECT_EQ(rock.xVelocity, expected.xVelocity);
  EXPECT_EQ(rock.yVelocity, expected.yVelocity);
}

TEST_F(RockStep, SteeringAddsTheVelocityAndMovesByTheKeys) {
  struct Case {
    std::vector<int> keys;
    RockState before, after;
  };
  const Case cases[] = {
      {{}, {100, 100, 5, 3}, {105, 103, 5, 3}},
      {{VK_UP}, {100, 100, 5, 3}, {105, 100, 5, 3}},  // holds back the vertical velocity only
      // Sideways: the velocity plus four, and Left wins over Right.
      {{VK_RIGHT}, {100, 100, 5, 3}, {96, 103, 5, 3}},            // -9 then +5
      {{VK_RIGHT, VK_LEFT}, {100, 100, 5, 3}, {114, 103, 5, 3}},  // +9 then +5
      {{VK_LEFT}, {100, 100, -6, 3}, {92, 103, -6, 3}},  // below -4 Left turns into a move left
      // Down moves against the vertical velocity; with Up as well, alone.
      {{VK_DOWN}, {100, 100, 5, 3}, {105, 96, 5, 3}},  // -7 then +3
      {{VK_DOWN, VK_UP}, {100, 100, 5, 3}, {105, 93, 5, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.keys));
    HeadlessReleaseAllKeys();
    for (int key : c.keys) HeadlessHoldKey(key, true);
    Sprite& rock = Place(rocks[0], c.before);
    SteerRocks();
    ExpectRock(rock, c.after);
  }
}

// The right edge is at or past its limit, the bottom strictly past it; at
// the left and top the rock is put at one.
TEST_F(RockStep, EdgesTurnTheRockBack) {
  struct Case {
    RockState before, after;
  };
  const Case cases[] = {
      {{576, 100, 5, 3}, {577, 100, -5, 3}}, {{600, 100, 5, 3}, {577, 100, -5, 3}},
      {{575, 100, 5, 3}, {575, 100, 5, 3}},  {{100, 417, 5, 3}, {100, 417, 5, -3}},
      {{100, 416, 5, 3}, {100, 416, 5, 3}},  {{0, 0, -5, -3}, {1, 1, 5, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.before.x << "," << c.before.y);
    Sprite& rock = Place(rocks[0], c.before);
    BounceRocks();
    ExpectRock(rock, c.after);
  }
}

TEST_F(RockStep, SlowRockAtTheRightEdgeStaysThereFlippingDirection) {
  Sprite& rock = Place(rocks[0], {576, 100, 1, 0});
  for (int frame = 0; frame < 6; ++frame) {
    SteerRocks();
    BounceRocks();
    EXPECT_EQ(rock.x, 577) << frame;
    EXPECT_EQ(rock.xVelocity, frame % 2 == 0 ? -1 : 1) << frame;
  }
}

TEST(Rocks, SeededWithPicturesAndVelocitiesThatStartDownwards) {
  HeadlessConfig config = DemoConfig(9);
  Sprite seeded[ROCK_COUNT];
  AtPass(config, 1, [&] { std::memcpy(seeded, rocks, sizeof rocks); });
  QuitAfter(config, 1);
  RunClean(config);
  for (const Sprite& rock : seeded) {
    EXPECT_EQ(rock.width, 64);
    EXPECT_EQ(rock.height, 64);
    EXPECT_EQ(rock.state, 3);
    EXPECT_NE(rock.surface, nullptr);
    EXPECT_GE(rock.x, 0);
    EXPECT_LT(rock.x, 640);
    EXPECT_GE(rock.y, 0);
    EXPECT_LT(rock.y, 480);
    EXPECT_NE(rock.xVelocity, 0);
    EXPECT_GE(rock.xVelocity, -8);
    EXPECT_LE(rock.xVelocity, 18);
    EXPECT_GE(rock.yVelocity, 1);
    EXPECT_LE(rock.yVelocity, 18);
  }
}

TEST(Rocks, FirstFrameBouncesBeforeAnythingIsDrawn) {
  HeadlessConfig config = DemoConfig(9);
  HeadlessFrame first;
  // The last rock is drawn on top of all others.
  AtPass(config, 1, [] { Place(rocks[ROCK_COUNT - 1], {630, 470, 5, 3}); });
  QuitAfter(config, 1);
  Sprite after;
  config.onPresent = [&](const HeadlessFrame& frame) {
    if (first.pixels.empty()) {
      first = frame;
      after = rocks[ROCK_COUNT - 1];
    }
  };
  RunClean(config);
  ExpectRock(after, {577, 417, -5, -3});

  // The rock shows whole in the bottom-right corner: its picture fills part
  // of its 63 x 63 square there.
  int rockPixels = 0;
  for (int y = 417; y < 480; ++y) {
    for (int x = 577; x < 640; ++x) {
      std::uint8_t index = PixelAt(first, x, y);
      rockPixels += index != 0 && !IsStarColour(index);
    }
  }
  EXPECT_GT(rockPixels, 63 * 63 / 3);
}

}  // namespace
