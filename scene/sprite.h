// Sprite objects: a small picture in an off-screen surface of its own,
// drawn onto the back buffer with colour 0 transparent.
#pragma once

#include <cstdint>

#include "bmp.h"
#include "platform.h"

// Sprite state flags.
enum { SPRITE_CREATED = 1, SPRITE_FILLED = 2 };

struct Sprite {
  std::int32_t state;  // 1 once created; | 2 once filled
  std::int32_t attr;
  std::int32_t x;
  std::int32_t y;
  std::int32_t xVelocity;
  std::int32_t yVelocity;
  std::int32_t width;
  std::int32_t height;
  IDirectDrawSurface* surface;  // one reference owned from SpriteCreate to SpriteRelease
};

int SpriteCreate(Sprite* sprite, int width, int height, int attr, DWORD memoryCaps);
int SpriteLoadCell(Sprite* sprite, const BmpImage* image, int cellX, int cellY, int mode);
int SpriteBlit(Sprite* sprite, IDirectDrawSurface* destination);
int SpriteRelease(Sprite* sprite);
