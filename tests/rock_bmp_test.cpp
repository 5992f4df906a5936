// The generated ROCK8.BMP beside the program: the layout the rock field cuts
// its cells from, a picture worth looking at, and the star colours; and the
// Windows program's icon, one more of the same rocks, and the desktop's PNG
// of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "bmp.h"
#include "kit.h"
#include "png_read.h"

namespace {

constexpr int width = 260;
constexpr int height = 66;
constexpr int cell = 64;
// Left column of each picture cell in the top cell row.
constexpr int cellLeft[4] = {1, 66, 131, 196};

double Luminance(const PALETTEENTRY& entry) {
  return 0.299 * entry.peRed + 0.587 * entry.peGreen + 0.114 * entry.peBlue;
}

// A square of palette indices, rows top first: one rock's cell, or the icon.
struct Square {
  int size;
  Bytes indices;
  std::uint8_t At(int x, int y) const { return indices[std::size_t(y * size + x)]; }
};

// Index 0 is transparent, so a rock must be one solid piece: every index-0
// pixel of its square can be reached from the top-left corner through index
// 0. Returns how many pixels the rock covers; fails the test at a hole.
int SolidRockPixels(const Square& square) {
  const int size = square.size;
  std::vector<bool> outside(square.indices.size(), false);
  std::vector<int> pending = {0};
  outside[0] = true;
  while (!pending.empty()) {
    int at = pending.back();
    pending.pop_back();
    int x = at % size, y = at / size;
    const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto& step : steps) {
      int nx = x + step[0], ny = y + step[1];
      if (nx < 0 || ny < 0 || nx >= size || ny >= size) continue;
      if (outside[ny * size + nx] || square.At(nx, ny) != 0) continue;
      outside[ny * size + nx] = true;
      pending.push_back(ny * size + nx);
    }
  }
  int rockPixels = 0;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      bool rock = square.At(x, y) != 0;
      if (rock == outside[y * size + x]) {
        ADD_FAILURE() << "hole in the rock at " << x << "," << y;
        return -1;
      }
      rockPixels += rock;
    }
  }
  return rockPixels;
}

struct Lighting {
  double litOverShadowed;  // mean brightness, upper-left half over lower-right
  int shades;              // distinct indices on the rock
};

Lighting LightingOf(const Square& square, const PALETTEENTRY* palette) {
  double lit = 0, shadowed = 0;
  int litCount = 0, shadowedCount = 0;
  bool shades[256] = {};
  for (int y = 0; y < square.size; ++y) {
    for (int x = 0; x < square.size; ++x) {
      std::uint8_t index = square.At(x, y);
      if (index == 0) continue;
      shades[index] = true;
      double brightness = Luminance(palette[index]);
      if (x + y < square.size - 2) {
        lit += brightness;
        ++litCount;
      } else {
        shadowed += brightness;
        ++shadowedCount;
      }
    }
  }
  Lighting lighting{0, 0};
  for (bool used : shades) lighting.shades += used;
  if (litCount > 0 && shadowedCount > 0 && shadowed > 0) {
    lighting.litOverShadowed = (lit / litCount) / (shadowed / shadowedCount);
  }
  return lighting;
}

class RockBmpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = BesideTheProgram("ROCK8.BMP");
    image = BmpImage{};
    ASSERT_EQ(BmpRead(&image, path.c_str()), 1) << path << ": " << BmpFailureReason();
  }
  void TearDown() override { BmpDiscard(&image); }

  std::uint8_t At(int x, int y) const { return image.pixels[y * width + x]; }
  std::uint8_t InCell(int c, int x, int y) const { return At(cellLeft[c] + x, 1 + y); }
  Square Cell(int c) const {
    Square square{cell, {}};
    for (int y = 0; y < cell; ++y) {
      for (int x = 0; x < cell; ++x) square.indices.push_back(InCell(c, x, y));
    }
    return square;
  }

  std::string path;
  BmpImage image;
};

TEST_F(RockBmpTest, IsAnUnpaddedEightBitPictureOfTheAgreedSize) {
  const BITMAPINFOHEADER& info = image.infoHeader;
  EXPECT_EQ(info.biWidth, width);
  EXPECT_EQ(info.biHeight, height);  // positive: stored bottom row first
  EXPECT_EQ(info.biBitCount, 8);
  EXPECT_EQ(info.biPlanes, 1);
  EXPECT_EQ(info.biCompression, DWORD(BI_RGB));
  EXPECT_EQ(info.biSizeImage, DWORD(width * height));
  EXPECT_EQ(info.biClrUsed, 256u);
  DWORD pixelOffset = image.fileHeader.bfOffBits;  // a packed field: copied, not bound
  EXPECT_EQ(pixelOffset, 54u + 1024u);
  EXPECT_EQ(ReadWholeFile(path).size(), 54u + 1024u + width * height);
}

// Index 0 on the borders between cells and all round each rock, so nothing
// of a neighbour shows, and the blit's hidden last row and column are empty.
TEST_F(RockBmpTest, BordersAndCellEdgesAreIndexZero) {
  for (int x = 0; x < width; ++x) {
    ASSERT_EQ(At(x, 0), 0) << x;
    ASSERT_EQ(At(x, height - 1), 0) << x;
  }
  for (int y = 0; y < height; ++y) {
    for (int x : {0, 65, 130, 195}) ASSERT_EQ(At(x, y), 0) << x << "," << y;
  }
  for (int c = 0; c < 4; ++c) {
    for (int i = 0; i < cell; ++i) {
      ASSERT_EQ(InCell(c, i, 0), 0) << c;
      ASSERT_EQ(InCell(c, 0, i), 0) << c;
      ASSERT_EQ(InCell(c, i, cell - 2), 0) << c;
      ASSERT_EQ(InCell(c, cell - 2, i), 0) << c;
      ASSERT_EQ(InCell(c, i, cell - 1), 0) << c;
      ASSERT_EQ(InCell(c, cell - 1, i), 0) << c;
    }
  }
}

TEST_F(RockBmpTest, EachRockIsOneSolidPieceOfAFairSize) {
  for (int c = 0; c < 4; ++c) {
    int rockPixels = SolidRockPixels(Cell(c));
    EXPECT_GT(rockPixels, cell * cell / 4) << c;
    EXPECT_LT(rockPixels, cell * cell * 3 / 4) << c;  // irregular, not a filled square
  }
}

TEST_F(RockBmpTest, RocksAreDistinctTexturedAndLitFromTheUpperLeft) {
  for (int c = 0; c < 4; ++c) {
    for (int other = c + 1; other < 4; ++other) {
      int differing = 0;
      for (int y = 0; y < cell; ++y) {
        for (int x = 0; x < cell; ++x) differing += InCell(c, x, y) != InCell(other, x, y);
      }
      EXPECT_GT(differing, cell * cell / 8) << c << " and " << other;
    }
    Lighting lighting = LightingOf(Cell(c), image.palette);
    EXPECT_GT(lighting.litOverShadowed, 1.3) << c;
    EXPECT_GE(lighting.shades, 24) << c;
  }
}

// Stars are drawn with 245 (farthest) .. 236 (nearest); all must show on the
// black background, brighter the nearer.
TEST_F(RockBmpTest, PaletteHasBlackAndFourVisibleStarColours) {
  EXPECT_EQ(image.palette[0].peRed | image.palette[0].peGreen | image.palette[0].peBlue, 0);
  const int starColours[4] = {245, 242, 239, 236};
  double previous = 0;
  for (int colour : starColours) {
    double brightness = Luminance(image.palette[colour]);
    EXPECT_GE(brightness, 60.0) << colour;
    EXPECT_GT(brightness, previous + 20.0) << colour;
    previous = brightness;
  }
  for (int y = 1; y < 65; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t index = At(x, y);
      ASSERT_TRUE(index < 236 || index > 245) << "rock drawn in a star colour at " << x << "," << y;
    }
  }
}

TEST(RockBmpTool, MakesTheSameFileEveryTime) {
  ScratchFolder scratch;
  ToolRun run = RunTool("make_rock_bmp", {scratch / "copy.bmp"}, scratch);
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  Bytes made = ReadWholeFile(scratch / "copy.bmp");
  EXPECT_FALSE(made.empty());
  EXPECT_TRUE(made == ReadWholeFile(BesideTheProgram("ROCK8.BMP")));
  EXPECT_NE(RunTool("make_rock_bmp", {}, scratch).exitCode, 0);
}

// The icon make_icon draws for the Windows program: one 32 x 32 image of one
// of our rocks, in the rock palette, with a mask that lets the ground show
// exactly where the rock is not.
TEST_F(RockBmpTest, IconIsOneSolidLitRockInTheRockPalette) {
  ScratchFolder scratch;
  ToolRun run = RunTool("make_icon", {scratch / "vorn.ico"}, scratch);
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const Bytes file = ReadWholeFile(scratch / "vorn.ico");
  const int size = 32;
  const std::size_t table = 22 + 40, rows = table + 1024, mask = rows + size * size;
  ASSERT_EQ(file.size(), mask + size * 4);
  // Directory: an icon of one 32 x 32 image, 256 colours, planes 1, 8 bits,
  // 2216 bytes right after the directory; the image is twice 32 rows high.
  const Bytes head = {0, 0, 1, 0, 1, 0, 32, 32, 0, 0, 1, 0, 8, 0,
                                          0xA8, 8, 0, 0, 22, 0, 0, 0, 40, 0, 0, 0,
                                          32, 0, 0, 0, 64, 0, 0, 0, 1, 0, 8, 0};
  EXPECT_TRUE(std::equal(head.begin(), head.end(), file.begin()));
  const Bytes rock8 = ReadWholeFile(path);
  EXPECT_TRUE(std::equal(file.begin() + table, file.begin() + rows, rock8.begin() + 54));

  Square picture{size, {}};
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      std::uint8_t index = file[rows + std::size_t((size - 1 - y) * size + x)];
      bool ground = file[mask + std::size_t((size - 1 - y) * 4 + x / 8)] & (0x80 >> x % 8);
      ASSERT_EQ(ground, index == 0) << x << "," << y;
      picture.indices.push_back(index);
    }
  }
  int rockPixels = SolidRockPixels(picture);
  EXPECT_GT(rockPixels, size * size * 2 / 5);
  EXPECT_LT(rockPixels, size * size * 17 / 20);
  Lighting lighting = LightingOf(picture, image.palette);
  EXPECT_GT(lighting.litOverShadowed, 1.3);
  EXPECT_GE(lighting.shades, 16);
  // A dark outline keeps the rock apart from any desktop behind it.
  int brightEdges = 0;
  for (int y = 1; y + 1 < size; ++y) {
    for (int x = 1; x + 1 < size; ++x) {
      if (picture.At(x, y) == 0) continue;
      bool edge = picture.At(x - 1, y) == 0 || picture.At(x + 1, y) == 0 ||
                  picture.At(x, y - 1) == 0 || picture.At(x, y + 1) == 0;
      brightEdges += edge && Luminance(image.palette[picture.At(x, y)]) >= 40.0;
    }
  }
  EXPECT_EQ(brightEdges, 0);

  // The desktop's PNG of the same size holds the same indices and colours.
  ASSERT_EQ(RunTool("make_icon", {"--png", "32", scratch / "vorn.png"}, scratch).exitCode, 0);
  const StoredPng png = ReadStoredPng(scratch / "vorn.png");
  EXPECT_TRUE(png.pixels == picture.indices);
  Bytes colours;
  for (const PALETTEENTRY& entry : image.palette)
    colours.insert(colours.end(), {entry.peRed, entry.peGreen, entry.peBlue});
  EXPECT_TRUE(png.palette == colours);
}

}  // namespace
