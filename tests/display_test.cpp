// The display as the program drives it: the start-up and shutdown calls
// with their arguments, a failure at each start-up step, flips that fail,
// a lost display, and direct access to the back buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "back_buffer.h"
#include "display.h"
#include "kit_fixtures.h"

namespace {

// The objects the calls named name were made on, in order.
std::vector<std::string> ObjectsOf(const HeadlessResult& result, const char* name) {
  std::vector<std::string> labels;
  for (const TraceCall* call : CallsNamed(result, name)) labels.push_back(call->Label("this"));
  return labels;
}

TEST(Display, StartupAndShutdownCallTheDisplayWithTheRightValues) {
  HeadlessConfig config = DemoConfig();
  config.logCalls = true;
  QuitAfter(config, 1);
  HeadlessResult result = RunClean(config);
  ASSERT_EQ(result.exitCode, 0);

  // The display's opening, in order, leaving out key reads and host calls.
  std::vector<const TraceCall*> calls;
  for (const TraceCall& call : result.calls) {
    std::string name = call.name;
    if (name != "GetAsyncKeyState" && name.rfind("Host", 0) != 0) calls.push_back(&call);
  }
  auto first = std::find_if(calls.begin(), calls.end(), [](const TraceCall* call) {
    return call->name == std::string("DirectDrawCreate");
  });
  const std::vector<std::string> opening = {"DirectDrawCreate", "SetCooperativeLevel",
                                            "SetDisplayMode",   "CreateSurface",
                                            "GetAttachedSurface", "CreatePalette", "SetPalette"};
  ASSERT_GE(calls.end() - first, static_cast<long>(opening.size()));
  for (std::size_t i = 0; i < opening.size(); ++i) EXPECT_EQ(first[i]->name, opening[i]);
  EXPECT_EQ(first[0]->Find("driver")->given, false);
  EXPECT_EQ(first[1]->Label("window"), "hwnd1");
  EXPECT_EQ(first[1]->Number("flags"),
            DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX);
  EXPECT_EQ(first[2]->Number("width"), 640);
  EXPECT_EQ(first[2]->Number("height"), 480);
  EXPECT_EQ(first[2]->Number("bitsPerPixel"), 8);
  const TraceCall& chain = *first[3];
  EXPECT_STREQ(chain.variant, "PRIMARY");
  EXPECT_EQ(chain.Number("dwSize"), static_cast<std::int64_t>(sizeof(DDSURFACEDESC)));
  EXPECT_EQ(chain.Number("dwFlags"), DDSD_CAPS | DDSD_BACKBUFFERCOUNT);
  EXPECT_EQ(chain.Number("dwCaps"), DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX);
  EXPECT_EQ(chain.Number("dwBackBufferCount"), 1);
  EXPECT_EQ(first[4]->Label("this"), "surface1");
  EXPECT_EQ(first[4]->Number("dwCaps"), DDSCAPS_BACKBUFFER);
  EXPECT_EQ(first[5]->Number("flags"), DDPCAPS_8BIT | DDPCAPS_ALLOW256);
  EXPECT_EQ(first[6]->Label("this"), "surface1");
  EXPECT_EQ(first[6]->Label("palette"), "palette1");

  std::vector<const TraceCall*> entries = CallsNamed(result, "SetEntries");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0]->Number("first"), 0);
  EXPECT_EQ(entries[0]->Number("count"), 256);

  // 45 sprite surfaces, each keyed on index 0 and filled through one lock.
  std::vector<const TraceCall*> surfaces = CallsNamed(result, "CreateSurface");
  ASSERT_EQ(surfaces.size(), 46u);
  for (std::size_t i = 1; i < surfaces.size(); ++i) {
    EXPECT_STREQ(surfaces[i]->variant, "OFFSCREEN");
    EXPECT_EQ(surfaces[i]->Number("dwFlags"), DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT);
    EXPECT_EQ(surfaces[i]->Number("dwCaps"), DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY);
    EXPECT_EQ(surfaces[i]->Number("dwWidth"), 64);
    EXPECT_EQ(surfaces[i]->Number("dwHeight"), 64);
  }
  std::vector<const TraceCall*> keys = CallsNamed(result, "SetColorKey");
  ASSERT_EQ(keys.size(), 45u);
  EXPECT_EQ(keys[0]->Label("this"), "surface3");
  EXPECT_EQ(keys[0]->Number("flags"), DDCKEY_SRCBLT);
  EXPECT_EQ(keys[0]->Number("low"), 0);

  // Both pages cleared before the first frame, with a whole fill record.
  auto firstPeek = std::find_if(calls.begin(), calls.end(), [](const TraceCall* call) {
    return call->name == std::string("PeekMessageA");
  });
  ASSERT_GE(firstPeek - calls.begin(), 2);
  for (int page = 0; page < 2; ++page) {
    const TraceCall& clear = *firstPeek[page - 2];
    EXPECT_STREQ(clear.variant, "COLORFILL");
    EXPECT_EQ(clear.Label("this"), page == 0 ? "surface1" : "surface2");
    EXPECT_EQ(clear.Find("dest")->given, false);
    EXPECT_EQ(clear.Number("flags"), DDBLT_COLORFILL | DDBLT_WAIT);
    EXPECT_EQ(clear.Number("fx.dwSize"), static_cast<std::int64_t>(sizeof(DDBLTFX)));
    EXPECT_EQ(clear.Number("fx.dwFillColor"), 0);
  }

  std::vector<const TraceCall*> flips = CallsNamed(result, "Flip");
  ASSERT_EQ(flips.size(), 2u);
  EXPECT_EQ(flips[0]->Label("this"), "surface1");
  EXPECT_EQ(flips[0]->Label("target"), "null");
  EXPECT_EQ(flips[0]->Number("flags"), DDFLIP_WAIT);
  std::vector<const TraceCall*> sleeps = CallsNamed(result, "Sleep");
  ASSERT_EQ(sleeps.size(), 2u);
  EXPECT_EQ(sleeps[0]->Number("milliseconds"), 30);

  // Shutdown: the 45 sprites, then back buffer, primary, display object;
  // the palette goes with the display object.
  std::vector<std::string> releases = ObjectsOf(result, "Release");
  ASSERT_EQ(releases.size(), 48u);
  EXPECT_EQ(releases[0], "surface3");
  EXPECT_EQ(releases[44], "surface47");
  EXPECT_EQ(releases[45], "surface2");
  EXPECT_EQ(releases[46], "surface1");
  EXPECT_EQ(releases[47], "dd1");
}

TEST(Display, EachFrameReadsTheKeysWhereTheyAreUsed) {
  HeadlessConfig config = DemoConfig();
  config.logCalls = true;
  QuitAfter(config, 2);
  HeadlessResult result = RunClean(config);
  // Quit keys, four per star moving and one per star drawing, four per rock
  // (Right only when Left is not held).
  const int perFrame = 2 + 4 * 600 + 600 + 4 * 45;
  EXPECT_EQ(CountCalls(result, "GetAsyncKeyState"), 3 * perFrame - 1);  // Space unread while Escape is held
  EXPECT_EQ(CountCalls(result, "Lock", "surface2"), 3);
  EXPECT_EQ(CountCalls(result, "Unlock", "surface2"), 3);
}

struct StepFailure {
  const char* fault;
  const char* variant;
  std::vector<std::string> released;
};

TEST(Display, FailureAtEachStartupStepReleasesExactlyWhatExists) {
  const std::vector<StepFailure> steps = {
      {"DirectDrawCreate", "", {}},
      {"SetCooperativeLevel", "", {"dd1"}},
      {"SetDisplayMode", "", {"dd1"}},
      {"HostSetDisplayMode", "", {"dd1"}},
      {"CreateSurface", "PRIMARY", {"dd1"}},
      {"GetAttachedSurface", "", {"surface1", "dd1"}},
      {"CreatePalette", "", {"surface2", "surface1", "dd1"}},
      {"SetPalette", "", {"surface2", "surface1", "dd1"}},
  };
  for (const StepFailure& step : steps) {
    HeadlessConfig config = DemoConfig();
    config.logCalls = true;
    config.maxPasses = 20;
    config.faults.push_back({step.fault, step.variant});
    SCOPED_TRACE(step.fault);
    HeadlessResult result = RunClean(config);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.passes, 0);
    EXPECT_EQ(result.presents, 0);
    EXPECT_EQ(ObjectsOf(result, "Release"), step.released);
    EXPECT_EQ(CountCalls(result, "OpenFile"), 0);
    EXPECT_EQ(result.debugTexts.size(), 1u);
  }
}

TEST(Display, AFlipThatAlwaysFailsNeverHoldsTheProgram) {
  HeadlessConfig config = DemoConfig();
  config.logCalls = true;
  config.faults.push_back({"Flip", "", FaultMode::Always});
  QuitAfter(config, 5);
  HeadlessResult result = RunClean(config);
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
    return RunClean(config);
  };
  HeadlessResult reference = run(false);
  HeadlessResult recovered = run(true);
  ASSERT_EQ(reference.presents, 13);
  EXPECT_EQ(recovered.exitCode, 0);

  // Frames 4-6 cannot be shown; frame 7 finds the display back after it was
  // drawn on lost surfaces, so it shows black; frames 8 on are whole again.
  ASSERT_EQ(recovered.presents, 13 - 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(recovered.frames[i].pixels, reference.frames[i].pixels);
  const Bytes& blank = recovered.frames[3].pixels;
  EXPECT_EQ(std::count(blank.begin(), blank.end(), 0), 640 * 480);
  for (int frame = 8; frame <= 13; ++frame) {
    EXPECT_EQ(recovered.frames[frame - 4].pixels, reference.frames[frame - 1].pixels)
        << "frame " << frame;
  }
}

// While the display is away the program never asks for it back: on a
// system that gave it, the mode would switch under the program the user
// switched to. Once it has returned, the program restores its pages.
TEST(Display, TheDisplayIsAskedBackOnlyOnceItHasReturned) {
  HeadlessConfig config = DemoConfig(21);
  config.logCalls = true;
  config.onPass = [](int pass) {
    if (pass == 4) HeadlessLoseDisplay();
    if (pass == 7) HeadlessRegainDisplay();
    HeadlessHoldKey(VK_ESCAPE, pass == 12);
  };
  HeadlessResult result = RunClean(config);
  int pass = 0, whileAway = 0, afterReturn = 0;
  for (const TraceCall& call : result.calls) {
    std::string name = call.name;
    if (name == "PeekMessageA") ++pass;
    if (name != "Restore" && name != "SetDisplayMode") continue;
    if (pass >= 4 && pass < 7) ++whileAway;
    if (pass >= 7) ++afterReturn;
  }
  EXPECT_EQ(whileAway, 0);
  EXPECT_GE(afterReturn, 1);
}

TEST(Display, BackBufferLocksOnceWithItsPitchAndUnlocksOnce) {
  HeadlessConfig config = DemoConfig();
  config.pitchPadding = 36;
  config.logCalls = true;
  std::uint8_t* locked = nullptr;
  std::int32_t pitch = 0;
  int unlocks[2] = {-1, -1};
  std::size_t unlockCallsBefore = 0, unlockCallsAfter = 0;
  AtPass(config, 2, [&] {
    locked = LockBackBuffer();
    pitch = backBufferPitch;
    EXPECT_EQ(LockBackBuffer(), locked);  // no second lock
    unlockCallsBefore = TraceLog().size();
    unlocks[0] = UnlockBackBuffer();
    unlocks[1] = UnlockBackBuffer();
    unlockCallsAfter = TraceLog().size();
  });
  QuitAfter(config, 2);
  RunClean(config);
  EXPECT_NE(locked, nullptr);
  EXPECT_EQ(pitch, 640 + 36);
  EXPECT_EQ(unlocks[0], 1);
  EXPECT_EQ(unlocks[1], 0);
  EXPECT_EQ(unlockCallsAfter - unlockCallsBefore, 1u);
  EXPECT_EQ(backBufferPixels, nullptr);
  EXPECT_EQ(backBufferPitch, 0);
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
  HeadlessResult result = RunClean(config);
  ASSERT_EQ(result.presents, 7);
  EXPECT_TRUE(HasStarPixels(result.frames[1]));
  EXPECT_FALSE(HasStarPixels(result.frames[2]));
  EXPECT_FALSE(HasStarPixels(result.frames[3]));
  EXPECT_TRUE(HasStarPixels(result.frames[4]));
}

}  // namespace
