// The display as the program drives it: the start-up and shutdown calls
// with their arguments, a failure at each start-up step, flips that fail,
// a lost display, and direct access to the back buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "back_buffer.h"
#include "display.h"
#include "scenario.h"

namespace {

// The calls of a run without key reads, which would drown everything else.
std::vector<std::string> CallsWithoutKeys(const HeadlessResult& result) {
  std::vector<std::string> calls;
  for (const std::string& call : result.calls) {
    if (call.rfind("GetAsyncKeyState", 0) != 0) calls.push_back(call);
  }
  return calls;
}

std::string Sized(const char* name) {
  return std::string(name) + "=" + std::to_string(sizeof(DDSURFACEDESC));
}

std::vector<std::string> Matching(const std::vector<std::string>& calls, const char* prefix) {
  std::vector<std::string> found;
  for (const std::string& call : calls) {
    if (call.rfind(prefix, 0) == 0) found.push_back(call);
  }
  return found;
}

TEST(Display, StartupAndShutdownCallTheDisplayWithTheRightValues) {
  HeadlessConfig config = DemoConfig();
  config.logCalls = true;
  QuitAfter(config, 1);
  HeadlessResult result = HeadlessRun(config);
  ASSERT_EQ(result.exitCode, 0);
  std::vector<std::string> calls = CallsWithoutKeys(result);

  const std::string primary = "CreateSurface(dd1, " + Sized("dwSize") +
                              ", dwFlags=0x21, dwCaps=0x218, dwWidth=0, dwHeight=0, "
                              "dwBackBufferCount=1, outer=null)";
  const std::vector<std::string> opening = {
      "DirectDrawCreate(guid=null, outer=null)",
      "SetCooperativeLevel(dd1, hwnd1, 0x53)",
      "SetDisplayMode(dd1, 640, 480, 8)",
      primary,
      "GetAttachedSurface(surface1, dwCaps=0x4)",
      "CreatePalette(dd1, 0x44, entries=set, outer=null)",
      "SetPalette(surface1, palette1)",
  };
  auto first = std::find(calls.begin(), calls.end(), opening[0]);
  ASSERT_NE(first, calls.end());
  std::vector<std::string> displayCalls;
  for (auto it = first; it != calls.end(); ++it) {
    if (it->rfind("Host", 0) != 0) displayCalls.push_back(*it);
  }
  ASSERT_GE(displayCalls.size(), opening.size());
  for (std::size_t i = 0; i < opening.size(); ++i) EXPECT_EQ(displayCalls[i], opening[i]);

  EXPECT_EQ(Matching(calls, "SetEntries"), std::vector<std::string>{"SetEntries(palette1, 0x0, 0, 256)"});

  // 45 sprite surfaces, each keyed on index 0 and filled through one lock.
  std::vector<std::string> sprites = Matching(calls, "CreateSurface(dd1, dwSize");
  ASSERT_EQ(sprites.size(), 46u);
  for (std::size_t i = 1; i < sprites.size(); ++i) {
    EXPECT_EQ(sprites[i], "CreateSurface(dd1, " + Sized("dwSize") +
                              ", dwFlags=0x7, dwCaps=0x840, dwWidth=64, dwHeight=64, "
                              "dwBackBufferCount=0, outer=null)");
  }
  std::vector<std::string> keys = Matching(calls, "SetColorKey");
  ASSERT_EQ(keys.size(), 45u);
  EXPECT_EQ(keys[0], "SetColorKey(surface3, 0x8, 0..0)");

  // Both pages cleared before the first frame, with a whole fill record.
  const std::string fill = "flags=0x1000400, fx=(dwSize=" + std::to_string(sizeof(DDBLTFX)) +
                           ", dwFillColor=0x0))";
  auto firstPeek = std::find_if(calls.begin(), calls.end(),
                                [](const std::string& c) { return c.rfind("PeekMessageA", 0) == 0; });
  ASSERT_NE(firstPeek, calls.end());
  EXPECT_EQ(*(firstPeek - 2), "Blt(surface1, dest=null, src=null, srcRect=null, " + fill);
  EXPECT_EQ(*(firstPeek - 1), "Blt(surface2, dest=null, src=null, srcRect=null, " + fill);

  EXPECT_EQ(Matching(calls, "Flip").size(), 2u);
  EXPECT_EQ(Matching(calls, "Flip")[0], "Flip(surface1, null, 0x1)");
  EXPECT_EQ(Matching(calls, "Sleep").size(), 2u);
  EXPECT_EQ(Matching(calls, "Sleep")[0], "Sleep(30)");

  // Shutdown: the 45 sprites, then back buffer, primary, display object;
  // the palette goes with the display object.
  std::vector<std::string> releases = Matching(calls, "Release(");
  ASSERT_EQ(releases.size(), 48u);
  EXPECT_EQ(releases[0], "Release(surface3)");
  EXPECT_EQ(releases[44], "Release(surface47)");
  EXPECT_EQ(releases[45], "Release(surface2)");
  EXPECT_EQ(releases[46], "Release(surface1)");
  EXPECT_EQ(releases[47], "Release(dd1)");
  EXPECT_EQ(result.liveObjectsAfter, 0);
  EXPECT_EQ(result.misuses, 0);
}

TEST(Display, EachFrameReadsTheKeysWhereTheyAreUsed) {
  HeadlessConfig config = DemoConfig();
  config.logCalls = true;
  QuitAfter(config, 2);
  HeadlessResult result = HeadlessRun(config);
  // Quit keys, four per star moving and one per star drawing, four per rock
  // (Right only when Left is not held).
  const int perFrame = 2 + 4 * 600 + 600 + 4 * 45;
  EXPECT_EQ(CountCalls(result, "GetAsyncKeyState"), 3 * perFrame - 1);  // Space unread while Escape is held
  EXPECT_EQ(CountCalls(result, "Lock(surface2,"), 3);
  EXPECT_EQ(CountCalls(result, "Unlock(surface2,"), 3);
}

struct StepFailure {
  const char* fault;
  std::vector<std::string> releases;
};

TEST(Display, FailureAtEachStartupStepReleasesExactlyWhatExists) {
  const std::vector<StepFailure> steps = {
      {"DirectDrawCreate", {}},
      {"SetCooperativeLevel", {"Release(dd1)"}},
      {"SetDisplayMode", {"Release(dd1)"}},
      {"CreateSurface:PRIMARY", {"Release(dd1)"}},
      {"GetAttachedSurface", {"Release(surface1)", "Release(dd1)"}},
      {"CreatePalette", {"Release(surface2)", "Release(surface1)", "Release(dd1)"}},
      {"SetPalette", {"Release(surface2)", "Release(surface1)", "Release(dd1)"}},
  };
  for (const StepFailure& step : steps) {
    HeadlessConfig config = DemoConfig();
    config.logCalls = true;
    config.maxPasses = 20;
    config.faults.push_back({step.fault, FaultMode::Once, 0});
    HeadlessResult result = HeadlessRun(config);
    EXPECT_EQ(result.exitCode, 1) << step.fault;
    EXPECT_EQ(result.passes, 0) << step.fault;
    EXPECT_EQ(result.presents, 0) << step.fault;
    EXPECT_EQ(Matching(result.calls, "Release("), step.releases) << step.fault;
    EXPECT_EQ(CountCalls(result, "OpenFile"), 0) << step.fault;
    EXPECT_EQ(result.liveObjectsAfter, 0) << step.fault;
    EXPECT_EQ(result.misuses, 0) << step.fault;
    EXPECT_EQ(result.debugTexts.size(), 1u) << step.fault;
  }
}

TEST(Display, AFlipThatAlwaysFailsNeverHoldsTheProgram) {
  HeadlessConfig config = DemoConfig();
  config.logCalls = true;
  config.faults.push_back({"Flip", FaultMode::Always, 0});
  QuitAfter(config, 5);
  HeadlessResult result = HeadlessRun(config);
  EXPECT_FALSE(result.hung);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.passes, 7);
  EXPECT_EQ(result.presents, 0);
  int flips = CountCalls(result, "Flip");
  EXPECT_GE(flips, 6 * 2);
  EXPECT_LE(flips, 6 * 16);
}

TEST(Display, ALostDisplayComesBackWithoutGarbageOrMissingRocks) {
  auto run = [](bool loseDisplay) {
    HeadlessConfig config = DemoConfig(21);
    config.onPass = [loseDisplay](int pass) {
      if (loseDisplay && pass == 4) HeadlessLoseDisplay();
      if (loseDisplay && pass == 7) HeadlessRegainDisplay();
      HeadlessHoldKey(VK_ESCAPE, pass == 12);
    };
    return HeadlessRun(config);
  };
  HeadlessResult reference = run(false);
  HeadlessResult recovered = run(true);
  ASSERT_EQ(reference.presents, 13);
  EXPECT_EQ(recovered.exitCode, 0);
  EXPECT_EQ(recovered.misuses, 0);
  EXPECT_EQ(recovered.liveObjectsAfter, 0);

  // Frames 4-6 cannot be shown; frame 7 finds the display back after it was
  // drawn on lost surfaces, so it shows black; frames 8 on are whole again.
  ASSERT_EQ(recovered.presents, 13 - 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(recovered.frames[i].pixels, reference.frames[i].pixels);
  const std::vector<std::uint8_t>& blank = recovered.frames[3].pixels;
  EXPECT_EQ(std::count(blank.begin(), blank.end(), 0), 640 * 480);
  for (int frame = 8; frame <= 13; ++frame) {
    EXPECT_EQ(recovered.frames[frame - 4].pixels, reference.frames[frame - 1].pixels)
        << "frame " << frame;
  }
}

TEST(Display, BackBufferLocksOnceWithItsPitchAndUnlocksOnce) {
  HeadlessConfig config = DemoConfig();
  config.pitchPadding = 36;
  config.logCalls = true;
  std::uint8_t* locked = nullptr;
  std::int32_t pitch = 0;
  int unlocks[2] = {-1, -1};
  std::size_t unlockCallsBefore = 0, unlockCallsAfter = 0;
  config.onPass = [&](int pass) {
    if (pass == 2) {
      locked = LockBackBuffer();
      pitch = backBufferPitch;
      EXPECT_EQ(LockBackBuffer(), locked);  // no second lock
      unlockCallsBefore = TraceLog().size();
      unlocks[0] = UnlockBackBuffer();
      unlocks[1] = UnlockBackBuffer();
      unlockCallsAfter = TraceLog().size();
    }
    HeadlessHoldKey(VK_ESCAPE, pass == 2);
  };
  HeadlessResult result = HeadlessRun(config);
  EXPECT_NE(locked, nullptr);
  EXPECT_EQ(pitch, 640 + 36);
  EXPECT_EQ(unlocks[0], 1);
  EXPECT_EQ(unlocks[1], 0);
  EXPECT_EQ(unlockCallsAfter - unlockCallsBefore, 1u);
  EXPECT_EQ(backBufferPixels, nullptr);
  EXPECT_EQ(backBufferPitch, 0);
  EXPECT_EQ(result.misuses, 0);
}

bool HasStarPixels(const HeadlessFrame& frame) {
  return std::any_of(frame.pixels.begin(), frame.pixels.end(), IsStarColour);
}

TEST(Display, AFailedBackBufferLockPlotsNothing) {
  HeadlessConfig config = DemoConfig();
  config.onPass = [](int pass) {
    if (pass == 3) TraceArmFault("Lock", FaultMode::Always);
    if (pass == 5) TraceDisarmFaults();
    HeadlessHoldKey(VK_ESCAPE, pass == 6);
  };
  HeadlessResult result = HeadlessRun(config);
  ASSERT_EQ(result.presents, 7);
  EXPECT_TRUE(HasStarPixels(result.frames[1]));
  EXPECT_FALSE(HasStarPixels(result.frames[2]));
  EXPECT_FALSE(HasStarPixels(result.frames[3]));
  EXPECT_TRUE(HasStarPixels(result.frames[4]));
  EXPECT_EQ(result.misuses, 0);
}

}  // namespace
