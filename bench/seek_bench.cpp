// A seek computes every frame from the start of the run without showing
// any: the demo on the headless host for a 10-minute run (18,000 frames),
// no frame kept or converted, as a player seeking does.
#include <benchmark/benchmark.h>

#include "kit.h"

namespace {

void Resimulate(benchmark::State& state) {
  const int frames = int(state.range(0));
  for (auto _ : state) {
    HeadlessConfig config = DemoConfig(1);
    config.keepFrames = false;
    config.onPresentPixels = [](const std::uint8_t*, int, int, int, const PALETTEENTRY*) {};
    config.maxPasses = frames + 10;
    config.watchdogCallsPerPass = 0;  // as in a host: nothing traced
    QuitAfter(config, frames);
    const HeadlessResult result = HeadlessRun(config);
    if (result.exitCode != 0 || result.presents != frames + 1) {
      state.SkipWithError("the demo did not run its frames (is ROCK8.BMP beside the benchmark?)");
      return;
    }
  }
}

}  // namespace

BENCHMARK(Resimulate)->Arg(18000)->Unit(benchmark::kMillisecond)->Iterations(3);
