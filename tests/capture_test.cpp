// The capture tool as a user runs it: which frames it writes, in what
// form, how the run ends, and how it refuses what it cannot do.
#include <gtest/gtest.h>

#include <gif_lib.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "bmp_writer.h"
#include "capture_tool.h"
#include "run_recorder.h"
#include "kit_fixtures.h"

namespace {

// Frames of the program run in this process, with keys held per pass.
std::vector<HeadlessFrame> RunInProcess(int seed, std::function<void(int pass)> keys) {
  HeadlessConfig config = DemoConfig(seed);
  config.onPass = [keys](int pass) {
    HeadlessReleaseAllKeys();
    keys(pass);
  };
  return RunClean(config).frames;
}

void ExpectFramesOnDisk(const std::string& folder, const std::vector<HeadlessFrame>& expected) {
  ASSERT_EQ(CountFrameFiles(folder), int(expected.size()));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    HeadlessFrame written;
    std::string why;
    ASSERT_TRUE(ReadFrameFile(folder + "/" + FrameFileName(int(i) + 1), &written, &why))
        << "frame " << i + 1 << ": " << why;
    EXPECT_TRUE(SameColours(written.palette, expected[i].palette)) << "frame " << i + 1;
    EXPECT_TRUE(written.pixels == expected[i].pixels) << "frame " << i + 1;
  }
}

// Key frames are the frame steps counted from 1: the tool's frames equal a
// run that holds the same keys in the same passes and Escape in the
// second-last one.
TEST(Capture, FramesAreThoseOfTheProgramWithTheScriptedKeys) {
  ScratchFolder scratch;
  ToolRun run = RunCaptureTool({"--seed", "7", "--frames", "12", "--keys",
                                "left@2-4,down@3-6,up@5,right@8-9", "--out", scratch / "out"},
                               scratch);
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  std::vector<HeadlessFrame> expected = RunInProcess(7, [](int pass) {
    HeadlessHoldKey(VK_LEFT, pass >= 2 && pass <= 4);
    HeadlessHoldKey(VK_DOWN, pass >= 3 && pass <= 6);
    HeadlessHoldKey(VK_UP, pass == 5);
    HeadlessHoldKey(VK_RIGHT, pass == 8 || pass == 9);
    HeadlessHoldKey(VK_ESCAPE, pass == 11);
  });
  ASSERT_EQ(expected.size(), 12u);
  ExpectFramesOnDisk(scratch / "out", expected);
}

// One and two frames are the hardest counts: there is no frame before the
// last to hold Escape in. The first frame does not depend on how the run
// ends.
TEST(Capture, WritesExactlyTheAskedNumberOfFrames) {
  ScratchFolder scratch;
  std::vector<HeadlessFrame> expected = RunInProcess(3, [](int pass) {
    HeadlessHoldKey(VK_ESCAPE, pass == 2);
  });
  ASSERT_EQ(expected.size(), 3u);
  for (int frames : {1, 2, 3}) {
    std::string out = scratch / ("out" + std::to_string(frames));
    ToolRun run = RunCaptureTool({"--seed", "3", "--frames", std::to_string(frames), "--out", out},
                                 scratch);
    ASSERT_EQ(run.exitCode, 0) << frames << ": " << run.errors;
    ExpectFramesOnDisk(out,
                       std::vector<HeadlessFrame>(expected.begin(), expected.begin() + frames));
  }
}

// Escape or Space in the script quits the program as it would for a user,
// one frame after the last frame they are held in; held into the last
// frame they are cut, so never more frames than asked are written.
TEST(Capture, QuitKeysInTheScriptEndTheRunEarlyButNeverLate) {
  ScratchFolder scratch;
  struct Case {
    const char* keys;
    int frames;
    int written;
  } cases[] = {{"escape@3-4", 20, 5}, {"space@6", 20, 7}, {"escape@2-50", 4, 4},
               {"space@1-9,escape@9-12", 10, 10}};
  for (const Case& c : cases) {
    std::string out = scratch / (std::string("out-") + c.keys);
    ToolRun run = RunCaptureTool(
        {"--frames", std::to_string(c.frames), "--keys", c.keys, "--out", out}, scratch);
    EXPECT_EQ(run.exitCode, 0) << c.keys << ": " << run.errors;
    EXPECT_EQ(CountFrameFiles(out), c.written) << c.keys;
    bool noted = run.errors.find("quit after " + std::to_string(c.written)) != std::string::npos;
    EXPECT_EQ(noted, c.written < c.frames) << c.keys << ": " << run.errors;
  }
}

// A run file is played as recorded: its seed, its keys frame by frame and
// its close in the same pass; a run naming an unknown generator is refused,
// one made with another picture plays with a note, and no frame limit
// applies.
TEST(Capture, RunFilesPlayAsRecordedOrAreRefusedWithTheReason) {
  ScratchFolder scratch;
  char picture[SHA256_HEX_CHARS + 1];
  std::uint8_t digest[SHA256_BYTES];
  ASSERT_TRUE(Sha256File(BesideTheProgram("ROCK8.BMP").c_str(), digest));
  Sha256Hex(digest, picture);
  const std::string here = RunGeneratorName();
  auto run = [&](const std::string& generator, const std::string& digestHex,
                 const std::string& rest, std::vector<std::string> more = {}) {
    const std::string text = "vorn-run 1\ngenerator " + generator + "\npicture " + digestHex +
                             "\nseed 11\n" + rest;
    EXPECT_TRUE(BmpWriteFile((scratch / "run").c_str(), Bytes(text.begin(), text.end())));
    more.insert(more.begin(), {"--run", scratch / "run"});
    return RunCaptureTool(more, scratch);
  };
  ToolRun played = run(here, picture, "frames 6\nclose 6\nkeys left@2-3,down@4\n",
                       {"--out", scratch / "out"});
  ASSERT_EQ(played.exitCode, 0) << played.errors;
  EXPECT_EQ(played.errors, "");
  ExpectFramesOnDisk(scratch / "out", RunInProcess(11, [](int pass) {
                       HeadlessHoldKey(VK_LEFT, pass == 2 || pass == 3);
                       HeadlessHoldKey(VK_DOWN, pass == 4);
                       if (pass == 6) HeadlessRequestClose();
                     }));
  played = run("bsd", picture, "frames 6\n");
  EXPECT_EQ(played.exitCode, 2);
  EXPECT_NE(played.errors.find("'bsd', which is not known (known: glibc, musl"), std::string::npos);
  played = run(here, std::string(64, '0'), "frames 12000\n");
  EXPECT_EQ(played.exitCode, 0) << played.errors;
  EXPECT_NE(played.errors.find("made with another ROCK8.BMP"), std::string::npos);
  played = run(here, picture, "frames 6\n", {"--frames", "3"});
  EXPECT_EQ(played.exitCode, 2);
  EXPECT_NE(played.errors.find("--run holds its own generator"), std::string::npos);
}

TEST(Capture, BadOptionsGetOneLineAndExitCodeTwoAndWriteNothing) {
  ScratchFolder scratch;
  const std::vector<std::vector<std::string>> bad = {
      {"--frame", "3"},        {"--frames"},           {"--frames", "0"},
      {"--frames", "10000"},   {"--frames", "3x"},     {"--frames", "-2"},
      {"--frames", " 3"},      {"--seed", "-1"},       {"--seed", "4294967296"},
      {"--seed", "99999999999999999999"},              {"--keys", "lft@3"},
      {"--keys", "left"},      {"--keys", "left@"},    {"--keys", "left@0"},
      {"--keys", "left@5-3"},  {"--keys", "left@1,,up@2"}, {"--keys", "left@1,"},
      {"--keys", "Left@1"},    {"--keys", "left@1-"},  {"--keys", "left@2-4x"},
      {"--gif", ""},           {"--seed", "1", "--seed", "2"},
      {"--video", scratch / "clip.avi"},               {"--video", scratch / "clip.mp4.part"},
      {"--image", scratch / "missing.bmp"},            {"stray"},
      {"--generator", "bsd"},  {"--generator", "Musl"}};
  for (const std::vector<std::string>& options : bad) {
    std::vector<std::string> arguments = {"--out", scratch / "out"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    ToolRun run = RunCaptureTool(arguments, scratch);
    std::string shown = options[0] + " " + (options.size() > 1 ? options[1] : "");
    EXPECT_EQ(run.exitCode, 2) << shown;
    EXPECT_EQ(run.errors.rfind("vorn-capture: ", 0), 0u) << shown << ": " << run.errors;
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1)
        << shown << ": " << run.errors;
    EXPECT_NE(run.errors.find("usage: vorn-capture"), std::string::npos) << shown;
    EXPECT_FALSE(std::filesystem::exists(scratch / "out")) << shown;
  }
}

// --image is read in place of ROCK8.BMP: a picture whose star colour
// differs shows in the frames; a file that is no picture makes the
// program's start-up fail, and its exit code and reason come through.
TEST(Capture, ImageReplacesThePictureAndAFailedStartUpExitsOne) {
  ScratchFolder scratch;
  Bytes picture = ReadWholeFile(BesideTheProgram("ROCK8.BMP"));
  ASSERT_GT(picture.size(), 54u + 1024u);
  const std::size_t entry245 = 54 + 4 * 245;
  picture[entry245] = 0x12;  // blue
  picture[entry245 + 1] = 0x34;
  picture[entry245 + 2] = 0x56;  // red
  ASSERT_TRUE(BmpWriteFile((scratch / "other.bmp").c_str(), picture));
  ToolRun run = RunCaptureTool(
      {"--frames", "2", "--image", scratch / "other.bmp", "--out", scratch / "other"}, scratch);
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  HeadlessFrame frame;
  std::string why;
  ASSERT_TRUE(ReadFrameFile(scratch / "other/frame-0002.bmp", &frame, &why)) << why;
  EXPECT_EQ(frame.palette[245].peRed, 0x56);
  EXPECT_EQ(frame.palette[245].peGreen, 0x34);
  EXPECT_EQ(frame.palette[245].peBlue, 0x12);

  // The GIF the run would have replaced stays as it was.
  const std::string text = "not a picture\n";
  ASSERT_TRUE(BmpWriteFile((scratch / "text.bmp").c_str(), Bytes(text.begin(), text.end())));
  ASSERT_TRUE(BmpWriteFile((scratch / "failed.gif").c_str(), Bytes(text.begin(), text.end())));
  run = RunCaptureTool({"--image", scratch / "text.bmp", "--out", scratch / "failed", "--gif",
                        scratch / "failed.gif"},
                       scratch);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.errors.find("vorn: ROCK8.BMP: not a BMP file"), std::string::npos) << run.errors;
  EXPECT_EQ(CountFrameFiles(scratch / "failed"), 0);
  EXPECT_EQ(ReadWholeFile(scratch / "failed.gif"), Bytes(text.begin(), text.end()));
}

// A GIF that cannot be put in place at the end (a folder stands there)
// leaves no partial file beside it.
TEST(Capture, OutputsThatCannotBeWrittenExitThree) {
  ScratchFolder scratch;
  ASSERT_TRUE(BmpWriteFile((scratch / "file").c_str(), {'x'}));
  ToolRun run = RunCaptureTool({"--frames", "2", "--out", scratch / "file/frames"}, scratch);
  EXPECT_EQ(run.exitCode, 3) << run.errors;
  run = RunCaptureTool({"--frames", "2", "--gif", scratch / "no-such-folder/a.gif"}, scratch);
  EXPECT_EQ(run.exitCode, 3) << run.errors;
  std::filesystem::create_directory(scratch / "taken.gif");
  run = RunCaptureTool({"--frames", "2", "--gif", scratch / "taken.gif"}, scratch);
  EXPECT_EQ(run.exitCode, 3) << run.errors;
  for (const auto& entry : std::filesystem::directory_iterator(scratch.path))
    EXPECT_EQ(entry.path().string().find(".partial-"), std::string::npos) << entry.path();
}

// On a terminal the progress line is redrawn in place and the summary
// replaces it; into a file (all the other tests) nothing of it is written.
TEST(Capture, OnATerminalProgressIsShownAndTheSummaryReplacesIt) {
  ScratchFolder scratch;
  ToolRun run = RunCaptureTool({"--frames", "60", "--gif", scratch / "a.gif"}, scratch, true);
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const std::string& shown = run.errors;
  EXPECT_EQ(shown.find("\r\033[Kframe 1 of 60"), 0u) << shown;
  EXPECT_NE(shown.find("\r\033[Kframe 60 of 60, "), std::string::npos) << shown;
  const std::size_t summary = shown.find("\r\033[Kvorn-capture: 60 frames in ");
  ASSERT_NE(summary, std::string::npos) << shown;
  EXPECT_EQ(shown.find('\n'), shown.size() - 1) << "one line, at the end: " << shown;
  EXPECT_NE(shown.find(scratch / "a.gif (", summary), std::string::npos) << shown;
}

// The animation holds every frame exactly (indices and colours), loops, and
// shows frames at 30 a second in whole hundredths.
TEST(Capture, GifHoldsEveryFrameExactlyAtTheDemosPace) {
  ScratchFolder scratch;
  ToolRun run = RunCaptureTool({"--seed", "5", "--frames", "4", "--keys", "down@2-3", "--out",
                                scratch / "out", "--gif", scratch / "movie.gif"},
                               scratch);
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  int error = 0;
  GifFileType* gif = DGifOpenFileName((scratch / "movie.gif").c_str(), &error);
  ASSERT_NE(gif, nullptr);
  ASSERT_EQ(DGifSlurp(gif), GIF_OK);
  ASSERT_EQ(gif->ImageCount, 4);
  EXPECT_EQ(gif->SWidth, 640);
  EXPECT_EQ(gif->SHeight, 480);
  const int delays[] = {3, 3, 4, 3};
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    HeadlessFrame frame;
    std::string why;
    ASSERT_TRUE(ReadFrameFile(scratch / ("out/" + FrameFileName(i + 1)), &frame, &why)) << why;
    ASSERT_EQ(image.ImageDesc.Width * image.ImageDesc.Height, 640 * 480);
    EXPECT_TRUE(std::equal(frame.pixels.begin(), frame.pixels.end(), image.RasterBits)) << i;
    const ColorMapObject* colours =
        image.ImageDesc.ColorMap != nullptr ? image.ImageDesc.ColorMap : gif->SColorMap;
    ASSERT_NE(colours, nullptr);
    ASSERT_EQ(colours->ColorCount, 256);
    for (int c = 0; c < 256; ++c) {
      EXPECT_EQ(colours->Colors[c].Red, frame.palette[c].peRed);
      EXPECT_EQ(colours->Colors[c].Green, frame.palette[c].peGreen);
      EXPECT_EQ(colours->Colors[c].Blue, frame.palette[c].peBlue);
    }
    GraphicsControlBlock control;
    ASSERT_EQ(DGifSavedExtensionToGCB(gif, i, &control), GIF_OK);
    EXPECT_EQ(control.DelayTime, delays[i]) << i;
    EXPECT_EQ(control.TransparentColor, NO_TRANSPARENT_COLOR);
  }
  bool loops = false;
  for (int i = 0; i < gif->SavedImages[0].ExtensionBlockCount; ++i) {
    const ExtensionBlock& block = gif->SavedImages[0].ExtensionBlocks[i];
    loops |= block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
             std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0;
  }
  EXPECT_TRUE(loops);
  DGifCloseFile(gif, &error);
}

}  // namespace
