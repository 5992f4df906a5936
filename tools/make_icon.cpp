// Makes vorn.ico, the program's icon for the Windows shell: one 32 x 32
// image with a 256-entry colour table, showing a lit, cratered rock with a
// dark rim on a transparent ground. The shape is fixed in the tables below,
// so every build makes the same file.
//
// Usage: make_icon OUT.ICO
//
// Standard C++ only: the Windows cross build compiles and runs it natively.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int iconSize = 32;
constexpr int paletteSize = 256;
constexpr double centre = 15.5;
constexpr double meanRadius = 13.2;

constexpr int rimIndex = 1;      // the dark edge around the rock
constexpr int rampFirst = 16;    // lit surface, dark to light
constexpr int rampShades = 48;

// Lumps of the outline: relative size, how many per turn, and where.
struct Lobe {
  double size;
  int count;
  double phase;
};
constexpr Lobe lobes[] = {{0.09, 2, 0.6}, {0.06, 3, 2.1}, {0.035, 5, 4.0}, {0.02, 7, 1.3}};

struct Crater {
  double x, y;  // centre, pixels from the icon's centre
  double radius;
};
constexpr Crater craters[] = {{-4.0, -3.5, 3.6}, {4.5, 3.0, 2.8}, {-2.5, 6.0, 2.0},
                              {5.0, -5.5, 1.7}};

double OutlineRadius(double angle) {
  double radius = meanRadius;
  for (const Lobe& lobe : lobes) radius += meanRadius * lobe.size * std::cos(lobe.count * angle + lobe.phase);
  return radius;
}

// Height of the rock's surface above the ground plane at (x, y): a flattened
// dome with shallow bowls pressed into it.
double Height(double x, double y) {
  double f = std::hypot(x, y) / OutlineRadius(std::atan2(y, x));
  double height = f < 1.0 ? 9.0 * std::sqrt(1.0 - f * f) : 0.0;
  for (const Crater& crater : craters) {
    double t = std::hypot(x - crater.x, y - crater.y) / crater.radius;
    if (t < 1.0) height -= 0.55 * crater.radius * (1.0 - t * t);
    else if (t < 1.4) height += 0.25 * crater.radius * (1.4 - t);
  }
  return height;
}

// Brightness in [0, 1], light from the upper left as on the demo's screen.
double Brightness(double x, double y) {
  double dx = (Height(x + 0.5, y) - Height(x - 0.5, y));
  double dy = (Height(x, y + 0.5) - Height(x, y - 0.5));
  double length = std::sqrt(dx * dx + dy * dy + 1.0);
  double lambert = (0.58 * dx + 0.58 * dy + 0.57) / length;
  double brightness = 0.12 + 0.88 * (lambert > 0 ? lambert : 0);
  return brightness > 1.0 ? 1.0 : brightness;
}

// Palette index of each pixel, rows top first; 0 where the ground shows.
std::vector<std::uint8_t> DrawRock() {
  std::vector<std::uint8_t> pixels(iconSize * iconSize, 0);
  for (int row = 0; row < iconSize; ++row) {
    for (int column = 0; column < iconSize; ++column) {
      double x = column - centre;
      double y = row - centre;
      double edge = OutlineRadius(std::atan2(y, x)) - std::hypot(x, y);
      if (edge < 0) continue;
      int shade = int(std::lround(Brightness(x, y) * (rampShades - 1)));
      pixels[std::size_t(row) * iconSize + std::size_t(column)] =
          std::uint8_t(edge < 1.0 ? rimIndex : rampFirst + shade);
    }
  }
  return pixels;
}

// Colour table as stored: blue, green, red, reserved. Unused entries black.
std::vector<std::uint8_t> ColourTable() {
  std::vector<std::uint8_t> table(4 * paletteSize, 0);
  auto set = [&table](int index, int red, int green, int blue) {
    table[4 * index + 0] = std::uint8_t(blue);
    table[4 * index + 1] = std::uint8_t(green);
    table[4 * index + 2] = std::uint8_t(red);
  };
  set(rimIndex, 34, 28, 24);
  for (int i = 0; i < rampShades; ++i) {
    double t = double(i) / (rampShades - 1);
    set(rampFirst + i, int(std::lround(52 + 178 * t)), int(std::lround(44 + 166 * t)),
        int(std::lround(38 + 148 * t)));
  }
  return table;
}

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
  out.push_back(std::uint8_t(value & 0xFF));
  out.push_back(std::uint8_t(value >> 8 & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// An icon image is a bitmap of twice the icon's height: the colour rows,
// then a one-bit mask (set where the ground shows through), both bottom row
// first, mask rows padded to four bytes.
std::vector<std::uint8_t> EncodeIconImage(const std::vector<std::uint8_t>& pixels) {
  const std::uint32_t maskRowBytes = (iconSize + 31) / 32 * 4;
  std::vector<std::uint8_t> out;
  for (std::uint32_t field : {40u, std::uint32_t(iconSize), std::uint32_t(2 * iconSize)}) {
    Put32(out, field);
  }
  Put16(out, 1);  // planes
  Put16(out, 8);  // bits per pixel
  const std::uint32_t imageBytes = iconSize * iconSize + maskRowBytes * iconSize;
  for (std::uint32_t field : {0u, imageBytes, 0u, 0u, std::uint32_t(paletteSize), 0u}) {
    Put32(out, field);
  }
  std::vector<std::uint8_t> table = ColourTable();
  out.insert(out.end(), table.begin(), table.end());
  for (int row = iconSize - 1; row >= 0; --row) {
    auto first = pixels.begin() + std::ptrdiff_t(row) * iconSize;
    out.insert(out.end(), first, first + iconSize);
  }
  for (int row = iconSize - 1; row >= 0; --row) {
    std::vector<std::uint8_t> mask(maskRowBytes, 0);
    for (int column = 0; column < iconSize; ++column) {
      if (pixels[std::size_t(row) * iconSize + std::size_t(column)] == 0) {
        mask[std::size_t(column) / 8] |= std::uint8_t(0x80 >> (column % 8));
      }
    }
    out.insert(out.end(), mask.begin(), mask.end());
  }
  return out;
}

// The icon file: a directory of one entry, then that entry's image.
std::vector<std::uint8_t> EncodeIconFile(const std::vector<std::uint8_t>& image) {
  const std::uint32_t directoryBytes = 6 + 16;
  std::vector<std::uint8_t> out;
  Put16(out, 0);  // reserved
  Put16(out, 1);  // icon, not cursor
  Put16(out, 1);  // one image
  out.push_back(iconSize);
  out.push_back(iconSize);
  out.push_back(0);  // 0 colours means 256 or more
  out.push_back(0);  // reserved
  Put16(out, 1);     // planes
  Put16(out, 8);     // bits per pixel
  Put32(out, std::uint32_t(image.size()));
  Put32(out, directoryBytes);
  out.insert(out.end(), image.begin(), image.end());
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_icon OUT.ICO\n");
    return 2;
  }
  std::vector<std::uint8_t> bytes = EncodeIconFile(EncodeIconImage(DrawRock()));
  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) {
    std::fprintf(stderr, "make_icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
