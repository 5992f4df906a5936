// Makes ROCK8.BMP, the picture the demo's rocks are cut from: an 8-bit,
// 260 x 66 bitmap whose top cell row holds four 64 x 64 rocks with one-pixel
// borders, and whose colour table is the display palette (index 0 black, a
// rock ramp, the four star colours). Everything comes from a fixed seed, so
// every build makes the same file.
//
// Usage: make_rock_bmp OUT.BMP
//
// Standard C++ only, so the Windows cross build can compile it natively.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int imageWidth = 260;
constexpr int imageHeight = 66;
constexpr int cellSize = 64;
constexpr int rockCount = 4;
// The blit shows only the top-left 63 x 63 of a cell, so every rock stays
// within radius maxRadius of this centre.
constexpr double rockCentre = 31.0;
constexpr double maxRadius = 29.5;

constexpr int rampFirst = 1;  // rock shades, dark to light
constexpr int rampShades = 64;

constexpr std::uint64_t seed = 0x566F726E526F636BULL;
constexpr double pi = 3.14159265358979323846;

struct Random {
  std::uint64_t state;
};

// splitmix64: small, well mixed, and the same on every compiler.
std::uint64_t RandomNext(Random& random) {
  std::uint64_t z = (random.state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

double RandomBetween(Random& random, double low, double high) {
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

struct Crater {
  double x, y;  // centre, relative to the rock's centre
  double radius;
  double depth;
};

enum { HARMONICS = 5, MAX_CRATERS = 7 };

struct RockShape {
  double radius;                 // mean outline radius
  double amplitude[HARMONICS];   // outline wobble for harmonics 2..6
  double phase[HARMONICS];
  double bulk;                   // how domed the rock is
  Crater craters[MAX_CRATERS];
  int craterCount;
  std::uint32_t noiseField;
};

double OutlineWobble(const RockShape& rock, double angle) {
  // Smooth harmonics give the overall lumpy shape; noise read around a
  // circle adds the chipped, uneven edge.
  double wobble = 1.0 + 0.06 * FractalNoise(rock.noiseField + 303u, 2.6 * std::cos(angle),
                                            2.6 * std::sin(angle), 3);
  for (int h = 0; h < HARMONICS; ++h) {
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
  if (widest > maxRadius) rock.radius *= maxRadius / widest;
}

Crater MakeCrater(Random& random, double rockRadius, double largest) {
  Crater crater;
  double angle = RandomBetween(random, 0.0, 2 * pi);
  double reach = std::sqrt(RandomBetween(random, 0.0, 1.0)) * 0.68 * rockRadius;
  crater.x = reach * std::cos(angle);
  crater.y = reach * std::sin(angle);
  crater.radius = RandomBetween(random, 2.4, largest);
  crater.depth = RandomBetween(random, 0.3, 0.45) * crater.radius;
  return crater;
}

// Craters may touch but not pile onto one another.
bool CraterFits(const RockShape& rock, const Crater& crater) {
  for (int i = 0; i < rock.craterCount; ++i) {
    const Crater& other = rock.craters[i];
    double apart = std::hypot(crater.x - other.x, crater.y - other.y);
    if (apart < 0.9 * (crater.radius + other.radius)) return false;
  }
  return true;
}

RockShape MakeRockShape(Random& random, double meanRadius) {
  RockShape rock{};
  rock.radius = meanRadius;
  for (int h = 0; h < HARMONICS; ++h) {
    rock.amplitude[h] = RandomBetween(random, 0.0, 0.16 / (1.0 + 0.6 * h));
    rock.phase[h] = RandomBetween(random, 0.0, 2 * pi);
  }
  rock.noiseField = std::uint32_t(RandomNext(random));
  FitOutline(rock);
  rock.bulk = RandomBetween(random, 0.75, 0.95);
  rock.craterCount = 0;
  int wanted = 3 + int(RandomNext(random) % 4);
  for (int attempt = 0; attempt < 40 && rock.craterCount < wanted; ++attempt) {
    Crater crater = MakeCrater(random, rock.radius, rock.craterCount == 0 ? 7.5 : 5.5);
    if (!CraterFits(rock, crater)) continue;
    rock.craters[rock.craterCount++] = crater;
  }
  return rock;
}

// How far (x, y) lies towards the outline: 0 at the centre, 1 on it.
double OutlineFraction(const RockShape& rock, double x, double y) {
  double distance = std::sqrt(x * x + y * y);
  return distance / (rock.radius * OutlineWobble(rock, std::atan2(y, x)));
}

// A bowl with a raised rim that fades out a little beyond the crater.
double CraterHeight(const Crater& crater, double x, double y) {
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

void DrawRock(const RockShape& rock, Random& random, std::vector<std::uint8_t>& image, int left,
              int top) {
  for (int row = 0; row < cellSize; ++row) {
    for (int column = 0; column < cellSize; ++column) {
      double x = column - rockCentre;
      double y = row - rockCentre;
      if (OutlineFraction(rock, x, y) >= 1.0) continue;
      double speckle = RandomBetween(random, -0.035, 0.035);
      double shade = Shade(rock, x, y) + speckle;
      int level = int(std::lround(shade * (rampShades - 1)));
      if (level < 0) level = 0;
      if (level > rampShades - 1) level = rampShades - 1;
      image[std::size_t(top + row) * imageWidth + std::size_t(left + column)] =
          std::uint8_t(rampFirst + level);
    }
  }
}

void SetColour(std::uint8_t* table, int index, int red, int green, int blue) {
  std::uint8_t* entry = table + 4 * index;  // stored blue, green, red, reserved
  entry[0] = std::uint8_t(blue);
  entry[1] = std::uint8_t(green);
  entry[2] = std::uint8_t(red);
  entry[3] = 0;
}

// Index 0 black; 1..64 the rock ramp, cool dark browns to warm light greys;
// the four star colours, far (245) dim to near (236) bright blue-white. All
// other entries are black: nothing draws with them.
void BuildColourTable(std::uint8_t* table) {
  for (int i = 0; i < 256; ++i) SetColour(table, i, 0, 0, 0);
  for (int i = 0; i < rampShades; ++i) {
    double t = double(i) / (rampShades - 1);
    double lift = std::pow(t, 0.85);
    int red = int(std::lround(30 + 192 * lift));
    int green = int(std::lround(26 + 182 * lift));
    int blue = int(std::lround(24 + 166 * lift - 16 * t * (1 - t)));
    SetColour(table, rampFirst + i, red, green, blue);
  }
  SetColour(table, 245, 92, 92, 104);
  SetColour(table, 242, 140, 140, 156);
  SetColour(table, 239, 196, 196, 214);
  SetColour(table, 236, 238, 244, 255);
}

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
  out.push_back(std::uint8_t(value & 0xFF));
  out.push_back(std::uint8_t(value >> 8 & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// Headers, colour table and rows bottom row first, as the format stores them.
std::vector<std::uint8_t> EncodeBmp(const std::vector<std::uint8_t>& image,
                                    const std::uint8_t* table) {
  const std::uint32_t pixelBytes = imageWidth * imageHeight;
  const std::uint32_t pixelOffset = 14 + 40 + 1024;
  std::vector<std::uint8_t> out;
  Put16(out, 0x4D42);
  Put32(out, pixelOffset + pixelBytes);
  Put32(out, 0);  // both reserved words
  Put32(out, pixelOffset);
  for (std::uint32_t field : {40u, std::uint32_t(imageWidth), std::uint32_t(imageHeight)}) {
    Put32(out, field);
  }
  Put16(out, 1);  // planes
  Put16(out, 8);  // bits per pixel
  for (std::uint32_t field : {0u, pixelBytes, 2835u, 2835u, 256u, 0u}) Put32(out, field);
  out.insert(out.end(), table, table + 1024);
  for (int row = imageHeight - 1; row >= 0; --row) {
    auto first = image.begin() + std::ptrdiff_t(row) * imageWidth;
    out.insert(out.end(), first, first + imageWidth);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_rock_bmp OUT.BMP\n");
    return 2;
  }
  Random random{seed};
  std::vector<std::uint8_t> image(std::size_t(imageWidth) * imageHeight, 0);
  const double meanRadii[rockCount] = {28.5, 26.0, 29.5, 24.0};
  for (int cell = 0; cell < rockCount; ++cell) {
    RockShape rock = MakeRockShape(random, meanRadii[cell]);
    DrawRock(rock, random, image, 1 + cell * (cellSize + 1), 1);
  }
  std::uint8_t table[1024];
  BuildColourTable(table);
  std::vector<std::uint8_t> bytes = EncodeBmp(image, table);

  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) {
    std::fprintf(stderr, "make_rock_bmp: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
