#include "run_recorder.h"

#include <cstdio>
#include <cstring>

#include "run_player.h"

namespace {

bool IsKeyReport(HostEventKind kind) {
  return kind == HostEventKind::KeyDown || kind == HostEventKind::KeyUp ||
         kind == HostEventKind::AllKeysReleased;
}

// Removes the events drop() picks, keeping the others in order.
template <typename Drop>
int Keep(HostEvent* events, int count, Drop drop) {
  int kept = 0;
  for (int i = 0; i < count; ++i)
    if (!drop(events[i])) events[kept++] = events[i];
  return kept;
}

// After the first quit request the window is already closing: a second
// would only cost the program a pass, which a replay could not repeat.
int DropRepeatedQuit(bool* quitHandedOut, HostEvent* events, int count) {
  return Keep(events, count, [quitHandedOut](const HostEvent& event) {
    if (event.kind != HostEventKind::QuitRequested) return false;
    const bool repeated = *quitHandedOut;
    *quitHandedOut = true;
    return repeated;
  });
}

bool RunEverQuitsByKey(const RunFile& run) {
  const unsigned quitKeys = HeldKeyBit(VK_ESCAPE) | HeldKeyBit(VK_SPACE);
  for (std::uint8_t keys : run.keys)
    if ((keys & quitKeys) != 0) return true;
  return false;
}

}  // namespace

void RunRecorderStart(RunRecorder* recorder, std::int64_t seed,
                      const std::uint8_t picture[SHA256_BYTES]) {
  *recorder = RunRecorder();
  recorder->on = true;
  recorder->run.generator = RunGeneratorName();
  recorder->run.seed = seed;
  std::memcpy(recorder->run.picture, picture, SHA256_BYTES);
  recorder->run.keys.reserve(RUN_MAX_FRAMES);
}

int RunRecorderPass(RunRecorder* recorder, HostEvent* events, int count) {
  if (!recorder->on) return count;
  count = DropRepeatedQuit(&recorder->quitHandedOut, events, count);
  ++recorder->passes;
  for (int i = 0; i < count; ++i) {
    const HostEvent& event = events[i];
    if (event.kind == HostEventKind::QuitRequested && recorder->run.closeFrame == 0 &&
        !recorder->full)
      recorder->run.closeFrame = recorder->passes;
    if (event.kind == HostEventKind::AllKeysReleased) recorder->held = 0;
    if (event.kind == HostEventKind::KeyDown) recorder->held |= HeldKeyBit(event.virtualKey);
    if (event.kind == HostEventKind::KeyUp) recorder->held &= ~HeldKeyBit(event.virtualKey);
  }
  if (recorder->run.keys.size() < std::size_t(RUN_MAX_FRAMES)) {
    recorder->run.keys.push_back(std::uint8_t(recorder->held));
  } else if (!recorder->full) {
    recorder->full = true;
    recorder->notice = "the run reached 1,000,000 frames: its recording stops here";
  }
  return count;
}

bool RunRecorderFinish(RunRecorder* recorder, RunFile* run) {
  if (!recorder->on) return false;
  recorder->on = false;
  // The last pass fetched WM_QUIT and drew nothing.
  if (!recorder->full && !recorder->run.keys.empty()) recorder->run.keys.pop_back();
  if (recorder->run.keys.empty()) return false;
  if (recorder->run.closeFrame > int(recorder->run.keys.size())) recorder->run.closeFrame = 0;
  *run = recorder->run;
  return true;
}

bool RunRecorderSoFar(const RunRecorder& recorder, int frames, RunFile* run) {
  if (frames <= 0 || std::size_t(frames) > recorder.run.keys.size()) return false;
  run->generator = recorder.run.generator;
  run->seed = recorder.run.seed;
  std::memcpy(run->picture, recorder.run.picture, SHA256_BYTES);
  run->closeFrame = recorder.run.closeFrame <= frames ? recorder.run.closeFrame : 0;
  run->keys.assign(recorder.run.keys.begin(), recorder.run.keys.begin() + frames);
  return true;
}

bool RunPlayable(const RunFile& run, const std::uint8_t picture[SHA256_BYTES], bool* samePicture,
                 char error[RUN_ERROR_SIZE]) {
  *samePicture = std::memcmp(run.picture, picture, SHA256_BYTES) == 0;
  const char* here = RunGeneratorName();
  if (run.generator == here) return true;
  std::snprintf(error, RUN_ERROR_SIZE,
                "made with %s's random numbers, and this program draws %s's: it would be "
                "another run",
                run.generator.c_str(), here);
  return false;
}

void RunPlayerStart(RunPlayer* player, const RunFile* run) {
  *player = RunPlayer();
  player->run = run;
  player->speed = RUN_SPEED_NORMAL;
}

int RunPlayerPass(RunPlayer* player, HostEvent* events, int count) {
  if (player->run == nullptr) return count;
  const int frame = ++player->passes;
  count = Keep(events, count, [](const HostEvent& event) { return IsKeyReport(event.kind); });
  if (player->restarting || (player->takingOver && player->target == 0))
    return RunPlayerPassAside(player, events, count);
  const unsigned keys = RunPlayerKeysAt(*player->run, frame);
  count += HeldKeysReportChange(player->held, keys, events + count);
  player->held = keys;
  if (RunPlayerQuitsAt(*player->run, frame)) events[count++] = {HostEventKind::QuitRequested, 0};
  return DropRepeatedQuit(&player->quitHandedOut, events, count);
}

unsigned RunPlayerKeysAt(const RunFile& run, int frame) {
  if (frame < 1 || std::size_t(frame) > run.keys.size()) return 0;
  return run.keys[std::size_t(frame - 1)];
}

bool RunPlayerQuitsAt(const RunFile& run, int frame) {
  if (run.closeFrame > 0) return frame == run.closeFrame;
  return std::size_t(frame) == run.keys.size() && !RunEverQuitsByKey(run);
}

bool RunPictureDigest(const char* programDirectory, const char* dataDirectory,
                      std::uint8_t digest[SHA256_BYTES]) {
  const char* folders[] = {programDirectory, dataDirectory};
  char path[4200];
  for (const char* folder : folders) {
    if (folder == nullptr || folder[0] == '\0') continue;
    const int length = std::snprintf(path, sizeof path, "%s/ROCK8.BMP", folder);
    if (length > 0 && std::size_t(length) < sizeof path && Sha256File(path, digest)) return true;
  }
  return Sha256File("ROCK8.BMP", digest);
}
