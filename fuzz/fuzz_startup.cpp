// The whole program on the headless host with an arbitrary ROCK8.BMP beside
// it: start-up reads the picture, installs its palette and fills 45 sprites
// from it, then two frames run and Escape ends the program. Whatever the
// file holds, the run must end with a defined exit code and every DirectDraw
// object it made released exactly once.
#include <cstdint>
#include <cstdio>

#include "fuzz_input_file.h"
#include "kit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzWriteInput(data, size);
  HeadlessConfig config;
  config.programDirectory = FuzzInputFolder();
  config.keepFrames = false;
  config.maxPasses = 10;
  QuitAfter(config, 1);
  HeadlessResult result = HeadlessRun(config);
  if (!UncleanEnd(result).empty()) FuzzFail(UncleanEnd(result).c_str());
  if (result.exitCode != 0 && result.exitCode != 1) FuzzFail("the exit code is not 0 or 1");
  if (result.exitCode == 0 && result.presents != 2)
    FuzzFail("a started program did not show its two frames");
  return 0;
}
