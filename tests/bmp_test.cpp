// The BMP reader on files built byte by byte: what it keeps, converts and
// reorders, and every file it refuses without leaving anything behind.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bmp.h"
#include "bmp_writer.h"
#include "kit.h"

namespace {

void Put16(Bytes& bytes, std::size_t at, std::uint32_t value) {
  bytes[at] = std::uint8_t(value);
  bytes[at + 1] = std::uint8_t(value >> 8);
}

void Put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  Put16(bytes, at, value & 0xFFFF);
  Put16(bytes, at + 2, value >> 16);
}

// Offsets of the header fields the tests change.
enum { TYPE_AT = 0, WIDTH_AT = 18, HEIGHT_AT = 22, DEPTH_AT = 28, SIZE_IMAGE_AT = 34 };

// A file as the tools write it: headers, colour table, then the rows bottom
// row first, with biSizeImage the length of those rows. pixels holds the
// picture's rows top row first.
Bytes BmpFile(int width, int height, int depth, const std::vector<BmpColour>& colourTable,
              const Bytes& pixels) {
  EXPECT_EQ(pixels.size(), BmpRowBytes(width, depth) * std::size_t(height));
  return BmpEncode({width, height, depth, pixels.data(), colourTable.data(),
                    int(colourTable.size())});
}

// Entry i is red 0xFF - i, green 0x20, blue i.
std::vector<BmpColour> ColourTable(int entries) {
  std::vector<BmpColour> table;
  for (int i = 0; i < entries; ++i) {
    table.push_back({std::uint8_t(0xFF - i), 0x20, std::uint8_t(i)});
  }
  return table;
}

// Rows top row first, numbered as the file stores them, bottom row 0: row r
// holds bytes r*16 + column, so every byte says where it was stored.
Bytes NumberedRows(int rowBytes, int rows) {
  Bytes bytes;
  for (int r = rows - 1; r >= 0; --r) {
    for (int c = 0; c < rowBytes; ++c) bytes.push_back(std::uint8_t(r * 16 + c));
  }
  return bytes;
}

class BmpReadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch.path.empty());
    std::memset(&image, 0xAB, sizeof image);
    image.pixels = nullptr;
  }

  void TearDown() override {
    TraceDisarmFaults();
    BmpDiscard(&image);
  }

  std::string Write(const Bytes& bytes, const std::string& name = "test.bmp") {
    std::string path = scratch / name;
    EXPECT_TRUE(BmpWriteFile(path.c_str(), bytes)) << path;
    return path;
  }

  int Read(const Bytes& bytes) { return BmpRead(&image, Write(bytes).c_str()); }

  // A refusal leaves no pixels and, when the headers gave it away, the
  // palette exactly as it was.
  void ExpectRefused(const Bytes& bytes, const char* reason, bool paletteUntouched = true) {
    SCOPED_TRACE(reason);
    EXPECT_EQ(Read(bytes), 0);
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_NE(std::strstr(BmpFailureReason(), reason), nullptr) << BmpFailureReason();
    if (paletteUntouched) {
      Bytes untouched(sizeof image.palette, 0xAB);
      EXPECT_EQ(std::memcmp(image.palette, untouched.data(), untouched.size()), 0);
    }
  }

  ScratchFolder scratch;
  BmpImage image;
};

TEST_F(BmpReadTest, EightBitKeepsIndicesTopRowFirstAndMakesADisplayPalette) {
  std::vector<BmpColour> table = ColourTable(256);
  table[1] = {0x30, 0x20, 0x10};
  Bytes file = BmpFile(4, 3, 8, table, NumberedRows(4, 3));
  ASSERT_EQ(Read(file), 1) << BmpFailureReason();

  EXPECT_EQ(std::memcmp(&image.fileHeader, file.data(), 14), 0);
  EXPECT_EQ(std::memcmp(&image.infoHeader, file.data() + 14, 40), 0);
  const Bytes top = {0x20, 0x21, 0x22, 0x23}, middle = {0x10, 0x11, 0x12, 0x13},
              bottom = {0x00, 0x01, 0x02, 0x03};
  EXPECT_EQ(Bytes(image.pixels, image.pixels + 4), top);
  EXPECT_EQ(Bytes(image.pixels + 4, image.pixels + 8), middle);
  EXPECT_EQ(Bytes(image.pixels + 8, image.pixels + 12), bottom);

  const PALETTEENTRY& one = image.palette[1];
  EXPECT_EQ(one.peRed, 0x30);
  EXPECT_EQ(one.peGreen, 0x20);
  EXPECT_EQ(one.peBlue, 0x10);
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(image.palette[i].peFlags, PC_NOCOLLAPSE) << i;
    if (i == 1) continue;
    ASSERT_EQ(image.palette[i].peRed, 0xFF - i) << i;
    ASSERT_EQ(image.palette[i].peBlue, i) << i;
  }

  EXPECT_EQ(BmpDiscard(&image), 1);
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_EQ(image.palette[1].peRed, 0x30);  // the palette outlives the pixels
  EXPECT_EQ(BmpDiscard(&image), 1);
}

// The pixel block is found from the end of the file, so a short colour table
// does not shift the pixels; the entries past the table are made from
// whatever follows it, and those past the end of a tiny file are black.
TEST_F(BmpReadTest, ShortColourTableStillGivesTheRightPixels) {
  Bytes rows = NumberedRows(4, 2);
  ASSERT_EQ(Read(BmpFile(4, 2, 8, ColourTable(2), rows)), 1) << BmpFailureReason();

  EXPECT_EQ(Bytes(image.pixels, image.pixels + 8),
            Bytes({0x10, 0x11, 0x12, 0x13, 0x00, 0x01, 0x02, 0x03}));
  EXPECT_EQ(image.palette[1].peRed, 0xFE);
  EXPECT_EQ(image.palette[1].peBlue, 0x01);
  // Entry 2 is the first stored row, 00 01 02 03, swapped.
  EXPECT_EQ(image.palette[2].peRed, 0x02);
  EXPECT_EQ(image.palette[2].peGreen, 0x01);
  EXPECT_EQ(image.palette[2].peBlue, 0x00);
  EXPECT_EQ(image.palette[3].peRed, 0x12);
  for (int i = 4; i < 256; ++i) {
    const PALETTEENTRY& entry = image.palette[i];
    ASSERT_EQ(entry.peRed | entry.peGreen | entry.peBlue, 0) << i;
    ASSERT_EQ(entry.peFlags, PC_NOCOLLAPSE) << i;
  }
}

TEST_F(BmpReadTest, TwentyFourBitBecomesFiveFiveFiveTopRowFirst) {
  Bytes rows = {
      0x07, 0x07, 0x07, 0xF8, 0, 0, 0x00, 0xF8, 0x00, 0x08, 0x10, 0x18,  // top row
      0xFF, 0x80, 0x08, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xF8,  // bottom row
  };
  ASSERT_EQ(Read(BmpFile(4, 2, 24, {}, rows)), 1) << BmpFailureReason();

  EXPECT_EQ(image.infoHeader.biBitCount, 16);
  EXPECT_EQ(image.infoHeader.biSizeImage, 24u);  // the header stays as stored
  auto word = [&](int i) { return image.pixels[2 * i] | image.pixels[2 * i + 1] << 8; };
  EXPECT_EQ(word(0), 0x0000);  // 0x07 in every channel is below one step
  EXPECT_EQ(word(1), 0x001F);  // blue
  EXPECT_EQ(word(2), 0x03E0);  // green
  EXPECT_EQ(word(3), 0x0C41);  // r 0x18, g 0x10, b 0x08
  EXPECT_EQ(word(4), 0x061F);  // b 0xFF, g 0x80, r 0x08
  EXPECT_EQ(word(5), 0x0000);
  EXPECT_EQ(word(6), 0x7FFF);
  EXPECT_EQ(word(7), 0x7C00);  // red

  Bytes untouched(sizeof image.palette, 0xAB);
  EXPECT_EQ(std::memcmp(image.palette, untouched.data(), untouched.size()), 0);
}

TEST_F(BmpReadTest, SixteenBitIsKeptAsStoredTopRowFirst) {
  Bytes rows = NumberedRows(4, 3);  // two pixels a row
  ASSERT_EQ(Read(BmpFile(2, 3, 16, {}, rows)), 1) << BmpFailureReason();
  EXPECT_EQ(image.infoHeader.biBitCount, 16);
  EXPECT_EQ(Bytes(image.pixels, image.pixels + 12),
            Bytes({0x20, 0x21, 0x22, 0x23, 0x10, 0x11, 0x12, 0x13, 0x00, 0x01, 0x02, 0x03}));
}

TEST_F(BmpReadTest, RefusesFilesWhoseHeadersCannotBeTrusted) {
  const Bytes good = BmpFile(4, 2, 8, ColourTable(256), NumberedRows(4, 2));
  ASSERT_EQ(Read(good), 1);
  BmpDiscard(&image);
  std::memset(image.palette, 0xAB, sizeof image.palette);

  ExpectRefused(Bytes(good.begin(), good.begin() + 10), "shorter than its headers");
  ExpectRefused(Bytes(good.begin(), good.begin() + 14 + 39), "shorter than its headers");
  Bytes notBmp = good;
  Put16(notBmp, TYPE_AT, 0x4142);
  ExpectRefused(notBmp, "not a BMP file");

  struct Change {
    std::size_t at;
    std::uint32_t value;
    bool wide;
    const char* reason;
  };
  const Change changes[] = {
      {SIZE_IMAGE_AT, 0, true, "size is zero"},
      {SIZE_IMAGE_AT, 7, true, "smaller than the rows need"},
      {SIZE_IMAGE_AT, 1024 + 8 + 1, true, "past the end of the file"},
      {SIZE_IMAGE_AT, 0xFFFFFFFF, true, "too large"},
      {WIDTH_AT, 0, true, "not positive"},
      {WIDTH_AT, std::uint32_t(-4), true, "not positive"},
      {HEIGHT_AT, std::uint32_t(-2), true, "not positive"},  // top-down
      {HEIGHT_AT, 0, true, "not positive"},
      {DEPTH_AT, 1, false, "unsupported depth 1"},
      {DEPTH_AT, 4, false, "unsupported depth 4"},
      {DEPTH_AT, 32, false, "unsupported depth 32"},
      {DEPTH_AT, 0, false, "unsupported depth 0"},
      {WIDTH_AT, 3, true, "need padding"},
      {WIDTH_AT, 0x7FFFFFFC, true, "too large"},
      {HEIGHT_AT, 0x7FFFFFFF, true, "too large"},
  };
  for (const Change& change : changes) {
    Bytes bad = good;
    if (change.wide) {
      Put32(bad, change.at, change.value);
    } else {
      Put16(bad, change.at, change.value);
    }
    ExpectRefused(bad, change.reason);
  }
  // More refusals than the platform has file handles: each closed its file.
  EXPECT_EQ(Read(good), 1);
}

TEST_F(BmpReadTest, RowsMustNotNeedPaddingAtAnyDepth) {
  // One 24-bit pixel is 3 bytes a row; one 16-bit pixel 2: both would be
  // padded to 4 in the file.
  ExpectRefused(BmpFile(1, 2, 24, {}, Bytes(6, 0)), "need padding");
  ExpectRefused(BmpFile(1, 2, 16, {}, Bytes(4, 0)), "need padding");
  ExpectRefused(BmpFile(6, 1, 8, ColourTable(256), Bytes(6, 0)), "need padding");
  // Sizes that overflow 32 bits once multiplied out: depth, width, height.
  const std::uint32_t overflowing[][3] = {{24, 0x40000000, 4}, {16, 65536, 65536}};
  for (const auto& size : overflowing) {
    Bytes huge = BmpFile(4, 1, int(size[0]), {}, Bytes(BmpRowBytes(4, int(size[0])), 0));
    Put32(huge, WIDTH_AT, size[1]);
    Put32(huge, HEIGHT_AT, size[2]);
    ExpectRefused(huge, "too large");
  }
}

// The reader's allocations, in order: the pixel block (for a 24-bit file
// the triples, then the 5-5-5 words), then the scratch for reordering rows.
TEST_F(BmpReadTest, AllocationFailuresAreRefusedOrLeaveRowsAsStored) {
  std::string eightBit = Write(BmpFile(4, 2, 8, ColourTable(256), NumberedRows(4, 2)), "8.bmp");
  std::string twentyFour = Write(BmpFile(4, 1, 24, {}, NumberedRows(12, 1)), "24.bmp");
  struct Case {
    const std::string* path;
    int allocationsBefore;
  };
  for (const Case& c : {Case{&eightBit, 0}, Case{&twentyFour, 0}, Case{&twentyFour, 1}}) {
    TraceArmFault("malloc", FaultMode::Once, c.allocationsBefore);
    int result = BmpRead(&image, c.path->c_str());
    TraceDisarmFaults();
    EXPECT_EQ(result, 0) << *c.path << " " << c.allocationsBefore;
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_STREQ(BmpFailureReason(), "out of memory");
  }

  // Without scratch memory the picture is still whole, bottom row first.
  TraceArmFault("malloc", FaultMode::Once, 1);
  int result = BmpRead(&image, eightBit.c_str());
  TraceDisarmFaults();
  ASSERT_EQ(result, 1);
  EXPECT_EQ(Bytes(image.pixels, image.pixels + 8),
            Bytes({0x00, 0x01, 0x02, 0x03, 0x10, 0x11, 0x12, 0x13}));

  std::uint8_t rows[] = {1, 2, 3, 4};
  TraceArmFault("malloc", FaultMode::Once);
  EXPECT_EQ(BmpFlipRows(rows, 2, 2), 0);
  TraceDisarmFaults();
  const std::uint8_t unchanged[] = {1, 2, 3, 4};
  EXPECT_EQ(std::memcmp(rows, unchanged, sizeof rows), 0);
}

// A short read anywhere is refused rather than passing on bytes nobody wrote.
TEST_F(BmpReadTest, FailedReadsAreRefusedAndFreeWhatWasTaken) {
  const Bytes eightBit = BmpFile(4, 2, 8, ColourTable(256), NumberedRows(4, 2));
  const Bytes twentyFour = BmpFile(4, 1, 24, {}, NumberedRows(12, 1));
  struct Case {
    const Bytes* file;
    int readsBefore;
    const char* reason;
  };
  const Case cases[] = {
      {&eightBit, 0, "shorter than its headers"},
      {&eightBit, 1, "shorter than its headers"},
      {&eightBit, 2, "cannot be read"},        // colour table
      {&eightBit, 3, "cannot be read"},        // pixel block
      {&twentyFour, 2, "cannot be read"},      // pixel block, before conversion
  };
  for (int round = 0; round < 4; ++round) {
    for (const Case& c : cases) {
      TraceArmFault("_lread", FaultMode::Once, c.readsBefore);
      ExpectRefused(*c.file, c.reason, false);
      TraceDisarmFaults();
    }
  }
  // A file that cannot be opened leaves the whole record as it was.
  BmpImage before;
  std::memcpy(&before, &image, sizeof image);
  EXPECT_EQ(BmpRead(&image, (scratch / "absent.bmp").c_str()), 0);
  EXPECT_EQ(std::memcmp(&before, &image, sizeof image), 0);
  EXPECT_STREQ(BmpFailureReason(), "cannot be opened");
  TraceArmFault("OpenFile", FaultMode::Once);
  ExpectRefused(eightBit, "cannot be opened", false);
  TraceDisarmFaults();
  std::memset(image.palette, 0xAB, sizeof image.palette);
  TraceArmFault("_llseek", FaultMode::Always);
  ExpectRefused(eightBit, "cannot be read");
  TraceDisarmFaults();
  // The file was closed every time: a good read still finds a free handle.
  EXPECT_EQ(Read(eightBit), 1);
}

// The shared corpus of real-world BMP files, good, questionable and bad.
std::string CorpusDirectory() {
  const char* shared = std::getenv("VORN_SHARED");
  std::string source = __FILE__;
  std::string tests = source.substr(0, source.find_last_of('/'));
  std::string base = shared != nullptr ? shared : tests + "/../../shared";
  return base + "/bmpsuite";
}

std::vector<std::string> CorpusFiles() {
  std::vector<std::string> files;
  std::error_code error;
  for (const char* folder : {"g", "q", "b"}) {
    for (const auto& entry :
         std::filesystem::directory_iterator(CorpusDirectory() + "/" + folder, error)) {
      if (entry.path().extension() == ".bmp") files.push_back(entry.path().string());
    }
  }
  return files;
}

// Every file is either refused with nothing left behind or read whole; an
// accepted plain 8-bit file matches its stored rows, read independently.
TEST(BmpCorpus, EveryFileIsRefusedCleanlyOrReadWhole) {
  std::vector<std::string> files = CorpusFiles();
  ASSERT_GT(files.size(), 50u) << "corpus not found under " << CorpusDirectory();
  int accepted = 0;
  bool narrowEightBitRead = false;
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    BmpImage image{};
    if (BmpRead(&image, path.c_str()) == 0) {
      EXPECT_EQ(image.pixels, nullptr);
      EXPECT_STRNE(BmpFailureReason(), "");
      continue;
    }
    ++accepted;
    const Bytes file = ReadWholeFile(path);
    const BITMAPINFOHEADER& info = image.infoHeader;
    ASSERT_NE(image.pixels, nullptr);
    EXPECT_EQ(info.biWidth, std::int32_t(Le32(&file[WIDTH_AT])));
    EXPECT_EQ(info.biHeight, std::int32_t(Le32(&file[HEIGHT_AT])));
    ASSERT_TRUE(info.biBitCount == 8 || info.biBitCount == 16);
    std::size_t rowBytes = std::size_t(info.biWidth) * (info.biBitCount / 8);
    TouchEveryByte(image.pixels, rowBytes * std::size_t(info.biHeight));
    std::uint32_t offset = Le32(&file[10]);
    if (info.biBitCount == 8 && offset + info.biSizeImage == file.size()) {
      for (int row = 0; row < info.biHeight; ++row) {
        const std::uint8_t* stored = file.data() + offset + (info.biHeight - 1 - row) * rowBytes;
        ASSERT_EQ(std::memcmp(image.pixels + row * rowBytes, stored, rowBytes), 0) << row;
      }
      narrowEightBitRead |= path.find("pal8w124") != std::string::npos;
    }
    BmpDiscard(&image);
  }
  // Most of the corpus has padded rows or other depths; the unpadded 8-bit
  // picture must still be read correctly.
  EXPECT_TRUE(narrowEightBitRead);
  EXPECT_GE(accepted, 1);
}

// The portable file calls the reader goes through.
class PortableFilesTest : public BmpReadTest {};

TEST_F(PortableFilesTest, OpenReadSeekAndCloseKeepToTheirContracts) {
  Bytes hundred;
  for (int i = 0; i < 100; ++i) hundred.push_back(std::uint8_t(i));
  std::string path = Write(hundred);
  OFSTRUCT info;
  const UINT writeStyle = 1;
  EXPECT_EQ(OpenFile(path.c_str(), &info, writeStyle), HFILE_ERROR);
  EXPECT_EQ(OpenFile((scratch / "absent").c_str(), &info, OF_READ), HFILE_ERROR);
  EXPECT_EQ(info.nErrCode, 2);  // file not found
  EXPECT_EQ(OpenFile(scratch.path.c_str(), &info, OF_READ), HFILE_ERROR);
  HFILE file = OpenFile(path.c_str(), &info, OF_READ);
  ASSERT_NE(file, HFILE_ERROR);
  EXPECT_EQ(info.cBytes, sizeof info);
  EXPECT_EQ(info.nErrCode, 0);
  EXPECT_STREQ(info.szPathName, path.c_str());

  std::uint8_t buffer[32] = {};
  EXPECT_EQ(_llseek(file, -10, FILE_END), 90);
  EXPECT_EQ(_lread(file, buffer, 20), 10u);
  EXPECT_EQ(buffer[0], 90);
  EXPECT_EQ(buffer[9], 99);
  EXPECT_EQ(_lread(file, buffer, 20), 0u);
  EXPECT_EQ(_llseek(file, -200, FILE_END), HFILE_ERROR);
  EXPECT_EQ(_llseek(file, 0, FILE_CURRENT), 100);  // a refused seek does not move
  EXPECT_EQ(_llseek(file, 5, FILE_BEGIN), 5);
  EXPECT_EQ(_llseek(file, 3, FILE_CURRENT), 8);
  EXPECT_EQ(_llseek(file, -9, FILE_CURRENT), HFILE_ERROR);
  EXPECT_EQ(_llseek(file, 0, 7), HFILE_ERROR);
  EXPECT_EQ(_lread(file, buffer, 1), 1u);
  EXPECT_EQ(buffer[0], 8);

  EXPECT_EQ(_lclose(file), 0);
  EXPECT_EQ(_lclose(file), HFILE_ERROR);
  EXPECT_EQ(_lread(file, buffer, 1), UINT(HFILE_ERROR));
  EXPECT_EQ(_llseek(file, 0, FILE_BEGIN), HFILE_ERROR);
}

// A bare name is looked for beside the program, then in the host's data
// folder (share/vorn of an installed program), then in the current
// directory; a name with a folder in it is taken as it stands.
TEST_F(PortableFilesTest, BareNamesAreFoundBesideTheProgramFirst) {
  std::string program = scratch / "program", current = scratch / "current",
              data = scratch / "data";
  ASSERT_EQ(mkdir(program.c_str(), 0700), 0);
  ASSERT_EQ(mkdir(current.c_str(), 0700), 0);
  ASSERT_EQ(mkdir(data.c_str(), 0700), 0);
  Write({'p'}, "program/BOTH.BMP");
  Write({'d'}, "data/BOTH.BMP");
  Write({'c'}, "current/BOTH.BMP");
  Write({'d'}, "data/SHARED.BMP");
  Write({'c'}, "current/SHARED.BMP");
  Write({'h'}, "current/HERE.BMP");
  WorkingDirectory inCurrent(current);
  ASSERT_TRUE(inCurrent.ok);
  HeadlessConfig config;
  config.programDirectory = program;
  config.dataDirectory = data;
  HeadlessBegin(config);

  auto firstByte = [](const char* name, std::string* opened) {
    OFSTRUCT info;
    HFILE file = OpenFile(name, &info, OF_READ);
    if (file == HFILE_ERROR) return -1;
    std::uint8_t byte = 0;
    _lread(file, &byte, 1);
    _lclose(file);
    *opened = info.szPathName;
    return int(byte);
  };
  std::string opened;
  EXPECT_EQ(firstByte("BOTH.BMP", &opened), 'p');
  EXPECT_EQ(opened, program + "/BOTH.BMP");
  EXPECT_EQ(firstByte("SHARED.BMP", &opened), 'd');
  EXPECT_EQ(opened, data + "/SHARED.BMP");
  EXPECT_EQ(firstByte("HERE.BMP", &opened), 'h');
  EXPECT_EQ(firstByte("./BOTH.BMP", &opened), 'c');
  EXPECT_EQ(firstByte("NONE.BMP", &opened), -1);
  HeadlessEnd();
}

TEST_F(PortableFilesTest, LongPathsAreCutToTheRecordSafely) {
  std::string path = scratch.path;
  while (path.size() < 200) {
    path += "/a_rather_long_folder_name";
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
  }
  std::string file = path + "/f.bmp";
  ASSERT_TRUE(BmpWriteFile(file.c_str(), {}));
  OFSTRUCT info;
  std::memset(&info, 0x5A, sizeof info);
  HFILE handle = OpenFile(file.c_str(), &info, OF_READ);
  ASSERT_NE(handle, HFILE_ERROR);
  EXPECT_EQ(std::strlen(info.szPathName), sizeof info.szPathName - 1);
  EXPECT_EQ(file.compare(0, sizeof info.szPathName - 1, info.szPathName), 0);
  _lclose(handle);
}

TEST(BmpFlipRows, ReversesRowsInPlace) {
  std::uint8_t rows[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  EXPECT_EQ(BmpFlipRows(rows, 3, 3), 1);
  const std::uint8_t flipped[] = {7, 8, 9, 4, 5, 6, 1, 2, 3};
  EXPECT_EQ(std::memcmp(rows, flipped, sizeof rows), 0);
  EXPECT_EQ(BmpFlipRows(rows, 9, 1), 1);
  EXPECT_EQ(std::memcmp(rows, flipped, sizeof rows), 0);
  EXPECT_EQ(BmpFlipRows(nullptr, 3, 3), 0);
}

}  // namespace
