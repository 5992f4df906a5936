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
#include <fstream>
#include <iostream>
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

// Shallow bowls in the surface: centre (pixels from the icon's centre) and
// size.
struct Dent {
  double centreX;
  double centreY;
  double size;
};
constexpr Dent dents[] = {{-4.0, -3.5, 3.6}, {4.5, 3.0, 2.8}, {-2.5, 6.0, 2.0}, {5.0, -5.5, 1.7}};

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
  for (const Dent& dent : dents) {
    double t = std::hypot(x - dent.centreX, y - dent.centreY) / dent.size;
    if (t < 1.0) height -= 0.55 * dent.size * (1.0 - t * t);
    else if (t < 1.4) height += 0.25 * dent.size * (1.4 - t);
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

// Icon files store every number least significant byte first.
void AppendLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int byteCount) {
  for (int i = 0; i < byteCount; ++i) out.push_back(std::uint8_t(value >> (8 * i)));
}

// An icon image is a bitmap of twice the icon's height: the colour rows,
// then a one-bit mask (set where the ground shows through), both bottom row
// first, mask rows padded to four bytes.
std::vector<std::uint8_t> EncodeIconImage(const std::vector<std::uint8_t>& pixels) {
  const std::uint32_t maskRowBytes = (iconSize + 31) / 32 * 4;
  const std::uint32_t imageBytes = iconSize * iconSize + maskRowBytes * iconSize;
  std::vector<std::uint8_t> out;
  AppendLittleEndian(out, 40, 4);  // size of this header
  AppendLittleEndian(out, iconSize, 4);
  AppendLittleEndian(out, 2 * iconSize, 4);
  AppendLittleEndian(out, 1, 2);  // planes
  AppendLittleEndian(out, 8, 2);  // bits per pixel
  AppendLittleEndian(out, 0, 4);  // uncompressed
  AppendLittleEndian(out, imageBytes, 4);
  AppendLittleEndian(out, 0, 4);  // no resolution
  AppendLittleEndian(out, 0, 4);
  AppendLittleEndian(out, paletteSize, 4);
  AppendLittleEndian(out, 0, 4);  // every colour matters
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
  AppendLittleEndian(out, 0, 2);  // reserved
  AppendLittleEndian(out, 1, 2);  // icon, not cursor
  AppendLittleEndian(out, 1, 2);  // one image
  out.push_back(iconSize);
  out.push_back(iconSize);
  out.push_back(0);  // 0 colours means 256 or more
  out.push_back(0);  // reserved
  AppendLittleEndian(out, 1, 2);  // planes
  AppendLittleEndian(out, 8, 2);  // bits per pixel
  AppendLittleEndian(out, std::uint32_t(image.size()), 4);
  AppendLittleEndian(out, directoryBytes, 4);
  out.insert(out.end(), image.begin(), image.end());
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_icon OUT.ICO\n";
    return 2;
  }
  const std::vector<std::uint8_t> icon = EncodeIconFile(EncodeIconImage(DrawRock()));
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(icon.data()), std::streamsize(icon.size()));
  file.close();
  if (!file) {
    std::cerr << "make_icon: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
