// The generated ROCK8.BMP beside the program: the layout the rock field cuts
// its cells from, a picture worth looking at, and the star colours.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bmp.h"
#include "program_directory.h"

namespace {

constexpr int width = 260;
constexpr int height = 66;
constexpr int cell = 64;
// Left column of each picture cell in the top cell row.
constexpr int cellLeft[4] = {1, 66, 131, 196};

std::vector<std::uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

double Luminance(const PALETTEENTRY& entry) {
  return 0.299 * entry.peRed + 0.587 * entry.peGreen + 0.114 * entry.peBlue;
}

class RockBmpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = ProgramDirectory() + "/ROCK8.BMP";
    image = BmpImage{};
    ASSERT_EQ(BmpRead(&image, path.c_str()), 1) << path << ": " << BmpFailureReason();
  }
  void TearDown() override { BmpDiscard(&image); }

  std::uint8_t At(int x, int y) const { return image.pixels[y * width + x]; }
  std::uint8_t InCell(int c, int x, int y) const { return At(cellLeft[c] + x, 1 + y); }

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
  EXPECT_EQ(FileBytes(path).size(), 54u + 1024u + width * height);
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

// Index 0 is transparent, so a rock must be one solid piece: every index-0
// pixel of a cell can be reached from the cell's edge through index 0.
TEST_F(RockBmpTest, EachRockIsOneSolidPieceOfAFairSize) {
  for (int c = 0; c < 4; ++c) {
    std::vector<bool> outside(cell * cell, false);
    std::vector<int> pending = {0};
    outside[0] = true;
    while (!pending.empty()) {
      int at = pending.back();
      pending.pop_back();
      int x = at % cell, y = at / cell;
      const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
      for (const auto& step : steps) {
        int nx = x + step[0], ny = y + step[1];
        if (nx < 0 || ny < 0 || nx >= cell || ny >= cell) continue;
        if (outside[ny * cell + nx] || InCell(c, nx, ny) != 0) continue;
        outside[ny * cell + nx] = true;
        pending.push_back(ny * cell + nx);
      }
    }
    int rockPixels = 0;
    for (int y = 0; y < cell; ++y) {
      for (int x = 0; x < cell; ++x) {
        bool rock = InCell(c, x, y) != 0;
        ASSERT_NE(rock, outside[y * cell + x]) << "hole in rock " << c << " at " << x << "," << y;
        rockPixels += rock;
      }
    }
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
    // Upper-left half of the rock against its lower-right half.
    double lit = 0, shadowed = 0;
    int litCount = 0, shadowedCount = 0;
    bool shades[256] = {};
    for (int y = 0; y < cell; ++y) {
      for (int x = 0; x < cell; ++x) {
        std::uint8_t index = InCell(c, x, y);
        if (index == 0) continue;
        shades[index] = true;
        double brightness = Luminance(image.palette[index]);
        if (x + y < cell - 2) {
          lit += brightness;
          ++litCount;
        } else {
          shadowed += brightness;
          ++shadowedCount;
        }
      }
    }
    ASSERT_GT(litCount, 0);
    ASSERT_GT(shadowedCount, 0);
    EXPECT_GT(lit / litCount, 1.3 * (shadowed / shadowedCount)) << c;
    int distinctShades = 0;
    for (bool used : shades) distinctShades += used;
    EXPECT_GE(distinctShades, 24) << c;
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
  std::string directory = ProgramDirectory();
  std::string copy = directory + "/rock_bmp_test_copy.bmp";
  std::string command = "\"" + directory + "/make_rock_bmp\" \"" + copy + "\"";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  std::vector<std::uint8_t> made = FileBytes(copy);
  std::remove(copy.c_str());
  EXPECT_FALSE(made.empty());
  EXPECT_TRUE(made == FileBytes(directory + "/ROCK8.BMP"));
  EXPECT_NE(std::system(("\"" + directory + "/make_rock_bmp\" 2>/dev/null").c_str()), 0);
}

}  // namespace
