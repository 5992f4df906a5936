// Every platform call the program makes, made to fail once (at chosen points
// of start-up, the frames and shutdown) and made to fail every time. Whatever
// fails, the program must end within bounded time with a defined exit code,
// and every DirectDraw object it made must be released exactly once.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "kit_fixtures.h"

namespace {

// The user holds Escape for three passes from kQuitPass. A fault that keeps
// the program from seeing that is cleared at kGiveUpPass, and Escape pressed
// again, so every run ends and its releases can be checked.
const int kQuitPass = 3;
const int kGiveUpPass = 12;
const int kLosePass = 2;  // the lost-display scenario: lost for one pass
const int kRegainPass = 3;

// A call as faults name it: "Blt" with variant "COLORFILL", or "Lock".
struct CallName {
  std::string name;
  std::string variant;

  bool operator<(const CallName& other) const {
    return name != other.name ? name < other.name : variant < other.variant;
  }
  std::string Text() const { return variant.empty() ? name : name + ":" + variant; }
};

// COM reference counting has no failure of its own: a Release made to fail
// only shows that an object not released stays alive. Host calls belong to
// the platform, not to the program.
bool Exempt(const std::string& name) { return name == "Release" || name.rfind("Host", 0) == 0; }

// Calls that sit on the only way out of the loop (reading the key, posting
// and fetching the quit request): failing every time, they keep the program
// running by design. For these the run must keep presenting a frame every
// pass instead, and end once the fault is gone.
bool OnQuitPath(const std::string& name) {
  static const std::set<std::string> quitPath = {"GetAsyncKeyState", "PostMessageA", "PeekMessageA",
                                                 "DispatchMessageA", "PostQuitMessage"};
  return quitPath.count(name) != 0;
}

bool IsPass(const TraceCall& call) { return call.name == std::string("PeekMessageA"); }

// Where each call happened in a fault-free run: occurrence numbers (the
// skip count that reaches it) at the points worth failing.
struct CallPoints {
  std::map<CallName, std::vector<int>> skips;
  std::set<CallName> names;
};

void AddPoint(std::vector<int>& skips, int skip) {
  if (std::find(skips.begin(), skips.end(), skip) == skips.end()) skips.push_back(skip);
}

// For each call: its first two occurrences, the last of start-up, the first
// of the first two frames and of the frame after a regained display, the
// first of shutdown and the very last.
CallPoints PointsOf(const std::vector<TraceCall>& calls, bool framesOnly) {
  std::map<CallName, std::vector<int>> seen;  // call -> pass of each occurrence (0: start-up)
  int pass = 0;
  const int lastPass = static_cast<int>(std::count_if(calls.begin(), calls.end(), IsPass));
  for (const TraceCall& call : calls) {
    if (IsPass(call)) ++pass;
    if (!Exempt(call.name)) seen[{call.name, call.variant}].push_back(pass);
  }
  CallPoints points;
  for (const auto& entry : seen) {
    const std::vector<int>& passes = entry.second;
    std::vector<int> skips;
    auto firstIn = [&](int wanted) {
      auto at = std::find(passes.begin(), passes.end(), wanted);
      if (at != passes.end()) AddPoint(skips, int(at - passes.begin()));
    };
    if (!framesOnly) {
      AddPoint(skips, 0);
      if (passes.size() > 1) AddPoint(skips, 1);
      auto startupEnd = std::upper_bound(passes.begin(), passes.end(), 0);
      if (startupEnd != passes.begin()) AddPoint(skips, int(startupEnd - passes.begin()) - 1);
      firstIn(1);
      firstIn(2);
    }
    firstIn(kRegainPass);
    firstIn(kRegainPass + 1);
    firstIn(lastPass);
    if (!framesOnly) AddPoint(skips, int(passes.size()) - 1);
    if (skips.empty()) continue;
    points.names.insert(entry.first);
    points.skips[entry.first] = skips;
  }
  return points;
}

int OpenDescriptors() {
  int count = 0;
  if (DIR* folder = opendir("/proc/self/fd")) {
    while (readdir(folder) != nullptr) ++count;
    closedir(folder);
  }
  return count;
}

// The user's script for one run, optionally with the display taken away for
// a pass. The fault, if still armed at kGiveUpPass, is cleared there.
HeadlessConfig MatrixConfig(bool loseDisplay) {
  HeadlessConfig config = DemoConfig(7);
  config.keepFrames = false;
  config.maxPasses = kGiveUpPass + 8;
  config.onPass = [loseDisplay](int pass) {
    if (loseDisplay && pass == kLosePass) HeadlessLoseDisplay();
    if (loseDisplay && pass == kRegainPass) HeadlessRegainDisplay();
    if (pass == kGiveUpPass) TraceDisarmFaults();
    bool pressed = (pass >= kQuitPass && pass < kQuitPass + 3) || pass == kGiveUpPass;
    HeadlessHoldKey(VK_ESCAPE, pressed);
  };
  return config;
}

std::vector<TraceCall> BaselineCalls(bool loseDisplay) {
  HeadlessConfig config = MatrixConfig(loseDisplay);
  config.logCalls = true;
  HeadlessResult result = HeadlessRun(config);
  EXPECT_EQ(result.exitCode, 0);
  // Three WM_DESTROYs are posted while Escape is held; WM_QUIT comes after them.
  EXPECT_EQ(result.passes, kQuitPass + 4);
  return result.calls;
}

// Runs with one fault armed and checks what must hold whatever failed.
// Returns the result for checks of the caller's own.
HeadlessResult RunWithFault(bool loseDisplay, const CallName& call, FaultMode mode, int skip,
                            const std::string& label) {
  HeadlessConfig config = MatrixConfig(loseDisplay);
  config.faults.push_back({call.name, call.variant, mode, skip});
  SCOPED_TRACE(label);
  int descriptorsBefore = OpenDescriptors();
  HeadlessResult result = RunClean(config);
  EXPECT_TRUE(result.exitCode == 0 || result.exitCode == 1) << result.exitCode;
  if (result.exitCode == 1) {
    // A refused start-up: no frame ran, and the program said why.
    EXPECT_EQ(result.passes, 0);
    EXPECT_FALSE(result.debugTexts.empty());
  }
  EXPECT_EQ(OpenDescriptors(), descriptorsBefore) << "a file left open";
  // Ended on the user's Escape (a failed fetch may cost a pass), unless the
  // fault sits on the way out.
  bool endedOnEscape = result.passes <= kQuitPass + 5;
  if (!(mode == FaultMode::Always && OnQuitPath(call.name))) {
    EXPECT_TRUE(result.exitCode == 1 || endedOnEscape) << "passes: " << result.passes;
  }
  return result;
}

// Calls whose failure refuses start-up: without them there is no display or
// no picture. Any other failure must leave a program that runs and quits.
bool MayRefuseStartup(const CallName& call) {
  static const std::set<std::string> refusing = {"DirectDrawCreate",
                                                 "SetCooperativeLevel",
                                                 "SetDisplayMode",
                                                 "CreateSurface:PRIMARY",
                                                 "GetAttachedSurface",
                                                 "CreatePalette",
                                                 "SetPalette",
                                                 "OpenFile",
                                                 "_lread",
                                                 "_llseek",
                                                 "RegisterClassA",
                                                 "CreateWindowExA",
                                                 "malloc"};
  return refusing.count(call.Text()) != 0;
}

TEST(FaultMatrix, TheMatrixCoversEveryDisplayFileAndMemoryCall) {
  CallPoints points = PointsOf(BaselineCalls(false), false);
  std::set<std::string> made;
  for (const CallName& call : points.names) made.insert(call.Text());
  for (const char* name : {"DirectDrawCreate",
                           "SetCooperativeLevel",
                           "SetDisplayMode",
                           "CreateSurface:PRIMARY",
                           "CreateSurface:OFFSCREEN",
                           "GetAttachedSurface",
                           "CreatePalette",
                           "SetPalette",
                           "SetEntries",
                           "Blt:COLORFILL",
                           "Blt:KEYSRC",
                           "Lock",
                           "Unlock",
                           "Flip",
                           "SetColorKey",
                           "OpenFile",
                           "_lread",
                           "_llseek",
                           "_lclose",
                           "PeekMessageA",
                           "PostMessageA",
                           "GetAsyncKeyState",
                           "Sleep"}) {
    EXPECT_EQ(made.count(name), 1u) << name << " is no longer made";
  }
  CallPoints recovery = PointsOf(BaselineCalls(true), true);
  std::set<std::string> remade;
  for (const CallName& call : recovery.names) remade.insert(call.Text());
  for (const char* name : {"Restore", "IsLost", "OpenFile", "Lock"})
    EXPECT_EQ(remade.count(name), 1u) << name << " is not made after the display comes back";
}

TEST(FaultMatrix, AnyCallFailingOnceIsSurvived) {
  CallPoints points = PointsOf(BaselineCalls(false), false);
  points.skips[{"malloc", ""}] = {0, 1, 2};  // allocations are not recorded: the reader makes two
  for (const auto& [call, skips] : points.skips) {
    for (int skip : skips) {
      std::string label = call.Text() + " failing once after " + std::to_string(skip);
      HeadlessResult result = RunWithFault(false, call, FaultMode::Once, skip, label);
      if (!MayRefuseStartup(call)) {
        EXPECT_EQ(result.exitCode, 0) << label;
      }
    }
  }
}

TEST(FaultMatrix, AnyCallFailingAlwaysIsSurvived) {
  CallPoints points = PointsOf(BaselineCalls(false), false);
  points.names.insert({"malloc", ""});
  for (const CallName& call : points.names) {
    std::string label = call.Text() + " failing always";
    HeadlessResult result = RunWithFault(false, call, FaultMode::Always, 0, label);
    if (!MayRefuseStartup(call)) {
      EXPECT_EQ(result.exitCode, 0) << label;
    }
    if (result.exitCode == 0 && OnQuitPath(call.name)) {
      // Could not quit while the fault held, yet presented a frame every
      // pass, and quit on the first Escape once it was gone.
      EXPECT_GT(result.passes, kGiveUpPass) << label;
      EXPECT_LE(result.passes, kGiveUpPass + 6) << label;
      EXPECT_EQ(result.presents, result.passes - 1) << label;
    }
  }
}

TEST(FaultMatrix, FailuresWhileTheDisplayComesBackAreSurvived) {
  CallPoints points = PointsOf(BaselineCalls(true), true);
  points.skips[{"malloc", ""}] = {2, 3};  // the picture is read again to refill the rocks
  for (const auto& entry : points.skips) {
    const CallName& call = entry.first;
    for (int skip : entry.second) {
      std::string label =
          call.Text() + " failing once after " + std::to_string(skip) + ", display lost";
      EXPECT_EQ(RunWithFault(true, call, FaultMode::Once, skip, label).exitCode, 0) << label;
    }
    std::string label = call.Text() + " failing always from the lost display on";
    HeadlessConfig config = MatrixConfig(true);
    AtPass(config, kLosePass, [call] {
      TraceArmFault(call.name.c_str(), call.variant.c_str(), FaultMode::Always);
    });
    SCOPED_TRACE(label);
    EXPECT_EQ(RunClean(config).exitCode, 0);
  }
}

// The release check must be able to fail: a surface the program forgets is
// caught even though its display object, or its flip chain, ends it.
HeadlessResult ReleaseEverythingBut(const std::string& forgotten) {
  TestDisplay display;
  EXPECT_TRUE(display.Open());
  IDirectDrawSurface* sprite = display.Offscreen(64, 64);
  if (forgotten != "sprite") sprite->Release();
  if (forgotten != "back buffer") display.back->Release();
  if (forgotten != "primary") display.primary->Release();
  display.dd->Release();
  return display.Close();
}

TEST(FaultMatrix, AForgottenReleaseIsCaught) {
  EXPECT_EQ(UncleanEnd(ReleaseEverythingBut("")), "");
  for (const char* forgotten : {"sprite", "back buffer", "primary"}) {
    HeadlessResult leaky = ReleaseEverythingBut(forgotten);
    EXPECT_EQ(leaky.liveObjectsAfter, 0) << forgotten;    // the owner ended it...
    EXPECT_GE(leaky.unreleasedSurfaces, 1) << forgotten;  // ...but the program never let it go
  }
}

}  // namespace
