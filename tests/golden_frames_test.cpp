// Every frame of a fixed run, guarded: a seed and a key script that touches
// every key give frames whose digest is written down here, and two runs
// give identical files.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "capture_tool.h"

namespace {

const char kSeed[] = "19";
const int kFrames = 60;
// Space and Escape come last, where the run ends anyway: held earlier they
// would end it early.
const char kKeys[] = "left@4-14,right@10-22,up@26-34,down@30-46,left@44-50,space@57-58,escape@59";

// FNV-1a, 64 bits, over every frame in order: its 256 colours as red,
// green, blue, then its 640 x 480 indices top row first. The frames follow
// the C library's rand(), so the value holds for glibc only.
const std::uint64_t kGoldenDigest = 0x4af2ea968c219502ull;

struct Fnv1a64 {
  std::uint64_t value = 0xcbf29ce484222325ull;
  void Add(std::uint8_t byte) {
    value ^= byte;
    value *= 0x100000001b3ull;
  }
};

std::uint64_t DigestOfFrames(const std::string& folder, int frames) {
  Fnv1a64 digest;
  for (int i = 1; i <= frames; ++i) {
    HeadlessFrame frame;
    std::string why;
    if (!ReadFrameFile(folder + "/" + FrameFileName(i), &frame, &why)) {
      ADD_FAILURE() << FrameFileName(i) << ": " << why;
      return 0;
    }
    for (const PALETTEENTRY& colour : frame.palette) {
      digest.Add(colour.peRed);
      digest.Add(colour.peGreen);
      digest.Add(colour.peBlue);
    }
    for (std::uint8_t index : frame.pixels) digest.Add(index);
  }
  return digest.value;
}

TEST(GoldenFrames, DigestOfEveryFrameIsUnchangedAndRunsRepeat) {
#if !defined(__GLIBC__)
  GTEST_SKIP() << "the golden digest is for glibc's rand()";
#endif
  ScratchFolder scratch;
  for (const char* name : {"first", "second"}) {
    ToolRun run = RunCaptureTool({"--seed", kSeed, "--frames", std::to_string(kFrames), "--keys",
                                  kKeys, "--out", scratch / name, "--gif",
                                  scratch / (std::string(name) + ".gif")},
                                 scratch);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_EQ(CountFrameFiles(scratch / name), kFrames);
  }
  EXPECT_EQ(DigestOfFrames(scratch / "first", kFrames), kGoldenDigest)
      << std::hex << "digest 0x" << DigestOfFrames(scratch / "first", kFrames);
  for (int i = 1; i <= kFrames; ++i) {
    EXPECT_TRUE(ReadWholeFile(scratch / ("first/" + FrameFileName(i))) ==
                ReadWholeFile(scratch / ("second/" + FrameFileName(i))))
        << FrameFileName(i);
  }
  Bytes firstGif = ReadWholeFile(scratch / "first.gif");
  EXPECT_FALSE(firstGif.empty());
  EXPECT_TRUE(firstGif == ReadWholeFile(scratch / "second.gif"));
}

}  // namespace
