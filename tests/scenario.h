// Shared helpers for tests that run the whole program on the headless host.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "headless.h"

// The folder of the test program, where the build puts ROCK8.BMP.
inline std::string ProgramDirectory() {
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return ".";
  std::string full(path, static_cast<std::size_t>(length));
  return full.substr(0, full.find_last_of('/'));
}

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

inline int CountCalls(const HeadlessResult& result, const std::string& prefix) {
  int count = 0;
  for (const std::string& call : result.calls) count += call.rfind(prefix, 0) == 0;
  return count;
}

inline std::uint8_t PixelAt(const HeadlessFrame& frame, int x, int y) {
  return frame.pixels[static_cast<std::size_t>(y) * frame.width + x];
}
