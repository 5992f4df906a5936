#include "rocks.h"

#include <cstdlib>

#include "display.h"
#include "keys.h"
#include "platform.h"

Sprite rocks[ROCK_COUNT];

namespace {

// The picture cell each rock was given, to fill it again after a restore.
int rockCells[ROCK_COUNT];

}  // namespace

namespace {

void BounceHorizontally(Sprite& rock) {
  if (rock.x >= SCREEN_WIDTH - rock.width) {
    rock.xVelocity = -rock.xVelocity;
    rock.x = SCREEN_WIDTH + 1 - rock.width;
  } else if (rock.x < 1) {
    rock.xVelocity = -rock.xVelocity;
    rock.x = 1;
  }
}

// The bottom test is strict where the right one is not: both limits keep the
// blit rectangle, whose last row and column are never drawn, on the screen.
void BounceVertically(Sprite& rock) {
  if (rock.y > SCREEN_HEIGHT - rock.height) {
    rock.yVelocity = -rock.yVelocity;
    rock.y = SCREEN_HEIGHT + 1 - rock.height;
  } else if (rock.y < 1) {
    rock.yVelocity = -rock.yVelocity;
    rock.y = 1;
  }
}

}  // namespace

void SeedRocks(const BmpImage* image) {
  for (int i = 0; i < ROCK_COUNT; ++i) {
    Sprite& rock = rocks[i];
    SpriteCreate(&rock, ROCK_SIZE, ROCK_SIZE, 0, DDSCAPS_SYSTEMMEMORY);
    rockCells[i] = std::rand() & 3;
    SpriteLoadCell(&rock, image, rockCells[i], 0, 0);
    rock.x = std::rand() % SCREEN_WIDTH;
    rock.y = std::rand() % SCREEN_HEIGHT;
    rock.xVelocity = (std::rand() & 15) - 8;
    rock.yVelocity = (std::rand() & 15) - 8;
    if (rock.xVelocity == 0) rock.xVelocity = (std::rand() & 15) + 3;
    if (rock.yVelocity < 1) rock.yVelocity = (std::rand() & 15) + 3;
  }
}

void SteerRocks() {
  for (Sprite& rock : rocks) {
    if (KeyHeld(VK_DOWN)) rock.y -= rock.yVelocity + 4;
    if (KeyHeld(VK_LEFT)) {
      rock.x += rock.xVelocity + 4;
    } else if (KeyHeld(VK_RIGHT)) {
      rock.x -= rock.xVelocity + 4;
    }
    rock.x += rock.xVelocity;
    if (!KeyHeld(VK_UP)) rock.y += rock.yVelocity;
  }
}

void BounceRocks() {
  for (Sprite& rock : rocks) {
    BounceHorizontally(rock);
    BounceVertically(rock);
  }
}

void DrawRocks() {
  for (Sprite& rock : rocks) SpriteBlit(&rock, display.backBuffer);
}

int RestoreLostRocks() {
  int needPicture = 0;
  for (Sprite& rock : rocks) {
    if (rock.surface == nullptr || rock.surface->IsLost() != DDERR_SURFACELOST) continue;
    rock.surface->Restore();
    rock.state &= ~SPRITE_FILLED;
    ++needPicture;
  }
  return needPicture;
}

void RefillRocks(const BmpImage* image) {
  for (int i = 0; i < ROCK_COUNT; ++i) {
    Sprite& rock = rocks[i];
    if (rock.surface != nullptr && (rock.state & SPRITE_FILLED) == 0) {
      SpriteLoadCell(&rock, image, rockCells[i], 0, 0);
    }
  }
}
