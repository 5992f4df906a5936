#include "stars.h"

#include <cstdlib>

#include "back_buffer.h"
#include "display.h"
#include "keys.h"
#include "platform.h"

Star stars[STAR_COUNT];

namespace {

// A streak is four pixels down from the star; the rows below the screen are
// dropped rather than written past the back buffer.
void PlotStar(const Star& star, int length) {
  for (int i = 0; i < length && star.y + i < SCREEN_HEIGHT; ++i) {
    PutPixel(star.x, star.y + i, star.color, backBufferPixels, backBufferPitch);
  }
}

}  // namespace

void SeedStars() {
  for (Star& star : stars) {
    star.x = std::rand() % SCREEN_WIDTH;
    star.y = std::rand() % SCREEN_HEIGHT;
    int speedClass = std::rand() & 3;
    star.speed = -1 - 2 * speedClass;
    star.color = static_cast<std::uint8_t>(245 - 3 * speedClass);
  }
}

void AdvanceStars() {
  for (Star& star : stars) {
    star.y -= star.speed;
    if (KeyHeld(VK_RIGHT)) star.x += 3 - star.speed;
    if (KeyHeld(VK_LEFT)) star.x += star.speed - 3;
    if (KeyHeld(VK_UP)) star.y += star.speed;
    if (KeyHeld(VK_DOWN)) star.y += 3 - star.speed;
    if (star.y >= SCREEN_HEIGHT) star.y -= SCREEN_HEIGHT;
    if (star.x >= SCREEN_WIDTH) star.x -= SCREEN_WIDTH;
    if (star.x < 0) star.x += SCREEN_WIDTH;
  }
}

void RenderStars() {
  if (LockBackBuffer() == nullptr) return;
  for (const Star& star : stars) PlotStar(star, KeyHeld(VK_DOWN) ? 4 : 1);
  UnlockBackBuffer();
}
