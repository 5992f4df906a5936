#include "sdl_runs.h"

#include <SDL.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "run_player.h"
#include "sdl_screen.h"

namespace {

// How often, at most, the window's title follows the frames shown.
constexpr Uint64 kTitleEveryMs = 200;

struct SdlRuns {
  RunRecorder recorder;
  RunPlayer player;
  RunFile played;
  std::string recordPath;
  std::int64_t seed = 0;
  Uint64 titleAt = 0;
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
  if (!RunPlayable(runs.played, picture, &samePicture, why)) {
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

// The position in the window's title while a run plays, at once or when
// it was last named a while ago; nothing once no run plays.
void ShowPosition(bool now) {
  const Uint64 at = SDL_GetTicks64();
  if (!now && at - runs.titleAt < kTitleEveryMs) return;
  runs.titleAt = at;
  char note[96] = "";
  if (RunPlayerReplaying(runs.player)) {
    std::snprintf(note, sizeof note, ": ");
    RunPlayerPositionText(runs.player, note + 2, sizeof note - 2);
  }
  SdlScreenSetTitleNote(note);
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
    if (replayPath != nullptr)
      RunRecorderRestart(&runs.recorder, runs.played);
    else
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

bool SdlRunsReplaying() { return RunPlayerReplaying(runs.player); }

RunKeyEffect SdlRunsKey(int key) {
  const RunKeyEffect effect = RunPlayerKey(&runs.player, key);
  if (effect != RunKeyEffect::Ignored) ShowPosition(true);
  return effect;
}

void SdlRunsPausing() {
  RunPlayerPausing(&runs.player);
  ShowPosition(true);
}

bool SdlRunsTakePause() { return RunPlayerTakePause(&runs.player); }

bool SdlRunsShows() {
  const bool landing = RunPlayerBusy(runs.player);
  if (!RunPlayerShows(&runs.player, std::int64_t(SDL_GetTicks64()))) return false;
  if (RunPlayerReplaying(runs.player)) ShowPosition(landing);
  return true;
}

std::uint32_t SdlRunsSleepMs(std::uint32_t milliseconds) {
  return RunPlayerSleepMs(&runs.player, milliseconds, std::int64_t(SDL_GetTicks64()));
}

bool SdlRunsBusy() { return RunPlayerBusy(runs.player); }

bool SdlRunsRestarting() { return RunPlayerRestarting(runs.player); }

void SdlRunsRestart() {
  RunPlayerRestart(&runs.player);
  if (!runs.recordPath.empty()) RunRecorderRestart(&runs.recorder, runs.played);
}

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
