// BmpRead of large 8-bit and 24-bit files against a plain read of the same
// file: open, allocate, read it whole, close, free.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bmp.h"
#include "bmp_writer.h"
#include "kit.h"

namespace {

const int kEightBitSide = 4096;       // 16 MB of pixels
const int kTwentyFourBitSide = 2048;  // 12 MB of pixels

// A square picture of the given depth with a varied pattern and, at 8 bits,
// a varied colour table (the sides are multiples of 4: no row padding).
bool WritePicture(const std::string& path, int side, int depth) {
  std::uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return static_cast<std::uint8_t>(state >> 16);
  };
  BmpColour colours[256];
  for (BmpColour& colour : colours) colour = {next(), next(), next()};
  std::vector<std::uint8_t> pixels(std::size_t(side) * side * (depth / 8));
  for (std::uint8_t& pixel : pixels) pixel = next();
  return BmpSave(path.c_str(), {side, side, depth, pixels.data(), colours, depth == 8 ? 256 : 0});
}

// The two pictures, written once per process into a private folder that is
// removed at exit.
struct BenchPictures {
  ScratchFolder folder;
  std::string eightBit = folder / "large8.bmp";
  std::string twentyFourBit = folder / "large24.bmp";
  bool ready = !folder.path.empty() && WritePicture(eightBit, kEightBitSide, 8) &&
               WritePicture(twentyFourBit, kTwentyFourBitSide, 24);
};

const BenchPictures& Pictures() {
  static BenchPictures pictures;
  return pictures;
}

const std::string& PicturePath(int depth) {
  return depth == 8 ? Pictures().eightBit : Pictures().twentyFourBit;
}

void BmpReadLarge(benchmark::State& state, int depth) {
  if (!Pictures().ready) state.SkipWithError("the pictures could not be written");
  const std::string& path = PicturePath(depth);
  for (auto _ : state) {
    BmpImage image = {};
    if (!BmpRead(&image, path.c_str())) {
      state.SkipWithError(BmpFailureReason());
      break;
    }
    benchmark::DoNotOptimize(image.pixels);
    BmpDiscard(&image);
  }
  state.SetBytesProcessed(state.iterations() * std::filesystem::file_size(path));
}

void PlainRead(benchmark::State& state, int depth) {
  if (!Pictures().ready) state.SkipWithError("the pictures could not be written");
  const std::string& path = PicturePath(depth);
  for (auto _ : state) {
    int descriptor = open(path.c_str(), O_RDONLY);
    struct stat status;
    if (descriptor < 0 || fstat(descriptor, &status) != 0) {
      state.SkipWithError("the picture cannot be opened");
      if (descriptor >= 0) close(descriptor);
      break;
    }
    std::size_t size = static_cast<std::size_t>(status.st_size);
    auto* bytes = static_cast<std::uint8_t*>(std::malloc(size));
    std::size_t total = 0;
    while (bytes != nullptr && total < size) {
      ssize_t count = read(descriptor, bytes + total, size - total);
      if (count <= 0) break;
      total += static_cast<std::size_t>(count);
    }
    close(descriptor);
    benchmark::DoNotOptimize(bytes);
    std::free(bytes);
    if (total != size) {
      state.SkipWithError("the picture cannot be read");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * std::filesystem::file_size(path));
}

}  // namespace

BENCHMARK_CAPTURE(BmpReadLarge, 8bit, 8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainRead, 8bit, 8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BmpReadLarge, 24bit, 24)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainRead, 24bit, 24)->Unit(benchmark::kMillisecond);
