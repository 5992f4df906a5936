// The whole frame of the Frame benchmarks (frame_bench.cpp), timed by a
// plain loop instead of Google Benchmark so that the same program builds
// natively and as WebAssembly for node: bench/wasm_ratio.mjs runs both and
// reports their ratio.
//
//   vorn_frame_timing [--dir FOLDER] [--frames N] [--batches N]
//
// FOLDER holds ROCK8.BMP (default: the folder in the program's name, as
// the build puts it beside the program; the WebAssembly build, which has
// no such name, needs it given, as an absolute path). Prints one line
// per case, "frame <case> <microseconds>", the fastest batch's mean time
// per frame; wall time, so on a shared machine the fastest batch is the one
// least disturbed.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scene.h"
#include "seeded_scene.h"

namespace {

struct Options {
  std::string directory;
  int frames = 300;
  int batches = 10;
};

bool ParseCount(const char* text, int* count) {
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 1 || value > 1000000) return false;
  *count = static_cast<int>(value);
  return true;
}

// Options come in pairs: a name and its value.
bool Parse(int argc, char** argv, Options* options) {
  if ((argc - 1) % 2 != 0) return false;
  for (int i = 1; i + 1 < argc; i += 2) {
    const char* value = argv[i + 1];
    if (std::strcmp(argv[i], "--dir") == 0) {
      options->directory = value;
    } else if (std::strcmp(argv[i], "--frames") == 0) {
      if (!ParseCount(value, &options->frames)) return false;
    } else if (std::strcmp(argv[i], "--batches") == 0) {
      if (!ParseCount(value, &options->batches)) return false;
    } else {
      return false;
    }
  }
  return true;
}

// The fastest batch's mean microseconds per frame, or a negative number
// when the demo did not start.
double TimeFrames(const Options& options, bool down) {
  double best = -1;
  bool ran = RunInSeededScene(options.directory, down, [&] {
    for (int batch = 0; batch < options.batches; ++batch) {
      auto start = std::chrono::steady_clock::now();
      for (int frame = 0; frame < options.frames; ++frame) SceneFrame();
      std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
      double perFrame = spent.count() / options.frames;
      if (best < 0 || perFrame < best) best = perFrame;
    }
  });
  return ran ? best : -1;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  const std::string program = argc > 0 && argv[0] != nullptr ? argv[0] : "";
  std::size_t slash = program.find_last_of('/');
  options.directory = slash == std::string::npos ? "." : program.substr(0, slash);
  if (!Parse(argc, argv, &options)) {
    std::fprintf(stderr, "usage: vorn_frame_timing [--dir FOLDER] [--frames N] [--batches N]\n");
    return 2;
  }
  const struct {
    const char* name;
    bool down;
  } cases[] = {{"no_key", false}, {"down", true}};
  for (const auto& timedCase : cases) {
    double microseconds = TimeFrames(options, timedCase.down);
    if (microseconds < 0) {
      std::fprintf(stderr, "vorn_frame_timing: the demo did not start (no ROCK8.BMP in %s?)\n",
                   options.directory.c_str());
      return 1;
    }
    std::printf("frame %s %.2f\n", timedCase.name, microseconds);
  }
  return 0;
}
