#include "rock_art.h"

#include <cmath>

namespace {

constexpr std::uint64_t seed = 0x566F726E526F636BULL;
constexpr double pi = 3.14159265358979323846;

std::uint64_t RandomNext(RockRandom& random) {
  std::uint64_t z = (random.state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

double RandomBetween(RockRandom& random, double low, double high) {
  return low + (high - low) * double(RandomNext(random) >> 11) * (1.0 / 9007199254740992.0);
}

// A fixed value in [-1, 1] for each lattice point of one noise field.
double LatticeValue(std::uint32_t field, int x, int y) {
  std::uint32_t h = field ^ std::uint32_t(x) * 0x8DA6B343u ^ std::uint32_t(y) * 0xD8163841u;
  h = (h ^ (h >> 16)) * 0x7FEB352Du;
  h = (h ^ (h >> 15)) * 0x846CA68Bu;
  h ^= h >> 16;
  return double(h) / 2147483647.5 - 1.0;
}

double Smooth(double t) { return t * t * (3.0 - 2.0 * t); }

double ValueNoise(std::uint32_t field, double x, double y) {
  int x0 = int(std::floor(x));
  int y0 = int(std::floor(y));
  double tx = Smooth(x - x0);
  double ty = Smooth(y - y0);
  double top = LatticeValue(field, x0, y0) * (1 - tx) + LatticeValue(field, x0 + 1, y0) * tx;
  double bottom =
      LatticeValue(field, x0, y0 + 1) * (1 - tx) + LatticeValue(field, x0 + 1, y0 + 1) * tx;
  return top * (1 - ty) + bottom * ty;
}

// Noise with detail at several scales; roughly within [-1, 1].
double FractalNoise(std::uint32_t field, double x, double y, int octaves) {
  double sum = 0, amplitude = 0.55, total = 0;
  for (int octave = 0; octave < octaves; ++octave) {
    sum += amplitude * ValueNoise(field + std::uint32_t(octave) * 7919u, x, y);
    total += amplitude;
    x *= 2.03;
    y *= 2.03;
    amplitude *= 0.5;
  }
  return sum / total;
}

double OutlineWobble(const RockShape& rock, double angle) {
  // Smooth harmonics give the overall lumpy shape; noise read around a
  // circle adds the chipped, uneven edge.
  double wobble = 1.0 + 0.06 * FractalNoise(rock.noiseField + 303u, 2.6 * std::cos(angle),
                                            2.6 * std::sin(angle), 3);
  for (int h = 0; h < ROCK_HARMONICS; ++h) {
    wobble += rock.amplitude[h] * std::cos((h + 2) * angle + rock.phase[h]);
  }
  return wobble;
}

// Scales the mean radius so the widest point of the outline still fits.
void FitOutline(RockShape& rock) {
  double widest = 0;
  for (int step = 0; step < 720; ++step) {
    double r = rock.radius * OutlineWobble(rock, step * pi / 360.0);
    if (r > widest) widest = r;
  }
  if (widest > rockMaxRadius) rock.radius *= rockMaxRadius / widest;
}

RockCrater MakeCrater(RockRandom& random, double rockRadius, double largest) {
  RockCrater crater;
  double angle = RandomBetween(random, 0.0, 2 * pi);
  double reach = std::sqrt(RandomBetween(random, 0.0, 1.0)) * 0.68 * rockRadius;
  crater.x = reach * std::cos(angle);
  crater.y = reach * std::sin(angle);
  crater.radius = RandomBetween(random, 2.4, largest);
  crater.depth = RandomBetween(random, 0.3, 0.45) * crater.radius;
  return crater;
}

// Craters may touch but not pile onto one another.
bool CraterFits(const RockShape& rock, const RockCrater& crater) {
  for (int i = 0; i < rock.craterCount; ++i) {
    const RockCrater& other = rock.craters[i];
    double apart = std::hypot(crater.x - other.x, crater.y - other.y);
    if (apart < 0.9 * (crater.radius + other.radius)) return false;
  }
  return true;
}

// How far (x, y) lies towards the outline: 0 at the centre, 1 on it.
double OutlineFraction(const RockShape& rock, double x, double y) {
  double distance = std::sqrt(x * x + y * y);
  return distance / (rock.radius * OutlineWobble(rock, std::atan2(y, x)));
}

// A bowl with a raised rim that fades out a little beyond the crater.
double CraterHeight(const RockCrater& crater, double x, double y) {
  double t = std::hypot(x - crater.x, y - crater.y) / crater.radius;
  double bowl = t < 1.0 ? crater.depth * (t * t - 1.0) : 0.0;
  double rim = 0.45 * crater.depth * std::exp(-(t - 1.0) * (t - 1.0) / 0.06);
  return bowl + rim;
}

double SurfaceHeight(const RockShape& rock, double x, double y) {
  double f = OutlineFraction(rock, x, y);
  double dome = rock.bulk * rock.radius * std::sqrt(f < 1.0 ? 1.0 - f * f : 0.0);
  double lumps = 3.2 * FractalNoise(rock.noiseField, x / 11.0, y / 11.0, 3);
  double grit = 0.35 * FractalNoise(rock.noiseField + 101u, x / 2.2, y / 2.2, 2);
  double height = dome + lumps + grit;
  for (int i = 0; i < rock.craterCount; ++i) height += CraterHeight(rock.craters[i], x, y);
  return height;
}

// Brightness in [0, 1] of the surface at (x, y), lit from the upper left.
double Shade(const RockShape& rock, double x, double y) {
  const double step = 0.5;
  double dx = (SurfaceHeight(rock, x + step, y) - SurfaceHeight(rock, x - step, y)) / (2 * step);
  double dy = (SurfaceHeight(rock, x, y + step) - SurfaceHeight(rock, x, y - step)) / (2 * step);
  double nx = -dx, ny = -dy, nz = 1.0;
  double length = std::sqrt(nx * nx + ny * ny + nz * nz);
  const double lx = -0.64, ly = -0.62, lz = 0.45;  // towards the light, unit length
  double lambert = (nx * lx + ny * ly + nz * lz) / length;
  if (lambert < 0) lambert = 0;
  double albedo = 1.0 + 0.10 * FractalNoise(rock.noiseField + 202u, x / 4.0, y / 4.0, 2);
  return (0.06 + 0.84 * lambert) * albedo;
}

// Mean shade of the points of one pixel that lie on the rock; false when
// fewer than half of them do, so the pixel shows the ground.
bool PixelShade(const RockShape& rock, const RockView& view, int column, int row,
                double* shade) {
  double sum = 0;
  int inside = 0;
  for (int sy = 0; sy < view.samples; ++sy) {
    for (int sx = 0; sx < view.samples; ++sx) {
      // Offsets within the pixel; exactly 0 for one point a pixel.
      double ox = (sx + 0.5) / view.samples - 0.5;
      double oy = (sy + 0.5) / view.samples - 0.5;
      double x = (column - view.centre + ox) * view.step;
      double y = (row - view.centre + oy) * view.step;
      if (OutlineFraction(rock, x, y) >= 1.0) continue;
      sum += Shade(rock, x, y);
      ++inside;
    }
  }
  if (2 * inside < view.samples * view.samples || inside == 0) return false;
  *shade = sum / inside;
  return true;
}

void SetColour(BmpColour palette[256], int index, int red, int green, int blue) {
  palette[index] = {std::uint8_t(red), std::uint8_t(green), std::uint8_t(blue)};
}

}  // namespace

RockRandom RockRandomStart() { return RockRandom{seed}; }

RockShape RockShapeMake(RockRandom& random, double meanRadius) {
  RockShape rock{};
  rock.radius = meanRadius;
  for (int h = 0; h < ROCK_HARMONICS; ++h) {
    rock.amplitude[h] = RandomBetween(random, 0.0, 0.16 / (1.0 + 0.6 * h));
    rock.phase[h] = RandomBetween(random, 0.0, 2 * pi);
  }
  rock.noiseField = std::uint32_t(RandomNext(random));
  FitOutline(rock);
  rock.bulk = RandomBetween(random, 0.75, 0.95);
  rock.craterCount = 0;
  int wanted = 3 + int(RandomNext(random) % 4);
  for (int attempt = 0; attempt < 40 && rock.craterCount < wanted; ++attempt) {
    RockCrater crater = MakeCrater(random, rock.radius, rock.craterCount == 0 ? 7.5 : 5.5);
    if (!CraterFits(rock, crater)) continue;
    rock.craters[rock.craterCount++] = crater;
  }
  return rock;
}

RockView RockCellView() { return RockView{64, 31.0, 1.0, 1}; }

RockView RockFittedView(int size) {
  // Half a pixel of ground beyond the widest outline on every side.
  double step = (rockMaxRadius + 0.5) / (size / 2.0 - 0.5);
  int samples = int(std::ceil(2 * step));
  return RockView{size, (size - 1) / 2.0, step, samples < 1 ? 1 : samples};
}

void RockDraw(const RockShape& rock, const RockView& view, RockRandom& random,
              std::uint8_t* topLeft, std::size_t stride) {
  for (int row = 0; row < view.size; ++row) {
    for (int column = 0; column < view.size; ++column) {
      double shade;
      if (!PixelShade(rock, view, column, row, &shade)) continue;
      shade += RandomBetween(random, -0.035, 0.035);  // speckle
      int level = int(std::lround(shade * (rockShades - 1)));
      if (level < 0) level = 0;
      if (level > rockShades - 1) level = rockShades - 1;
      topLeft[std::size_t(row) * stride + std::size_t(column)] =
          std::uint8_t(rockShadeFirst + level);
    }
  }
}

// The rock shades run from cool dark browns to warm light greys.
void RockPaletteFill(BmpColour palette[256]) {
  for (int i = 0; i < 256; ++i) SetColour(palette, i, 0, 0, 0);
  for (int i = 0; i < rockShades; ++i) {
    double t = double(i) / (rockShades - 1);
    double lift = std::pow(t, 0.85);
    int red = int(std::lround(30 + 192 * lift));
    int green = int(std::lround(26 + 182 * lift));
    int blue = int(std::lround(24 + 166 * lift - 16 * t * (1 - t)));
    SetColour(palette, rockShadeFirst + i, red, green, blue);
  }
  SetColour(palette, 245, 92, 92, 104);
  SetColour(palette, 242, 140, 140, 156);
  SetColour(palette, 239, 196, 196, 214);
  SetColour(palette, 236, 238, 244, 255);
}
