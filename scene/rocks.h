// The rock field: 45 sprites showing the four rock pictures, drifting,
// bouncing off the screen edges and pushed about by the arrow keys.
#pragma once

#include "bmp.h"
#include "sprite.h"

enum { ROCK_COUNT = 45, ROCK_SIZE = 64 };
extern Sprite rocks[ROCK_COUNT];

// Start-up: creates and fills every rock from the image, then gives it a
// random position and velocity (the draws in a fixed order).
void SeedRocks(const BmpImage* image);

// Every frame: move each rock, reading the arrow keys afresh for each.
void SteerRocks();

// Every frame, after SteerRocks: put rocks that left the screen back inside
// and reverse the matching velocity.
void BounceRocks();

// Every frame, after the stars: blit the rocks in table order.
void DrawRocks();

// After the display came back from being lost: restores the rock surfaces
// that lost their pixels and returns how many need their picture again
// (they are not drawn until RefillRocks has filled them).
int RestoreLostRocks();

// Fills every rock that has a surface but no picture from its own cell.
void RefillRocks(const BmpImage* image);
