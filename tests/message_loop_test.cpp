// The message loop and quit path of the whole program, on the headless host.
#include <gtest/gtest.h>

#include <functional>

#include "kit_fixtures.h"
#include "main_window.h"

namespace {

TEST(MessageLoop, QuitKeyHeldKeepsPresentingAndEndsThePassAfterRelease) {
  for (int quitKey : {VK_ESCAPE, VK_SPACE}) {
    HeadlessConfig config = DemoConfig();
    std::vector<int> presentsAtPass;
    int presents = 0;
    config.onPresent = [&](const HeadlessFrame&) { ++presents; };
    config.onPass = [&](int pass) {
      presentsAtPass.push_back(presents);
      HeadlessHoldKey(quitKey, pass >= 3 && pass <= 12);
    };
    SCOPED_TRACE(quitKey);
    HeadlessResult result = RunClean(config);
    EXPECT_EQ(result.exitCode, 0);
    // Frames 3..12 post WM_DESTROY; frame 13 no longer sees the key; pass 14
    // fetches WM_QUIT and runs no frame.
    EXPECT_EQ(result.passes, 14);
    EXPECT_EQ(result.presents, 13);
    for (int pass = 1; pass <= result.passes; ++pass) {
      EXPECT_EQ(presentsAtPass[pass - 1], pass - 1) << "pass " << pass;
    }
  }
}

TEST(MessageLoop, BurstOfPostedMessagesIsDrainedOnePerFrame) {
  HeadlessConfig config = DemoConfig();
  config.logCalls = true;
  config.onPass = [&](int pass) {
    if (pass == 1) {
      for (UINT i = 0; i < 5; ++i) ASSERT_TRUE(HeadlessPostToMainWindow(WM_USER + i, 0, 0));
    }
    HeadlessHoldKey(VK_ESCAPE, pass == 1);
  };
  HeadlessResult result = RunClean(config);

  // Frame 1 queues WM_DESTROY behind the five messages: passes 1-5 take one
  // message each, pass 6 the WM_DESTROY, pass 7 the WM_QUIT.
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.passes, 7);
  EXPECT_EQ(result.presents, 6);

  // Every message handed to the window procedure is followed by a whole
  // frame before the next one.
  int dispatched = 0;
  int flipsSinceDispatch = 1;
  for (const TraceCall& call : result.calls) {
    if (call.name == std::string("DispatchMessageA")) {
      EXPECT_EQ(flipsSinceDispatch, 1) << "before dispatch " << dispatched + 1;
      ++dispatched;
      flipsSinceDispatch = 0;
    } else if (call.name == std::string("Flip")) {
      ++flipsSinceDispatch;
    }
  }
  EXPECT_EQ(dispatched, 6);
}

TEST(MessageLoop, PaintMessagePaintsNothing) {
  auto run = [](bool paint) {
    HeadlessConfig config = DemoConfig(7);
    config.logCalls = true;
    config.onPass = [paint](int pass) {
      if (paint && (pass == 2 || pass == 4)) HeadlessPostToMainWindow(WM_PAINT, 0, 0);
      HeadlessHoldKey(VK_ESCAPE, pass == 5);
    };
    return RunClean(config);
  };
  HeadlessResult plain = run(false);
  HeadlessResult painted = run(true);

  ASSERT_EQ(painted.frames.size(), plain.frames.size());
  for (std::size_t i = 0; i < plain.frames.size(); ++i) {
    EXPECT_EQ(painted.frames[i].pixels, plain.frames[i].pixels) << "frame " << i + 1;
  }
  EXPECT_EQ(CountCalls(painted, "BeginPaint"), 2);
  EXPECT_EQ(CountCalls(painted, "EndPaint"), 2);
  EXPECT_EQ(painted.passes, plain.passes);
}

// Closed by the window manager (the host's request, which the window layer
// turns into WM_CLOSE for the screen window) or by WM_CLOSE itself.
TEST(MessageLoop, ClosingTheWindowEndsTheProgramLikeAQuit) {
  const std::function<void()> closes[] = {
      HeadlessRequestClose, [] { HeadlessPostToMainWindow(WM_CLOSE, 0, 0); }};
  for (const std::function<void()>& close : closes) {
    HeadlessConfig config = DemoConfig();
    config.keepFrames = false;
    AtPass(config, 3, close);
    HeadlessResult result = RunClean(config);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.passes, 4);
  }
}

TEST(MessageLoop, WindowFailuresEndWithExitCodeOneAndNoScene) {
  for (const char* failing : {"RegisterClassA", "CreateWindowExA"}) {
    HeadlessConfig config = DemoConfig();
    config.logCalls = true;
    config.faults.push_back({failing});
    SCOPED_TRACE(failing);
    HeadlessResult result = RunClean(config);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.presents, 0);
    EXPECT_EQ(CountCalls(result, "DirectDrawCreate"), 0);
    EXPECT_EQ(result.debugTexts.size(), 1u);
  }
}

}  // namespace
