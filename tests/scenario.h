// Shared helpers for tests that run the whole program on the headless host.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "headless.h"
#include "program_directory.h"

// A run of the demo that finds its picture beside the test program.
inline HeadlessConfig DemoConfig(std::int64_t seed = 1) {
  HeadlessConfig config;
  config.calendarSeconds = seed;
  config.programDirectory = ProgramDirectory();
  return config;
}

// Holds Escape during frame `frame` only: frames 1..frame+1 are presented
// and the pass after the last one fetches WM_QUIT.
inline void QuitAfter(HeadlessConfig& config, int frame) {
  auto previous = config.onPass;
  config.onPass = [previous, frame](int pass) {
    if (previous) previous(pass);
    HeadlessHoldKey(VK_ESCAPE, pass == frame);
  };
}

// Recorded calls of this name, made on object ("surface2") when given.
inline int CountCalls(const HeadlessResult& result, const std::string& name,
                      const std::string& object = "") {
  int count = 0;
  for (const TraceCall& call : result.calls)
    count += call.name == name && (object.empty() || call.Label("this") == object);
  return count;
}

// The palette indices stars are drawn with, one per speed class.
inline bool IsStarColour(std::uint8_t index) {
  return index == 236 || index == 239 || index == 242 || index == 245;
}

inline std::uint8_t PixelAt(const HeadlessFrame& frame, int x, int y) {
  return frame.pixels[static_cast<std::size_t>(y) * frame.width + x];
}
