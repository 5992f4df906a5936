// The star field: 600 single-pixel stars in four speed classes.
#pragma once

#include <cstdint>

struct Star {
  std::uint8_t color;  // palette index, 245 - 3r for speed class r
  std::int32_t x;      // 0..639 after each frame's wrap
  std::int32_t y;      // 0..479 after each frame's wrap
  std::int32_t speed;  // -1 - 2r: the star falls by -speed rows a frame
};

enum { STAR_COUNT = 600 };
extern Star stars[STAR_COUNT];

// Start-up: three random draws per star, in table order.
void SeedStars();

// Every frame: move each star, reading the arrow keys afresh for each.
void AdvanceStars();

// Every frame, after the back buffer is cleared: one lock, the plots, unlock.
void RenderStars();
