// The BMP writer byte by byte: headers, colour table, row order and padding,
// the icon form, and the pictures it will not store.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "bmp_writer.h"
#include "kit.h"

namespace {

// A 3 x 2 picture: rows of three bytes, padded to four in the file.
const std::uint8_t kPixels[] = {1, 2, 3, 4, 5, 6};
const BmpColour kColours[] = {{0x10, 0x20, 0x30}, {0xFF, 0x00, 0x80}};

Bytes Slice(const Bytes& bytes, std::size_t at, std::size_t count) {
  return Bytes(bytes.begin() + std::ptrdiff_t(at), bytes.begin() + std::ptrdiff_t(at + count));
}

TEST(BmpWriter, StoresHeadersColourTableAndPaddedRowsBottomRowFirst) {
  const Bytes expected = {
      'B', 'M', 70, 0, 0, 0,  // file size
      0, 0, 0, 0,             // reserved
      62, 0, 0, 0,            // pixels start after headers and table
      40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0,  // header size, width, height
      1, 0, 8, 0, 0, 0, 0, 0,               // planes, depth, uncompressed
      8, 0, 0, 0,                           // stored rows
      0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0,   // 72 dots per inch
      2, 0, 0, 0, 0, 0, 0, 0,               // colours used, important
      0x30, 0x20, 0x10, 0, 0x80, 0x00, 0xFF, 0,  // blue, green, red, 0
      4, 5, 6, 0, 1, 2, 3, 0,                    // bottom row first
  };
  EXPECT_EQ(BmpEncode({3, 2, 8, kPixels, kColours, 2}), expected);
}

TEST(BmpWriter, TopDownSizeOverrideAndWideDepthsKeepTheRestRight) {
  BmpPicture picture{2, 2, 24, nullptr, nullptr, 0, true, 0};
  const Bytes pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  picture.pixels = pixels.data();
  const Bytes file = BmpEncode(picture);
  ASSERT_EQ(file.size(), 54u + 16u);
  EXPECT_EQ(Le32(&file[2]), 70u);
  EXPECT_EQ(Le32(&file[10]), 54u);
  EXPECT_EQ(Le32(&file[22]), std::uint32_t(-2));  // rows stored top first
  EXPECT_EQ(Le16(&file[28]), 24u);
  EXPECT_EQ(Le32(&file[34]), 0u);  // as asked, not the real size
  EXPECT_EQ(Le32(&file[46]), 0u);
  EXPECT_EQ(Slice(file, 54, 16), Bytes({1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}));

  EXPECT_EQ(BmpRowBytes(9, 1), 2u);
  EXPECT_EQ(BmpRowBytes(3, 4), 2u);
  EXPECT_EQ(BmpRowBytes(3, 32), 12u);
}

// An icon image: colour rows, then mask rows with a bit set where the
// transparent index is, both bottom row first and padded to four bytes.
TEST(BmpWriter, IconImageDoublesTheHeightAndMasksTheTransparentIndex) {
  const std::uint8_t pixels[] = {0, 9, 0, 7, 7, 0, 7, 7, 7};  // 3 x 3
  const Bytes image = BmpEncodeIconImage({3, 3, 8, pixels, kColours, 2}, 0);
  ASSERT_EQ(image.size(), 40u + 8u + 12u + 12u);
  EXPECT_EQ(Slice(image, 4, 8), Bytes({3, 0, 0, 0, 6, 0, 0, 0}));  // width, doubled height
  EXPECT_EQ(Le32(&image[20]), 24u);
  EXPECT_EQ(Slice(image, 48, 12), Bytes({7, 7, 7, 0, 7, 7, 0, 0, 0, 9, 0, 0}));
  EXPECT_EQ(Slice(image, 60, 12), Bytes({0, 0, 0, 0, 0x20, 0, 0, 0, 0xA0, 0, 0, 0}));

  EXPECT_TRUE(BmpEncodeIconImage({3, 3, 16, pixels, nullptr, 0}, 0).empty());
}

TEST(BmpWriter, RefusesPicturesItCannotStoreAndSavesWhatItEncodes) {
  const BmpPicture refused[] = {
      {3, 2, 8, nullptr, kColours, 2},   {0, 2, 8, kPixels, kColours, 2},
      {3, -2, 8, kPixels, kColours, 2},  {3, 2, 7, kPixels, kColours, 2},
      {3, 2, 8, kPixels, nullptr, 2},    {3, 2, 8, kPixels, kColours, 257},
      {0x7FFFFFFF, 2, 32, kPixels, nullptr, 0},
  };
  ScratchFolder scratch;
  const std::string path = scratch / "picture.bmp";
  for (const BmpPicture& picture : refused) {
    SCOPED_TRACE(&picture - refused);
    EXPECT_TRUE(BmpEncode(picture).empty());
    EXPECT_TRUE(BmpEncodeIconImage(picture, 0).empty());
    EXPECT_FALSE(BmpSave(path.c_str(), picture));
  }

  const BmpPicture good{3, 2, 8, kPixels, kColours, 2};
  ASSERT_TRUE(BmpSave(path.c_str(), good));
  EXPECT_EQ(ReadWholeFile(path), BmpEncode(good));
  EXPECT_FALSE(BmpSave((path + "/not_a_folder/x.bmp").c_str(), good));
}

}  // namespace
