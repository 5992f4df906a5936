// The PNG writer: its checksums against the standard check values, every
// chunk of a small picture read back, image data split into stored blocks,
// the pictures it will not store; and make_icon's PNGs showing the same
// rock as the Windows icon.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "kit.h"
#include "png_writer.h"

namespace {

const std::uint8_t* Text(const char* text) { return reinterpret_cast<const std::uint8_t*>(text); }

std::uint32_t Be32(const Bytes& bytes, std::size_t at) {
  return std::uint32_t(bytes[at]) << 24 | std::uint32_t(bytes[at + 1]) << 16 |
         std::uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
}

struct Chunk {
  std::string type;
  Bytes data;
};

// The chunks of a PNG file after its signature; fails the test at a chunk
// that runs past the end or whose CRC does not match.
std::vector<Chunk> Chunks(const Bytes& file) {
  std::vector<Chunk> chunks;
  const Bytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  EXPECT_TRUE(file.size() >= 8 && std::equal(signature.begin(), signature.end(), file.begin()));
  std::size_t at = 8;
  while (at + 12 <= file.size()) {
    const std::size_t length = Be32(file, at);
    if (at + 12 + length > file.size()) break;
    Chunk chunk{std::string(file.begin() + long(at + 4), file.begin() + long(at + 8)),
                Bytes(file.begin() + long(at + 8), file.begin() + long(at + 8 + length))};
    EXPECT_EQ(Be32(file, at + 8 + length), PngCrc32(file.data() + at + 4, 4 + length))
        << chunk.type;
    chunks.push_back(chunk);
    at += 12 + length;
  }
  EXPECT_EQ(at, file.size()) << "bytes after the last whole chunk";
  return chunks;
}

struct StoredStream {
  Bytes data;
  std::vector<std::size_t> blockLengths;
  bool finalFlagOnLastOnly = true;
};

// Reads a zlib stream made of stored deflate blocks, checking each block's
// length against its complement and the Adler-32 at the end.
StoredStream Inflate(const Bytes& stream) {
  StoredStream result;
  EXPECT_GE(stream.size(), 2u + 5u + 4u);
  if (stream.size() < 11) return result;
  EXPECT_EQ((stream[0] * 256 + stream[1]) % 31, 0) << "zlib header check";
  EXPECT_EQ(stream[0] & 0x0F, 8) << "deflate";
  std::size_t at = 2;
  bool final = false;
  while (!final && at + 5 <= stream.size()) {
    EXPECT_EQ(stream[at] & 0x06, 0) << "stored block";
    final = stream[at] & 1;
    const std::size_t length = stream[at + 1] | stream[at + 2] << 8;
    EXPECT_EQ(length ^ 0xFFFF, std::size_t(stream[at + 3] | stream[at + 4] << 8));
    if (at + 5 + length > stream.size()) break;
    result.data.insert(result.data.end(), stream.begin() + long(at + 5),
                       stream.begin() + long(at + 5 + length));
    result.blockLengths.push_back(length);
    at += 5 + length;
    if (!final && at + 5 > stream.size()) result.finalFlagOnLastOnly = false;
  }
  EXPECT_TRUE(final) << "no final block";
  EXPECT_EQ(at + 4, stream.size());
  if (at + 4 <= stream.size()) {
    EXPECT_EQ(Be32(stream, at), PngAdler32(result.data.data(), result.data.size()));
  }
  return result;
}

TEST(PngChecksums, MatchTheStandardCheckValues) {
  EXPECT_EQ(PngCrc32(Text("123456789"), 9), 0xCBF43926u);
  EXPECT_EQ(PngCrc32(Text("IEND"), 4), 0xAE426082u);  // every PNG ends with it
  EXPECT_EQ(PngCrc32(Text("6789"), 4, PngCrc32(Text("12345"), 5)), 0xCBF43926u);
  EXPECT_EQ(PngAdler32(Text("Wikipedia"), 9), 0x11E60398u);
  EXPECT_EQ(PngAdler32(nullptr, 0), 1u);
  // Past 5552 bytes of 0xFF the sums wrap around their modulus.
  const Bytes ones(100000, 0xFF);
  std::uint64_t low = 1, high = 0;
  for (std::size_t i = 0; i < ones.size(); ++i) {
    low += 0xFF;
    high += low;
  }
  EXPECT_EQ(PngAdler32(ones.data(), ones.size()),
            std::uint32_t((high % 65521) << 16 | (low % 65521)));
}

TEST(PngWriter, StoresHeaderPaletteTransparencyAndRowsTopFirst) {
  const std::uint8_t pixels[] = {0, 1, 2, 2, 1, 0};  // 3 x 2
  const BmpColour colours[] = {{1, 2, 3}, {40, 50, 60}, {255, 128, 0}};
  const Bytes file = PngEncodeIndexed({3, 2, 8, pixels, colours, 3}, 1);
  const std::vector<Chunk> chunks = Chunks(file);
  ASSERT_EQ(chunks.size(), 5u);
  EXPECT_EQ(chunks[0].type, "IHDR");
  EXPECT_EQ(chunks[0].data, Bytes({0, 0, 0, 3, 0, 0, 0, 2, 8, 3, 0, 0, 0}));
  EXPECT_EQ(chunks[1].type, "PLTE");
  EXPECT_EQ(chunks[1].data, Bytes({1, 2, 3, 40, 50, 60, 255, 128, 0}));
  EXPECT_EQ(chunks[2].type, "tRNS");
  EXPECT_EQ(chunks[2].data, Bytes({0xFF, 0}));  // only index 1 see-through
  EXPECT_EQ(chunks[3].type, "IDAT");
  EXPECT_EQ(Inflate(chunks[3].data).data, Bytes({0, 0, 1, 2, 0, 2, 1, 0}));
  EXPECT_EQ(chunks[4].type, "IEND");
  EXPECT_TRUE(chunks[4].data.empty());

  const std::vector<Chunk> opaque = Chunks(PngEncodeIndexed({3, 2, 8, pixels, colours, 3}, -1));
  ASSERT_EQ(opaque.size(), 4u);
  EXPECT_EQ(opaque[2].type, "IDAT");
}

// 300 rows of 301 bytes do not fit one stored block of at most 65535.
TEST(PngWriter, SplitsLargeImageDataIntoStoredBlocks) {
  Bytes pixels(300 * 300);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = std::uint8_t(i * 7 % 251);
  BmpColour colours[256] = {};
  const std::vector<Chunk> chunks =
      Chunks(PngEncodeIndexed({300, 300, 8, pixels.data(), colours, 256}, 0));
  ASSERT_EQ(chunks.size(), 5u);
  const StoredStream stream = Inflate(chunks[3].data);
  EXPECT_EQ(stream.blockLengths, std::vector<std::size_t>({65535, 301 * 300 - 65535}));
  EXPECT_TRUE(stream.finalFlagOnLastOnly);
  ASSERT_EQ(stream.data.size(), 301u * 300u);
  for (std::size_t y = 0; y < 300; ++y) {
    ASSERT_EQ(stream.data[y * 301], 0) << "filter of row " << y;
    ASSERT_EQ(0, std::memcmp(&stream.data[y * 301 + 1], &pixels[y * 300], 300)) << "row " << y;
  }
}

TEST(PngWriter, RefusesWhatItCannotStore) {
  const std::uint8_t pixels[4] = {};
  const BmpColour colours[2] = {};
  EXPECT_TRUE(PngEncodeIndexed({2, 2, 4, pixels, colours, 2}, 0).empty());    // not 8 bits
  EXPECT_TRUE(PngEncodeIndexed({2, 2, 8, pixels, nullptr, 0}, 0).empty());    // no palette
  EXPECT_TRUE(PngEncodeIndexed({2, 2, 8, pixels, colours, 257}, 0).empty());  // too many
  EXPECT_TRUE(PngEncodeIndexed({0, 2, 8, pixels, colours, 2}, 0).empty());
  EXPECT_TRUE(PngEncodeIndexed({2, -1, 8, pixels, colours, 2}, 0).empty());
  EXPECT_TRUE(PngEncodeIndexed({2, 2, 8, nullptr, colours, 2}, 0).empty());
  EXPECT_TRUE(PngEncodeIndexed({1 << 20, 1 << 20, 8, pixels, colours, 2}, 0).empty());
}

int MakeIcon(const std::string& arguments) {
  const std::string command =
      "\"" + BesideTheProgram("make_icon") + "\" " + arguments + " 2>/dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The 32 x 32 PNG is the Windows icon's picture: same indices, same
// palette, index 0 see-through as the icon's mask makes it.
TEST(MakeIconPng, DrawsTheWindowsIconsRockAndRefusesBadSizes) {
  const std::string png = BesideTheProgram("png_writer_test.png");
  const std::string ico = BesideTheProgram("png_writer_test.ico");
  ASSERT_EQ(MakeIcon("--png 32 \"" + png + "\""), 0);
  ASSERT_EQ(MakeIcon("\"" + ico + "\""), 0);
  const Bytes pngFile = ReadWholeFile(png), icoFile = ReadWholeFile(ico);
  std::remove(png.c_str());
  std::remove(ico.c_str());
  const std::vector<Chunk> chunks = Chunks(pngFile);
  ASSERT_EQ(chunks.size(), 5u);
  EXPECT_EQ(Be32(chunks[0].data, 0), 32u);
  EXPECT_EQ(chunks[2].data, Bytes({0}));
  const std::size_t table = 22 + 40, rows = table + 1024;
  ASSERT_EQ(icoFile.size(), rows + 32 * 32 + 32 * 4);
  ASSERT_EQ(chunks[1].data.size(), 768u);
  for (std::size_t i = 0; i < 256; ++i) {
    const std::uint8_t* entry = &icoFile[table + 4 * i];  // blue, green, red, 0
    ASSERT_EQ(Bytes(chunks[1].data.begin() + long(3 * i), chunks[1].data.begin() + long(3 * i + 3)),
              Bytes({entry[2], entry[1], entry[0]})) << "colour " << i;
  }
  const Bytes image = Inflate(chunks[3].data).data;
  ASSERT_EQ(image.size(), 33u * 32u);
  for (std::size_t y = 0; y < 32; ++y) {
    ASSERT_EQ(0, std::memcmp(&image[y * 33 + 1], &icoFile[rows + (31 - y) * 32], 32)) << y;
  }

  EXPECT_EQ(MakeIcon("--png 256 \"" + png + "\""), 0);
  EXPECT_EQ(Be32(ReadWholeFile(png), 16), 256u);
  std::remove(png.c_str());
  for (const char* size : {"8", "2000", "32x", ""}) {
    EXPECT_EQ(MakeIcon(std::string("--png \"") + size + "\" \"" + png + "\""), 2) << size;
  }
  EXPECT_EQ(MakeIcon("--png 32"), 2);
  EXPECT_EQ(MakeIcon("--png 32 /nonexistent/folder/vorn.png"), 1);
}

}  // namespace
