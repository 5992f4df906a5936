// The demo on the headless host, held at its first message-loop pass for a
// benchmark to time frames there: shared by the Google Benchmark frames
// (frame_bench.cpp) and the plain timing loop (frame_timing.cpp) that also
// builds as WebAssembly.
#pragma once

#include <functional>
#include <string>

// Runs the demo with ROCK8.BMP from programDirectory. At pass 1 the display
// is open, the scene seeded and nothing drawn yet: timed runs there, with
// Down held or not, and then Escape ends the program through its own quit
// path. Every frame presented meanwhile is expanded to 32-bit pixels from
// the front buffer, as a screen host does. Returns false when timed did not
// run or the demo did not end with exit code 0 (no ROCK8.BMP, say).
bool RunInSeededScene(const std::string& programDirectory, bool down,
                      const std::function<void()>& timed);
