#include "sdl_runs.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "run_recorder.h"

namespace {

struct SdlRuns {
  RunRecorder recorder;
  RunPlayer player;
  RunFile played;
  std::string recordPath;
  std::int64_t seed = 0;
};

SdlRuns runs;

// The picture the program will read, as the platform finds it; a program
// without one still records, with a digest no picture has.
void PictureDigest(std::uint8_t digest[SHA256_BYTES]) {
  if (!RunPictureDigest(HostProgramDirectory(), HostDataDirectory(), digest))
    for (int i = 0; i < SHA256_BYTES; ++i) digest[i] = 0;
}

bool StartReplay(const char* path, const std::uint8_t picture[SHA256_BYTES]) {
  std::string error;
  if (!RunFileLoad(path, &runs.played, &error)) {
    std::fprintf(stderr, "vorn: --replay: %s\n", error.c_str());
    return false;
  }
  bool samePicture = true;
  char why[RUN_ERROR_SIZE];
  if (!RunPlayable(runs.played, picture, &samePicture, why) ||
      !RunGeneratorUse(runs.played.generator, why)) {
    std::fprintf(stderr, "vorn: --replay '%s': %s\n", path, why);
    return false;
  }
  if (!samePicture)
    std::fprintf(stderr,
                 "vorn: --replay '%s': made with another ROCK8.BMP; it plays with this one "
                 "(the motion is the same, the pictures differ)\n",
                 path);
  RunPlayerStart(&runs.player, &runs.played);
  runs.seed = runs.played.seed;
  return true;
}

}  // namespace

bool SdlRunsStart(const char* recordPath, const char* replayPath) {
  runs.seed = static_cast<std::int64_t>(std::time(nullptr));
  if (recordPath == nullptr && replayPath == nullptr) return true;
  std::uint8_t picture[SHA256_BYTES];
  PictureDigest(picture);
  if (replayPath != nullptr && !StartReplay(replayPath, picture)) return false;
  if (recordPath != nullptr) {
    runs.recordPath = recordPath;
    RunRecorderStart(&runs.recorder, runs.seed, picture);
  }
  return true;
}

int SdlRunsPass(HostEvent* events, int count) {
  count = RunPlayerPass(&runs.player, events, count);
  count = RunRecorderPass(&runs.recorder, events, count);
  if (runs.recorder.notice != nullptr) {
    std::fprintf(stderr, "vorn: %s\n", runs.recorder.notice);
    runs.recorder.notice = nullptr;
  }
  return count;
}

bool SdlRunsReplaying() { return runs.player.run != nullptr; }

std::int64_t SdlRunsSeed() { return runs.seed; }

bool SdlRunsFinish() {
  runs.player.run = nullptr;
  if (runs.recordPath.empty()) return true;
  RunFile run;
  if (!RunRecorderFinish(&runs.recorder, &run)) {
    std::fprintf(stderr, "vorn: --record: nothing to write, the demo drew no frame\n");
    return false;
  }
  std::string error;
  if (!RunFileWrite(run, runs.recordPath.c_str(), &error)) {
    std::fprintf(stderr, "vorn: --record: %s\n", error.c_str());
    return false;
  }
  return true;
}
