#include "sprite.h"

#include <cstring>

#include "display.h"

namespace {

// The source rectangle must lie inside an image of 8-bit pixels.
bool CellInsideImage(const BmpImage* image, int px, int py, int width, int height) {
  const BITMAPINFOHEADER& info = image->infoHeader;
  if (image->pixels == nullptr || info.biBitCount != 8) return false;
  if (px < 0 || py < 0 || width <= 0 || height <= 0) return false;
  return static_cast<long long>(px) + width <= info.biWidth &&
         static_cast<long long>(py) + height <= info.biHeight;
}

}  // namespace

// Called by the rock field at start-up. The sprite owns the created surface
// until SpriteRelease. Returns 0, with a null surface, if it cannot be made.
int SpriteCreate(Sprite* sprite, int width, int height, int attr, DWORD memoryCaps) {
  sprite->attr = attr;
  sprite->width = width;
  sprite->height = height;
  sprite->state = SPRITE_CREATED;
  sprite->surface = nullptr;
  sprite->x = sprite->y = sprite->xVelocity = sprite->yVelocity = 0;

  DDSURFACEDESC desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.dwWidth = static_cast<DWORD>(width);
  desc.dwHeight = static_cast<DWORD>(height);
  desc.ddsCaps.dwCaps = memoryCaps | DDSCAPS_OFFSCREENPLAIN;
  if (display.displayObject == nullptr ||
      display.displayObject->CreateSurface(&desc, &sprite->surface, nullptr) != DD_OK) {
    sprite->surface = nullptr;
    return 0;
  }

  DDCOLORKEY transparent;
  transparent.dwColorSpaceLowValue = 0;
  transparent.dwColorSpaceHighValue = 0;
  sprite->surface->SetColorKey(DDCKEY_SRCBLT, &transparent);
  return 1;
}

// Called by the rock field at start-up to copy one picture cell (mode 0:
// cell coordinates on the one-pixel-bordered grid; otherwise pixel
// coordinates) into the sprite. Returns 0, copying nothing, when the sprite
// has no surface, the cell is not inside the image, or the lock fails.
int SpriteLoadCell(Sprite* sprite, const BmpImage* image, int cellX, int cellY, int mode) {
  int px = cellX;
  int py = cellY;
  if (mode == 0) {
    px = cellX * (sprite->width + 1) + 1;
    py = cellY * (sprite->height + 1) + 1;
  }
  if (sprite->surface == nullptr || !CellInsideImage(image, px, py, sprite->width, sprite->height)) {
    return 0;
  }

  const std::int32_t imageWidth = image->infoHeader.biWidth;
  const std::uint8_t* source = image->pixels + static_cast<std::ptrdiff_t>(py) * imageWidth + px;
  DDSURFACEDESC desc;
  desc.dwSize = sizeof desc;
  if (sprite->surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return 0;

  // Rows of the surface are a pitch apart, which may be wider than the picture.
  std::uint8_t* destination = static_cast<std::uint8_t*>(desc.lpSurface);
  for (int row = 0; row < sprite->height; ++row) {
    std::memcpy(destination, source, static_cast<std::size_t>(sprite->width));
    destination += desc.lPitch;
    source += imageWidth;
  }
  sprite->surface->Unlock(desc.lpSurface);
  sprite->state |= SPRITE_FILLED;
  return 1;
}

// Called every frame for each rock: one keyed blit, colour 0 transparent.
// Right and bottom are exclusive, so the last column and row never show.
// A sprite with no picture in it is not drawn (returns 0).
int SpriteBlit(Sprite* sprite, IDirectDrawSurface* destination) {
  if (sprite->surface == nullptr || (sprite->state & SPRITE_FILLED) == 0) return 0;
  RECT destRect = {sprite->x, sprite->y, sprite->x + sprite->width - 1,
                   sprite->y + sprite->height - 1};
  RECT sourceRect = {0, 0, sprite->width - 1, sprite->height - 1};
  destination->Blt(&destRect, sprite->surface, &sourceRect, DDBLT_KEYSRC | DDBLT_WAIT, nullptr);
  return 1;
}

// Called at shutdown. Returns 1 if a surface was released, 0 if there was
// none; a second call finds none.
int SpriteRelease(Sprite* sprite) {
  if (sprite->surface == nullptr) return 0;
  sprite->surface->Release();
  sprite->surface = nullptr;
  return 1;
}
