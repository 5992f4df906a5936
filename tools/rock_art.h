// Our rocks: lumpy, cratered, lit from the upper left, shaded in the rock
// palette. ROCK8.BMP's four rocks and the program's icon are both drawn
// here, from one fixed seed, so every build makes the same pictures.
// Standard C++ only, so a cross build can compile it for the build machine.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bmp_writer.h"

// The mean outline radius of each rock of ROCK8.BMP, in cell order. A rock
// never reaches beyond rockMaxRadius from its centre.
constexpr int rockCount = 4;
constexpr double rockMeanRadii[rockCount] = {28.5, 26.0, 29.5, 24.0};
constexpr double rockMaxRadius = 29.5;

// Palette indices: 0 is the ground around a rock, transparent wherever the
// rocks are shown; rockShadeFirst .. + rockShades - 1 the rock, dark to light.
constexpr int rockShadeFirst = 1;
constexpr int rockShades = 64;

// splitmix64: small, well mixed, and the same on every compiler.
struct RockRandom {
  std::uint64_t state;
};

struct RockCrater {
  double x, y;  // centre, relative to the rock's centre
  double radius;
  double depth;
};

enum { ROCK_HARMONICS = 5, ROCK_MAX_CRATERS = 7 };

struct RockShape {
  double radius;                        // mean outline radius
  double amplitude[ROCK_HARMONICS];     // outline wobble for harmonics 2..6
  double phase[ROCK_HARMONICS];
  double bulk;                          // how domed the rock is
  RockCrater craters[ROCK_MAX_CRATERS];
  int craterCount;
  std::uint32_t noiseField;
};

// How a square of pixels looks at a rock: pixel (column, row) shows the
// rock around ((column - centre) * step, (row - centre) * step), averaged
// over samples x samples points within the pixel.
struct RockView {
  int size;
  double centre;
  double step;
  int samples;
};

// Where every rock picture starts: the one fixed seed.
RockRandom RockRandomStart();

// Draws a new rock's outline, bulk and craters from random, which it
// advances; the outline is kept within rockMaxRadius.
RockShape RockShapeMake(RockRandom& random, double meanRadius);

// One 64 x 64 cell of ROCK8.BMP, one point a pixel, the rock's centre on
// pixel (31, 31) so that the 63 x 63 the blit shows holds all of it.
RockView RockCellView();

// The whole of any rock filling a size x size square, smoothed.
RockView RockFittedView(int size);

// Draws the rock into the square of view.size rows of view.size pixels at
// topLeft, rows stride bytes apart: rock shade indices where the rock is,
// nothing elsewhere. Every rock pixel takes one speckle draw from random,
// row by row.
void RockDraw(const RockShape& rock, const RockView& view, RockRandom& random,
              std::uint8_t* topLeft, std::size_t stride);

// The 256-entry palette of ROCK8.BMP, which the demo shows: index 0 black,
// the rock shades, and the four star colours, far (245) dim to near (236)
// bright blue-white. Nothing draws with the other entries, left black.
void RockPaletteFill(BmpColour palette[256]);
