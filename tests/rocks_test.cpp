// The rock field: seeding, steering under the keys, bouncing at the edges.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>

#include "display.h"
#include "rocks.h"
#include "scenario.h"

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

  static Sprite& Place(int x, int y, int xVelocity, int yVelocity) {
    rocks[0].x = x;
    rocks[0].y = y;
    rocks[0].xVelocity = xVelocity;
    rocks[0].yVelocity = yVelocity;
    return rocks[0];
  }

  static void Hold(std::initializer_list<int> keys) {
    for (int key : keys) HeadlessHoldKey(key, true);
  }
};

TEST_F(RockStep, SteeringWithoutKeysAddsTheVelocity) {
  Sprite& rock = Place(100, 100, 5, 3);
  SteerRocks();
  EXPECT_EQ(rock.x, 105);
  EXPECT_EQ(rock.y, 103);
}

TEST_F(RockStep, UpHoldsBackTheVerticalVelocityOnly) {
  Sprite& rock = Place(100, 100, 5, 3);
  Hold({VK_UP});
  SteerRocks();
  EXPECT_EQ(rock.x, 105);
  EXPECT_EQ(rock.y, 100);
}

TEST_F(RockStep, SidewaysKeysMoveByTheVelocityPlusFourAndLeftWins) {
  Sprite& rock = Place(100, 100, 5, 3);
  Hold({VK_RIGHT});
  SteerRocks();
  EXPECT_EQ(rock.x, 96);  // -9 then +5

  rock = Place(100, 100, 5, 3);
  Hold({VK_LEFT});
  SteerRocks();
  EXPECT_EQ(rock.x, 114);  // +9 then +5, Right ignored

  rock = Place(100, 100, -6, 3);
  HeadlessReleaseAllKeys();
  Hold({VK_LEFT});
  SteerRocks();
  EXPECT_EQ(rock.x, 92);  // a velocity below -4 turns Left into a move left
}

TEST_F(RockStep, DownMovesAgainstTheVerticalVelocity) {
  Sprite& rock = Place(100, 100, 5, 3);
  Hold({VK_DOWN});
  SteerRocks();
  EXPECT_EQ(rock.y, 96);  // -7 then +3

  rock = Place(100, 100, 5, 3);
  Hold({VK_UP});
  SteerRocks();
  EXPECT_EQ(rock.y, 93);  // with Up as well, the -7 stands alone
}

TEST_F(RockStep, RightEdgeIsAtOrPastTheLimit) {
  for (int x : {576, 600}) {
    Sprite& rock = Place(x, 100, 5, 3);
    BounceRocks();
    EXPECT_EQ(rock.x, 577) << x;
    EXPECT_EQ(rock.xVelocity, -5) << x;
  }
  Sprite& rock = Place(575, 100, 5, 3);
  BounceRocks();
  EXPECT_EQ(rock.x, 575);
  EXPECT_EQ(rock.xVelocity, 5);
}

TEST_F(RockStep, BottomEdgeIsStrictlyPastTheLimit) {
  Sprite& rock = Place(100, 417, 5, 3);
  BounceRocks();
  EXPECT_EQ(rock.y, 417);
  EXPECT_EQ(rock.yVelocity, -3);

  rock = Place(100, 416, 5, 3);
  BounceRocks();
  EXPECT_EQ(rock.y, 416);
  EXPECT_EQ(rock.yVelocity, 3);
}

TEST_F(RockStep, LeftAndTopEdgesPutTheRockAtOne) {
  Sprite& rock = Place(0, 0, -5, -3);
  BounceRocks();
  EXPECT_EQ(rock.x, 1);
  EXPECT_EQ(rock.y, 1);
  EXPECT_EQ(rock.xVelocity, 5);
  EXPECT_EQ(rock.yVelocity, 3);
}

TEST_F(RockStep, SlowRockAtTheRightEdgeStaysThereFlippingDirection) {
  Sprite& rock = Place(576, 100, 1, 0);
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
  config.onPass = [&](int pass) {
    if (pass == 1) std::memcpy(seeded, rocks, sizeof rocks);
    HeadlessHoldKey(VK_ESCAPE, pass == 1);
  };
  HeadlessRun(config);
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
  config.onPass = [&](int pass) {
    // The last rock is drawn on top of all others.
    if (pass == 1) {
      rocks[ROCK_COUNT - 1].x = 630;
      rocks[ROCK_COUNT - 1].y = 470;
      rocks[ROCK_COUNT - 1].xVelocity = 5;
      rocks[ROCK_COUNT - 1].yVelocity = 3;
    }
    HeadlessHoldKey(VK_ESCAPE, pass == 1);
  };
  Sprite after;
  config.onPresent = [&](const HeadlessFrame& frame) {
    if (first.pixels.empty()) {
      first = frame;
      after = rocks[ROCK_COUNT - 1];
    }
  };
  HeadlessRun(config);
  EXPECT_EQ(after.x, 577);
  EXPECT_EQ(after.y, 417);
  EXPECT_EQ(after.xVelocity, -5);
  EXPECT_EQ(after.yVelocity, -3);

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
