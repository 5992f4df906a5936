// The desktop host's own parts, apart from SDL: its command line, where the
// picture goes in a window or on a screen of any size, and screenshots
// saved as indexed PNG files that never replace another file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "kit.h"
#include "picture_fit.h"
#include "png_read.h"
#include "screenshot_file.h"
#include "start_options.h"

namespace {

struct Parsed {
  bool ok;
  StartOptions options;
  std::string error;
};

Parsed Parse(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "vorn");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  Parsed parsed{false, {}, {}};
  parsed.ok = StartOptionsParse(&parsed.options, int(argv.size() - 1), argv.data(), &parsed.error);
  return parsed;
}

TEST(StartOptions, TakesWindowShotsHelpAndVersion) {
  ScratchFolder scratch;
  Parsed none = Parse({});
  EXPECT_TRUE(none.ok);
  EXPECT_EQ(none.options.action, StartOptions::Action::Run);
  EXPECT_FALSE(none.options.window);
  EXPECT_FALSE(none.options.integerScaling);
  EXPECT_TRUE(none.options.shotsFolder.empty());

  Parsed both = Parse({"--shots", scratch.path, "--window", "--integer-scaling"});
  EXPECT_TRUE(both.ok) << both.error;
  EXPECT_TRUE(both.options.window);
  EXPECT_TRUE(both.options.integerScaling);
  EXPECT_EQ(both.options.shotsFolder, scratch.path);
  EXPECT_EQ(Parse({"--shots=" + scratch.path}).options.shotsFolder, scratch.path);
  EXPECT_EQ(Parse({"--record", scratch / "run"}).options.recordPath, scratch / "run");
  EXPECT_EQ(Parse({"--replay=any"}).options.replayPath, "any");
  EXPECT_TRUE(Parse({"--replay", "any", "--record", scratch / "taken"}).ok);

  // Help and version need nothing else to be right after them.
  EXPECT_EQ(Parse({"--window", "--help", "--bogus"}).options.action, StartOptions::Action::Help);
  EXPECT_EQ(Parse({"-h"}).options.action, StartOptions::Action::Help);
  EXPECT_EQ(Parse({"--version"}).options.action, StartOptions::Action::Version);
}

TEST(StartOptions, RefusesWhatItDoesNotTakeInOneLine) {
  ScratchFolder scratch;
  std::ofstream(scratch / "run") << "";
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--fullscreen"}, "unknown option '--fullscreen'"},
      {{"-w"}, "unknown option '-w'"},
      {{"frames"}, "unexpected argument 'frames'"},
      {{"--window", "--window"}, "--window is given twice"},
      {{"--integer-scaling", "--integer-scaling"}, "--integer-scaling is given twice"},
      {{"--shots"}, "--shots needs a folder"},
      {{"--shots="}, "--shots: an empty folder name"},
      {{"--shots", scratch / "missing"}, "--shots '" + scratch / "missing" + "': no such folder"},
      {{"--shots", "/dev/null"}, "--shots '/dev/null': no such folder"},
      {{"--shots", scratch.path, "--shots", scratch.path}, "--shots is given twice"},
      {{"--record", scratch / "missing/run"},
       "--record '" + scratch / "missing/run" + "': no such folder"},
      {{"--record", scratch.path}, "--record '" + scratch.path + "': a folder, not a file"},
      {{"--replay"}, "--replay needs a run file"},
      {{"--record", scratch / "run", "--replay", scratch.path + "/./run"},
       "--record and --replay name the same file: the run played would be lost"},
  };
  for (const auto& [arguments, message] : cases) {
    Parsed parsed = Parse(arguments);
    EXPECT_FALSE(parsed.ok) << arguments[0];
    EXPECT_EQ(parsed.error, message);
    EXPECT_EQ(parsed.error.find('\n'), std::string::npos);
  }
}

TEST(StartOptions, HelpNamesEveryOptionAndKey) {
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&text, &size);
  ASSERT_NE(out, nullptr);
  StartOptionsPrintHelp(out);
  StartOptionsPrintVersion(out);
  std::fclose(out);
  const std::string help(text, size);
  std::free(text);
  for (const char* word : {"--window", "--integer-scaling", "--shots DIR", "--help", "--version", "Alt+Enter", "F12",
                           ".png", "Escape", "Left", "Down", "D-pad", "left stick", "Start",
                           "East", "vorn-capture", "share/vorn", "--record FILE",
                           "--replay FILE", "Pause", "Back", ". and ,", "> and <", "J and L",
                           "Home, End", "0 to 9", "take over"})
    EXPECT_NE(help.find(word), std::string::npos) << word;
  EXPECT_NE(help.find(std::string("\nvorn ") + VORN_VERSION + "\n"), std::string::npos);
}

void ExpectRect(const PictureRect& rect, int x, int y, int width, int height) {
  EXPECT_EQ(rect.x, x);
  EXPECT_EQ(rect.y, y);
  EXPECT_EQ(rect.width, width);
  EXPECT_EQ(rect.height, height);
}

// Every screen and window size the picture meets: the box it fills by
// default, the multiple it is enlarged by on the way there (bounded by the
// largest texture and the pixel budget), and the whole multiples of integer
// scaling, each centred.
TEST(PictureFit, BoxMultipleAndWholeMultiplesForEveryScreen) {
  struct Row {
    int width, height, largestSide;
    long long budget;
    PictureRect box;
    int multiple;
    PictureRect whole;
  };
  constexpr long long k16M = kPictureScalePixelBudget;
  const Row rows[] = {
      {1366, 768, 16384, k16M, {171, 0, 1024, 768}, 2, {363, 144, 640, 480}},
      {1280, 800, 16384, k16M, {107, 0, 1066, 800}, 2, {320, 160, 640, 480}},
      {1920, 1080, 16384, k16M, {240, 0, 1440, 1080}, 3, {320, 60, 1280, 960}},
      {2560, 1440, 16384, k16M, {320, 0, 1920, 1440}, 3, {320, 0, 1920, 1440}},
      {3840, 2160, 16384, k16M, {480, 0, 2880, 2160}, 5, {640, 120, 2560, 1920}},
      {640, 480, 0, k16M, {0, 0, 640, 480}, 1, {0, 0, 640, 480}},
      // An odd window, and one smaller than the picture.
      {1001, 757, 16384, k16M, {0, 3, 1001, 750}, 2, {180, 138, 640, 480}},
      {500, 400, 16384, k16M, {0, 12, 500, 375}, 1, {0, 12, 500, 375}},
      // High DPI: a 1440 x 900 window's drawable at twice its size.
      {2880, 1800, 16384, k16M, {240, 0, 2400, 1800}, 4, {480, 180, 1920, 1440}},
      // 8K: 9 times would exceed the budget, 7 is the largest under it;
      // a renderer whose textures end at 4096 allows 6.
      {7680, 4320, 16384, k16M, {960, 0, 5760, 4320}, 7, {960, 0, 5760, 4320}},
      {7680, 4320, 4096, k16M, {960, 0, 5760, 4320}, 6, {960, 0, 5760, 4320}},
      {0, 480, 16384, k16M, {0, 0, 0, 0}, 1, {0, 0, 0, 0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.width) + "x" + std::to_string(row.height));
    const PictureRect box = PictureFitBox(row.width, row.height, 640, 480);
    ExpectRect(box, row.box.x, row.box.y, row.box.width, row.box.height);
    EXPECT_EQ(PictureFitMultiple(box, 640, 480, row.largestSide, row.budget), row.multiple);
    const PictureRect whole = PictureFit(row.width, row.height, 640, 480);
    ExpectRect(whole, row.whole.x, row.whole.y, row.whole.width, row.whole.height);
  }
  ExpectRect(PictureFit(640, 480, 0, 480), 0, 0, 0, 0);
}

TEST(PictureFit, FirstWindowIsTheLargestMultipleWithRoomToSpare) {
  EXPECT_EQ(PictureWindowScale(1024, 768, 640, 480), 1);
  EXPECT_EQ(PictureWindowScale(1400, 1100, 640, 480), 2);
  EXPECT_EQ(PictureWindowScale(1920, 1040, 640, 480), 2);
  EXPECT_EQ(PictureWindowScale(3840, 2160, 640, 480), 4);
  EXPECT_EQ(PictureWindowScale(1280, 960, 640, 480), 1);  // 2 would fill it exactly
  EXPECT_EQ(PictureWindowScale(600, 400, 640, 480), 1);   // at least once
}

// A frame of the demo's size, every row different, and a palette whose
// entries are all different.
struct Frame {
  std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(640 * 480);
  FrameColour colours[256];
  Frame() {
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = std::uint8_t(i / 640 + i % 7);
    for (int i = 0; i < 256; ++i)
      colours[i] = {std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 3)};
  }
  ScreenshotOutcome SaveIn(const std::string& folder, std::time_t when) const {
    return ScreenshotSave(folder.c_str(), when, pixels.data(), 640, 480, colours);
  }
};

class Screenshots : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* zone = std::getenv("TZ");
    if (zone != nullptr) savedZone = zone;
    hadZone = zone != nullptr;
    setenv("TZ", "UTC", 1);
    tzset();
  }
  void TearDown() override {
    if (hadZone) setenv("TZ", savedZone.c_str(), 1);
    else unsetenv("TZ");
    tzset();
  }
  ScratchFolder scratch;
  Frame frame;
  bool hadZone = false;
  std::string savedZone;
  const std::time_t when = 1700000000;  // 2023-11-14 22:13:20 UTC
};

TEST_F(Screenshots, NamedByTheLocalTimeAndNumbered) {
  char name[64];
  ScreenshotName(0, 1, name, sizeof name);
  EXPECT_STREQ(name, "vorn-19700101-000000-1.png");
  ScreenshotName(when, 12, name, sizeof name);
  EXPECT_STREQ(name, "vorn-20231114-221320-12.png");
}

TEST_F(Screenshots, HoldPixelsAndPaletteAndNeverOverwrite) {
  const std::string first = scratch / "vorn-20231114-221320-1.png";
  const std::string second = scratch / "vorn-20231114-221320-2.png";
  ScreenshotOutcome outcome = frame.SaveIn(scratch.path, when);
  ASSERT_TRUE(outcome.saved) << outcome.reason;
  EXPECT_EQ(std::string(outcome.path), first);
  const StoredPng read = ReadStoredPng(first);
  EXPECT_EQ(read.colourType, PNG_COLOR_TYPE_PALETTE);
  EXPECT_TRUE(read.pixels == frame.pixels);
  const auto* colours = reinterpret_cast<const std::uint8_t*>(frame.colours);
  EXPECT_TRUE(read.palette == Bytes(colours, colours + 256 * 3));

  // The same second again, with the first file changed by the user: a new
  // number, the first file left as it is.
  std::FILE* mine = std::fopen(first.c_str(), "wb");
  ASSERT_NE(mine, nullptr);
  std::fputs("mine", mine);
  std::fclose(mine);
  outcome = frame.SaveIn(scratch.path, when);
  ASSERT_TRUE(outcome.saved) << outcome.reason;
  EXPECT_EQ(std::string(outcome.path), second);
  EXPECT_EQ(ReadWholeFile(first), Bytes({'m', 'i', 'n', 'e'}));
  EXPECT_TRUE(ReadStoredPng(second).pixels == frame.pixels);
}

TEST_F(Screenshots, FailuresSayWhyAndLeaveNothingBehind) {
  ScreenshotOutcome outcome = frame.SaveIn(scratch / "missing", when);
  EXPECT_FALSE(outcome.saved);
  EXPECT_EQ(std::string(outcome.reason),
            "cannot create " + scratch / "missing" + "/vorn-20231114-221320-1.png (" +
                std::strerror(ENOENT) + ")");

  outcome = ScreenshotSave(scratch.path.c_str(), when, nullptr, 640, 480, frame.colours);
  EXPECT_FALSE(outcome.saved);
  EXPECT_STREQ(outcome.reason, "no frame has been shown yet");

  // A disk that fills up part way: the file is removed again.
  rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 1024;  // the header and palette fit, the rows do not
  auto previous = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  outcome = frame.SaveIn(scratch.path, when);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previous);
  EXPECT_FALSE(outcome.saved);
  EXPECT_EQ(std::string(outcome.reason), "cannot write " + scratch / "vorn-20231114-221320-1.png" +
                                             " (" + std::strerror(EFBIG) + ")");
  EXPECT_TRUE(std::filesystem::is_empty(scratch.path));
}

}  // namespace
