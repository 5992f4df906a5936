// vorn-capture: runs the demo's own code (WinMain and everything under it)
// on the headless host and writes every frame it presents. See --help.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "capture_options.h"
#include "capture_progress.h"
#include "frame_bmp.h"
#include "gif_movie.h"
#include "headless.h"
#include "platform.h"
#include "program_folder.h"
#include "run_recorder.h"
#include "video_movie.h"

namespace {

namespace fs = std::filesystem;

const int kExitUsage = 2;
const int kExitOutput = 3;

const int kQuitKeys[] = {VK_ESCAPE, VK_SPACE};
const int kSteeringKeys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN};

struct Capture {
  CaptureOptions options;
  std::string imageFolder;  // private folder holding a copy of --image, or empty
  GifMovie movie;
  VideoMovie video;
  CaptureProgress progress;
  int written = 0;
  bool writeFailed = false;
};

// A copy, not a link: the program's own lookup falls back to the current
// folder when the file beside it cannot be opened, and a dangling link
// would quietly let another ROCK8.BMP in.
bool PrepareImageFolder(Capture* capture) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
                        "/vorn-capture-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return false;
  capture->imageFolder = pattern;
  std::error_code error;
  fs::copy_file(capture->options.imagePath, fs::path(pattern) / "ROCK8.BMP",
                fs::copy_options::overwrite_existing, error);
  return !error;
}

void RemoveImageFolder(Capture* capture) {
  if (capture->imageFolder.empty()) return;
  std::error_code error;
  fs::remove_all(capture->imageFolder, error);
  capture->imageFolder.clear();
}

bool PrepareOutputs(Capture* capture) {
  const CaptureOptions& options = capture->options;
  std::error_code error;
  if (!options.outDirectory.empty()) {
    fs::create_directories(options.outDirectory, error);
    if (error || !fs::is_directory(options.outDirectory)) {
      std::fprintf(stderr, "vorn-capture: --out: cannot make the folder '%s'\n",
                   options.outDirectory.c_str());
      return false;
    }
  }
  if (!options.gifPath.empty() && !GifMovieOpen(&capture->movie, options.gifPath.c_str())) {
    std::fprintf(stderr, "vorn-capture: --gif: cannot write '%s'\n", options.gifPath.c_str());
    return false;
  }
  if (!options.videoPath.empty() && !VideoMovieOpen(&capture->video, options.videoPath.c_str())) {
    std::fprintf(stderr, "vorn-capture: --video: %s\n", capture->video.why.c_str());
    return false;
  }
  return true;
}

bool ScriptHolds(const Capture& capture, int key, int pass) {
  return (RunKeysHeldIn(capture.options.keys, pass) & HeldKeyBit(key)) != 0;
}

// The first frame in which the script holds a quit key, or 0.
int FirstQuitFrame(const Capture& capture) {
  int first = 0;
  for (const RunKeyRange& range : capture.options.keys) {
    const bool quits = range.virtualKey == VK_ESCAPE || range.virtualKey == VK_SPACE;
    if (quits && (first == 0 || range.first < first)) first = range.first;
  }
  return first;
}

// Before each pass's queue is looked at: pass k runs frame k. The quit keys
// are never left held into the last frame, and Escape in frame N-1 makes
// frame N the last (the next pass fetches WM_DESTROY and still draws).
void SetKeysForPass(const Capture& capture, int pass) {
  const int last = capture.options.frames;
  for (int key : kSteeringKeys) HeadlessHoldKey(key, ScriptHolds(capture, key, pass));
  for (int key : kQuitKeys) {
    bool held = pass < last && ScriptHolds(capture, key, pass);
    if (key == VK_ESCAPE && pass == last - 1) held = true;
    HeadlessHoldKey(key, held);
  }
  // No frame before the first to hold Escape in: the quit request the key
  // would post is posted directly, so the first pass fetches it.
  if (last == 1 && pass == 1) HeadlessPostToMainWindow(WM_DESTROY, 0, 0);
}

// A run's keys as the player hands them to a host, and its end where it
// ended when it was recorded.
void SetRunKeysForPass(const RunFile& run, int pass) {
  const unsigned keys = RunPlayerKeysAt(run, pass);
  for (int key : kQuitKeys) HeadlessHoldKey(key, (keys & HeldKeyBit(key)) != 0);
  for (int key : kSteeringKeys) HeadlessHoldKey(key, (keys & HeldKeyBit(key)) != 0);
  if (RunPlayerQuitsAt(run, pass)) HeadlessRequestClose();
}

void SaveFrame(Capture* capture, const HeadlessFrame& frame) {
  if (capture->written == capture->options.frames) return;
  int number = ++capture->written;
  const CaptureOptions& options = capture->options;
  if (!options.outDirectory.empty() && !capture->writeFailed) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%04d.bmp", number);
    std::string path = (fs::path(options.outDirectory) / name).string();
    if (!FrameBmpWrite(frame, path.c_str())) {
      CaptureProgressClear(&capture->progress);
      std::fprintf(stderr, "vorn-capture: cannot write '%s'\n", path.c_str());
      capture->writeFailed = true;
    }
  }
  if (!options.gifPath.empty()) GifMovieAddFrame(&capture->movie, frame);
  if (!options.videoPath.empty()) VideoMovieAddFrame(&capture->video, frame);
  CaptureProgressFrame(&capture->progress, number);
}

HeadlessResult RunProgram(Capture* capture, const std::string& toolDirectory) {
  HeadlessConfig config;
  config.calendarSeconds = capture->options.seed;
  config.programDirectory =
      capture->imageFolder.empty() ? toolDirectory : capture->imageFolder;
  // An installed tool finds the picture where the installed demo does.
  if (capture->imageFolder.empty() && !toolDirectory.empty())
    config.dataDirectory = toolDirectory + "/" + VORN_DATA_FROM_PROGRAM;
  config.keepFrames = false;
  // The WM_QUIT pass comes right after frame N: a program that is still
  // running then has not ended as it should.
  config.maxPasses = capture->options.frames + 1;
  if (!capture->options.runPath.empty())
    config.onPass = [capture](int pass) { SetRunKeysForPass(capture->options.run, pass); };
  else
    config.onPass = [capture](int pass) { SetKeysForPass(*capture, pass); };
  config.onPresent = [capture](const HeadlessFrame& frame) { SaveFrame(capture, frame); };
  CaptureProgressStart(&capture->progress, capture->options.frames);
  return HeadlessRun(config);
}

// What the summary line names after the frames: each file with its size.
std::string OutputsWritten(const CaptureOptions& options) {
  std::string text;
  for (const std::string* path : {&options.gifPath, &options.videoPath}) {
    std::error_code error;
    const std::uintmax_t bytes = path->empty() ? 0 : fs::file_size(*path, error);
    if (path->empty() || error) continue;
    char size[32];
    std::snprintf(size, sizeof size, " (%.1f MB)", bytes / 1e6);
    text += (text.empty() ? ": " : ", ") + *path + size;
  }
  if (!options.outDirectory.empty()) text += (text.empty() ? ": " : ", ") + options.outDirectory + "/";
  return text;
}

// The program's own exit code, unless the tool's part went wrong.
int Finish(Capture* capture, const HeadlessResult& result) {
  // A failed or incomplete output leaves its target as it was.
  const bool gifComplete = capture->options.gifPath.empty() || GifMovieClose(&capture->movie);
  const bool videoComplete =
      capture->options.videoPath.empty() || VideoMovieClose(&capture->video);
  CaptureProgressClear(&capture->progress);
  for (const std::string& line : result.debugTexts) std::fprintf(stderr, "%s\n", line.c_str());
  if (result.hung) {
    std::fprintf(stderr, "vorn-capture: the demo did not quit after frame %d\n",
                 capture->options.frames);
    return kExitOutput;
  }
  if (capture->writeFailed || (capture->written > 0 && (!gifComplete || !videoComplete))) {
    if (!gifComplete)
      std::fprintf(stderr, "vorn-capture: --gif: '%s' could not be written\n",
                   capture->options.gifPath.c_str());
    if (!videoComplete)
      std::fprintf(stderr, "vorn-capture: --video: %s\n", capture->video.why.c_str());
    return kExitOutput;
  }
  if (result.exitCode == 0 && capture->written < capture->options.frames) {
    int quitFrame = FirstQuitFrame(*capture);
    std::fprintf(stderr, "vorn-capture: note: the demo quit after %d of %d frames%s\n",
                 capture->written, capture->options.frames,
                 quitFrame > 0 ? " (the key script holds escape or space)" : "");
  }
  if (result.exitCode == 0)
    CaptureProgressSummary(&capture->progress, capture->written,
                           OutputsWritten(capture->options).c_str());
  return result.exitCode;
}

}  // namespace

// A run draws the random numbers it was made with, whatever this tool's C
// library draws; over another picture it plays with a note. Its seed and
// length become the options'. Without a run, --generator chooses.
bool TakeRun(Capture* capture, const std::string& toolDirectory) {
  CaptureOptions& options = capture->options;
  char why[RUN_ERROR_SIZE];
  if (options.runPath.empty()) {
    if (options.generator.empty() || RunGeneratorUse(options.generator, why)) return true;
    std::fprintf(stderr, "vorn-capture: --generator: %s\n", why);
    return false;
  }
  std::uint8_t picture[SHA256_BYTES] = {};
  if (!options.imagePath.empty()) {
    Sha256File(options.imagePath.c_str(), picture);
  } else {
    const std::string data =
        toolDirectory.empty() ? "" : toolDirectory + "/" + VORN_DATA_FROM_PROGRAM;
    RunPictureDigest(toolDirectory.c_str(), data.c_str(), picture);
  }
  bool samePicture = true;
  if (!RunPlayable(options.run, picture, &samePicture, why) ||
      !RunGeneratorUse(options.run.generator, why)) {
    std::fprintf(stderr, "vorn-capture: --run '%s': %s\n", options.runPath.c_str(), why);
    return false;
  }
  if (!samePicture)
    std::fprintf(stderr,
                 "vorn-capture: note: --run '%s' was made with another ROCK8.BMP; it plays with "
                 "this one (the motion is the same, the pictures differ)\n",
                 options.runPath.c_str());
  options.seed = options.run.seed;
  options.frames = int(options.run.keys.size());
  return true;
}

int main(int argc, char** argv) {
  static Capture capture;
  std::string error;
  if (!CaptureOptionsParse(&capture.options, argc, argv, &error)) {
    std::fprintf(stderr, "vorn-capture: %s (%s)\n", error.c_str(), CaptureUsageLine());
    return kExitUsage;
  }
  if (capture.options.help) {
    CapturePrintHelp(stdout);
    return 0;
  }
  const std::string toolDirectory = ProgramFolder(argv[0]);
  if (!TakeRun(&capture, toolDirectory)) return kExitUsage;
  if (!capture.options.imagePath.empty() && !PrepareImageFolder(&capture)) {
    std::fprintf(stderr, "vorn-capture: --image: cannot read '%s' (%s)\n",
                 capture.options.imagePath.c_str(), CaptureUsageLine());
    RemoveImageFolder(&capture);
    return kExitUsage;
  }
  if (!PrepareOutputs(&capture)) {
    RemoveImageFolder(&capture);
    if (!capture.options.gifPath.empty()) GifMovieClose(&capture.movie);
    if (!capture.options.videoPath.empty()) VideoMovieClose(&capture.video);
    return kExitOutput;
  }
  HeadlessResult result = RunProgram(&capture, toolDirectory);
  RemoveImageFolder(&capture);
  return Finish(&capture, result);
}
