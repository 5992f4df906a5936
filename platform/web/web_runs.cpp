#include "web_runs.h"

#include <emscripten.h>

#include <algorithm>
#include <ctime>
#include <string>

#include "run_recorder.h"

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
      !RunPlayable(runs.played, picture, &samePicture, error) ||
      !RunGeneratorUse(runs.played.generator, error)) {
    WebRunRefused(error);
    return false;
  }
  RunPlayerStart(&runs.player, &runs.played);
  runs.seed = runs.played.seed;
  WebRunPlaying(int(runs.played.keys.size()), samePicture ? 1 : 0);
  return true;
}

}  // namespace

// The page writes the picture before the program starts; a page without
// one still records (the program then refuses to start anyway).
bool WebRunsStart() {
  runs.seed = static_cast<std::int64_t>(std::time(nullptr));
  std::uint8_t picture[SHA256_BYTES] = {};
  RunPictureDigest(HostProgramDirectory(), HostDataDirectory(), picture);
  if (!StartPlaying(picture)) return false;
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

void WebRunsFrameShown() { runs.shownPass = runs.recorder.passes; }

bool WebRunsReplaying() { return runs.player.run != nullptr; }

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
