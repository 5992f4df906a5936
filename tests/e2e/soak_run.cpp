// 300 frames of the demo on the headless host with the keys played the way a
// user would: each arrow alone, pairs, Down's streaks, the display taken away
// and given back, then Escape. Exits 0 when the run ended on its own with
// every DirectDraw object released exactly once; run natively, under the
// sanitizers and under valgrind, which look at the memory.
#include <cstdio>
#include <string>

#include "kit.h"

namespace {

const int kFrames = 300;

// Twelve stretches of 25 passes, each with its own keys held.
void PlayKeys(int pass) {
  static const int held[][2] = {
      {0, 0},           {VK_LEFT, 0},        {VK_RIGHT, 0},       {VK_UP, 0},       {VK_DOWN, 0},
      {VK_LEFT, VK_UP}, {VK_RIGHT, VK_DOWN}, {VK_LEFT, VK_RIGHT}, {VK_UP, VK_DOWN}, {VK_DOWN, 0},
      {0, 0},           {VK_LEFT, VK_DOWN}};
  HeadlessReleaseAllKeys();
  const int* keys = held[(pass - 1) / 25 % 12];
  for (int i = 0; i < 2; ++i) {
    if (keys[i] != 0) HeadlessHoldKey(keys[i], true);
  }
  if (pass == 140) HeadlessLoseDisplay();
  if (pass == 150) HeadlessRegainDisplay();
  HeadlessHoldKey(VK_ESCAPE, pass == kFrames);
}

int Fail(const std::string& why) {
  std::fprintf(stderr, "soak: %s\n", why.c_str());
  return 1;
}

}  // namespace

int main() {
  HeadlessConfig config = DemoConfig();
  config.keepFrames = false;
  config.maxPasses = kFrames + 10;
  config.onPass = PlayKeys;
  HeadlessResult result = HeadlessRun(config);
  if (!UncleanEnd(result).empty()) return Fail(UncleanEnd(result));
  if (result.exitCode != 0) return Fail("exit code " + std::to_string(result.exitCode));
  // Frames 140-149 fall on a lost display and cannot be shown.
  if (result.presents != kFrames + 1 - 10)
    return Fail(std::to_string(result.presents) + " frames presented");
  std::printf("soak: %d frames presented, everything released\n", result.presents);
  return 0;
}
