#include "web_runs.h"

#include <emscripten.h>

#include <algorithm>
#include <ctime>
#include <string>

#include "run_player.h"
#include "web_pause.h"

namespace {

struct WebRuns {
  RunRecorder recorder;
  RunPlayer player;
  RunFile played;
  std::int64_t seed = 0;
  int shownPass = 0;  // the pass whose frame the canvas shows
};

WebRuns runs;

// The length of the run the page gave to play (Module.vornRunBytes), or -1
// when it gave none.
EM_JS(int, WebRunGivenLength, (), {
  const bytes = Module["vornRunBytes"];
  return bytes instanceof Uint8Array ? bytes.length : -1;
});

// Copies the run's bytes to `to` (room for WebRunGivenLength) and lets the
// page's copy go.
EM_JS(void, WebRunTakeGiven, (char* to), {
  HEAPU8.set(Module["vornRunBytes"], to);
  Module["vornRunBytes"] = null;
});

EM_JS(void, WebRunRefused, (const char* line), {
  if (Module["onVornRunRefused"]) Module["onVornRunRefused"](UTF8ToString(line));
});

EM_JS(void, WebRunPlaying, (int frames, int samePicture), {
  if (Module["onVornRunPlaying"]) Module["onVornRunPlaying"](frames, samePicture !== 0);
});

EM_JS(void, WebRunShared, (const char* text, int frames), {
  Module["vornSharedRun"] = {text: UTF8ToString(text), frames: frames};
});

// The position, speed and whether a seek is under way, after every frame a
// replay shows and every control the user works; frames 0 once the user
// took over.
EM_JS(void, WebRunPlayerTell, (int frame, int frames, int speed, int busy), {
  if (Module["onVornPlayer"]) Module["onVornPlayer"](frame, frames, speed, busy !== 0);
});

EM_JS(void, WebRunNotice, (const char* line), {
  if (Module["onVornRunNotice"]) Module["onVornRunNotice"](UTF8ToString(line));
});

// The run the page gave, read and checked by the one reader; nothing to do
// when it gave none.
bool StartPlaying(const std::uint8_t picture[SHA256_BYTES]) {
  const int length = WebRunGivenLength();
  if (length < 0) return true;
  std::string text(std::size_t(length), '\0');
  if (length > 0) WebRunTakeGiven(text.data());
  char error[RUN_ERROR_SIZE];
  bool samePicture = true;
  if (!RunFileRead(text.data(), text.size(), &runs.played, error) ||
      !RunPlayable(runs.played, picture, &samePicture, error)) {
    WebRunRefused(error);
    return false;
  }
  RunPlayerStart(&runs.player, &runs.played);
  runs.seed = runs.played.seed;
  WebRunPlaying(int(runs.played.keys.size()), samePicture ? 1 : 0);
  return true;
}

void TellPlayer() {
  const RunPlayer& player = runs.player;
  const int frames = RunPlayerReplaying(player) ? int(player.run->keys.size()) : 0;
  WebRunPlayerTell(RunPlayerPosition(player), frames, player.speed, RunPlayerBusy(player) ? 1 : 0);
}

// A control worked while paused needs the program to run until it lands.
void AfterControl() {
  if (RunPlayerBusy(runs.player)) WebPauseNudge();
  TellPlayer();
}

}  // namespace

// The page writes the picture before the program starts; a page without
// one still records (the program then refuses to start anyway). A replay
// records what it plays, so that a take-over's run begins with it.
bool WebRunsStart() {
  runs.seed = static_cast<std::int64_t>(std::time(nullptr));
  std::uint8_t picture[SHA256_BYTES] = {};
  RunPictureDigest(HostProgramDirectory(), HostDataDirectory(), picture);
  if (!StartPlaying(picture)) return false;
  if (runs.player.run != nullptr)
    RunRecorderRestart(&runs.recorder, runs.played);
  else
    RunRecorderStart(&runs.recorder, runs.seed, picture);
  return true;
}

int WebRunsPass(HostEvent* events, int count) {
  count = RunPlayerPass(&runs.player, events, count);
  count = RunRecorderPass(&runs.recorder, events, count);
  if (runs.recorder.notice != nullptr) {
    WebRunNotice(runs.recorder.notice);
    runs.recorder.notice = nullptr;
  }
  return count;
}

void WebRunsFrameShown() {
  runs.shownPass = runs.recorder.passes;
  if (RunPlayerReplaying(runs.player)) TellPlayer();
}

bool WebRunsReplaying() { return RunPlayerReplaying(runs.player); }

bool WebRunsShows() {
  return RunPlayerShows(&runs.player, std::int64_t(emscripten_get_now()));
}

std::uint32_t WebRunsSleepMs(std::uint32_t milliseconds) {
  return RunPlayerSleepMs(&runs.player, milliseconds, std::int64_t(emscripten_get_now()));
}

bool WebRunsBusy() { return RunPlayerBusy(runs.player); }

void WebRunsPausing() {
  RunPlayerPausing(&runs.player);
  AfterControl();
}

bool WebRunsTakePause() { return RunPlayerTakePause(&runs.player); }

bool WebRunsRestarting() { return RunPlayerRestarting(runs.player); }

void WebRunsRestart() {
  RunPlayerRestart(&runs.player);
  RunRecorderRestart(&runs.recorder, runs.played);
}

std::int64_t WebRunsSeed() { return runs.seed; }

// Called by the page's "Share this run" (Module._vorn_web_share_run), also
// after the run ended: puts the run up to the frame the canvas shows in
// Module.vornSharedRun as {text, frames}. Returns the frames, or 0 when no
// frame was shown yet.
extern "C" EMSCRIPTEN_KEEPALIVE int vorn_web_share_run() {
  const int frames = std::min(runs.shownPass, int(runs.recorder.run.keys.size()));
  RunFile run;
  if (!RunRecorderSoFar(runs.recorder, frames, &run)) return 0;
  WebRunShared(RunFileText(run).c_str(), frames);
  return frames;
}

// Called by the page's player controls and keys (Module._vorn_web_player_key):
// one of RunPlayerKey's keys. A step pauses first.
extern "C" EMSCRIPTEN_KEEPALIVE void vorn_web_player_key(int key) {
  if (RunPlayerKey(&runs.player, key) == RunKeyEffect::TakenPaused && !WebPaused())
    WebPauseToggle();
  AfterControl();
}

// Called by the page's Position (Module._vorn_web_player_seek): the frame
// to show; any number is taken, clamped to the run.
extern "C" EMSCRIPTEN_KEEPALIVE void vorn_web_player_seek(int frame) {
  RunPlayerSeek(&runs.player, frame);
  AfterControl();
}
