// The headless host: fault arming, the watchdog and pass limit, fresh state
// for every run, the malloc hook, and whole runs of the real program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "kit_fixtures.h"
#include "portable/process_control.h"

namespace {

// A run of the real program that holds Escape for two passes from pass 4.
HeadlessConfig QuitEarly() {
  HeadlessConfig config = DemoConfig();
  config.onPass = [](int pass) {
    if (pass == 4) HeadlessHoldKey(VK_ESCAPE, true);
    if (pass == 6) HeadlessHoldKey(VK_ESCAPE, false);
  };
  return config;
}

TEST(Headless, FaultsFireOnceAlwaysOrAfterSkippingAndOnlyForTheirVariant) {
  HeadlessConfig config;
  config.faults = {{"GetStockObject", "", FaultMode::Once, 2},
                   {"PostQuitMessage", "", FaultMode::Always, 0},
                   {"CreateSurface", "PRIMARY", FaultMode::Always, 0}};
  HeadlessBegin(config);
  EXPECT_NE(GetStockObject(BLACK_BRUSH), nullptr);
  EXPECT_NE(GetStockObject(BLACK_BRUSH), nullptr);
  EXPECT_EQ(GetStockObject(BLACK_BRUSH), nullptr);
  EXPECT_NE(GetStockObject(BLACK_BRUSH), nullptr);
  PostQuitMessage(0);
  PostQuitMessage(0);
  MSG message = {};
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  IDirectDraw* dd = nullptr;
  ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
  ASSERT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
  DDSURFACEDESC desc = FlipChainDesc();
  IDirectDrawSurface* surface = nullptr;
  EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DDERR_GENERIC);
  EXPECT_NE(CreateOffscreen(dd, 8, 8), nullptr);
  HeadlessResult result = HeadlessEnd();
  EXPECT_EQ(result.liveObjectsAfter, 2);
  EXPECT_TRUE(result.calls.empty());  // logging was not asked for
  EXPECT_EQ(PlatformCountsNow().liveObjects, 0);
}

TEST(Headless, MallocFaultsReachTheProgramButAreNeverLogged) {
  HeadlessConfig config;
  config.logCalls = true;
  config.faults = {{"malloc", "", FaultMode::Once, 1}};
  config.entry = [] {
    // Through a pointer the compiler cannot see through, so no call is elided.
    void* (*volatile allocate)(std::size_t) = std::malloc;
    int failed = 0;
    for (int i = 0; i < 3; ++i) {
      void* block = allocate(64);
      failed += block == nullptr;
      std::free(block);
    }
    return failed;
  };
  HeadlessResult result = HeadlessRun(config);
#if defined(__linux__)
  EXPECT_EQ(result.exitCode, 1);
#endif
  EXPECT_TRUE(result.calls.empty());
}

TEST(Headless, AProgramThatStopsPeekingIsReportedHungAndEveryRunStartsFresh) {
  HeadlessConfig config;
  config.watchdogCallsPerPass = 1000;
  config.entry = [] {
    IDirectDraw* dd = nullptr;
    DirectDrawCreate(nullptr, &dd, nullptr);
    PostMessageA(nullptr, WM_USER, 0, 0);
    HeadlessHoldKey(VK_LEFT, true);
    for (;;) GetAsyncKeyState(VK_LEFT);
    return 0;
  };
  HeadlessResult result = HeadlessRun(config);
  EXPECT_TRUE(result.hung);
  EXPECT_EQ(result.liveObjectsAfter, 1);

  config.maxPasses = 50;
  config.entry = [] {
    PlatformCounts counts = PlatformCountsNow();
    int exitCode = 100 + counts.liveObjects + counts.pendingMessages + (GetAsyncKeyState(VK_LEFT) != 0);
    MSG message;
    for (;;) PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
    return exitCode;
  };
  result = HeadlessRun(config);
  EXPECT_TRUE(result.hung);
  EXPECT_EQ(result.passes, 51);
  EXPECT_EQ(result.exitCode, -1);

  config.entry = [] {
    PlatformCounts counts = PlatformCountsNow();
    return 100 + counts.liveObjects + counts.pendingMessages + (GetAsyncKeyState(VK_LEFT) != 0);
  };
  result = HeadlessRun(config);
  EXPECT_FALSE(result.hung);
  EXPECT_EQ(result.exitCode, 100);
}

TEST(Headless, TheProgramRunsQuitsOnEscapeAndLeavesNothingBehind) {
  int presented = 0;
  HeadlessConfig config = QuitEarly();
  config.logCalls = true;
  config.onPresent = [&presented](const HeadlessFrame& frame) {
    ++presented;
    EXPECT_EQ(frame.width * frame.height, static_cast<int>(frame.pixels.size()));
  };
  HeadlessResult result = RunClean(config);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(result.windowOpened);
  EXPECT_GT(result.presents, 3);
  EXPECT_EQ(presented, result.presents);
  EXPECT_EQ(static_cast<int>(result.frames.size()), result.presents);
  EXPECT_EQ(result.sleptMs, 30 * result.presents);
  EXPECT_FALSE(result.calls.empty());
  const HeadlessFrame& last = result.frames.back();
  EXPECT_EQ(last.width, 640);
  EXPECT_EQ(last.height, 480);
  EXPECT_EQ(last.palette[0].peRed | last.palette[0].peGreen | last.palette[0].peBlue, 0);
}

TEST(Headless, FailingAllocationsReachTheSystemsOwnCode) {
  HeadlessConfig config = QuitEarly();
  config.faults = {{"malloc", "", FaultMode::Always, 0}};
  HeadlessResult result = RunClean(config);
#if defined(__linux__)
  EXPECT_NE(result.exitCode, 0);  // the rock picture could not be read
  EXPECT_EQ(result.presents, 0);
  bool reported = false;
  for (const std::string& text : result.debugTexts)
    reported = reported || text.find("ROCK8.BMP") != std::string::npos;
  EXPECT_TRUE(reported);
#endif
}

TEST(Headless, FramesAreTheSameWhateverThePitchAndWhetherKept) {
  HeadlessResult plain = HeadlessRun(QuitEarly());
  HeadlessConfig padded = QuitEarly();
  padded.pitchPadding = 37;
  HeadlessResult wide = HeadlessRun(padded);
  ASSERT_EQ(plain.frames.size(), wide.frames.size());
  ASSERT_FALSE(plain.frames.empty());
  for (std::size_t i = 0; i < plain.frames.size(); ++i)
    ASSERT_EQ(plain.frames[i].pixels, wide.frames[i].pixels) << "frame " << i;

  HeadlessConfig unkept = QuitEarly();
  unkept.keepFrames = false;
  std::vector<std::uint8_t> last;
  unkept.onPresent = [&last](const HeadlessFrame& frame) { last = frame.pixels; };
  HeadlessResult result = HeadlessRun(unkept);
  EXPECT_TRUE(result.frames.empty());
  EXPECT_EQ(result.presents, plain.presents);
  EXPECT_EQ(last, plain.frames.back().pixels);
}

}  // namespace
