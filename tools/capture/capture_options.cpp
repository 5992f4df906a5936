#include "capture_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "rand_generators.h"
#include "video_movie.h"

namespace {

enum OptionId { OPTION_SEED, OPTION_FRAMES, OPTION_KEYS, OPTION_RUN, OPTION_IMAGE, OPTION_OUT,
                OPTION_GIF, OPTION_VIDEO, OPTION_GENERATOR, OPTION_COUNT };

const char* const kOptionNames[OPTION_COUNT] = {"--seed", "--frames", "--keys",
                                                "--run",  "--image",  "--out",
                                                "--gif",  "--video",  "--generator"};

int OptionByName(const char* name) {
  for (int i = 0; i < OPTION_COUNT; ++i)
    if (std::strcmp(kOptionNames[i], name) == 0 && (i != OPTION_VIDEO || VideoMovieOffered()))
      return i;
  return -1;
}

// Digits only, within [low, high].
bool ParseWhole(const char* text, long long low, long long high, long long* value) {
  if (*text < '0' || *text > '9') return false;
  char* end = nullptr;
  errno = 0;
  long long parsed = std::strtoll(text, &end, 10);
  if (errno == ERANGE || *end != '\0' || parsed < low || parsed > high) return false;
  *value = parsed;
  return true;
}

bool Fail(std::string* error, const std::string& text) {
  *error = text;
  return false;
}

bool TakeValue(CaptureOptions* options, int id, const char* value, std::string* error) {
  long long number = 0;
  switch (id) {
    case OPTION_SEED:
      if (!ParseWhole(value, 0, 4294967295LL, &number))
        return Fail(error, std::string("--seed '") + value +
                               "': a whole number of seconds, 0 to 4294967295");
      options->seed = number;
      return true;
    case OPTION_FRAMES:
      if (!ParseWhole(value, 1, CAPTURE_MAX_FRAMES, &number))
        return Fail(error, std::string("--frames '") + value + "': a whole number, 1 to " +
                               std::to_string(CAPTURE_MAX_FRAMES));
      options->frames = static_cast<int>(number);
      return true;
    case OPTION_KEYS: {
      char why[RUN_ERROR_SIZE] = "";
      if (!RunKeysParse(value, std::strlen(value), &options->keys, why))
        return Fail(error, std::string("--keys: ") + why);
      return true;
    }
    case OPTION_GENERATOR: {
      RandKind kind;
      if (!RandKindByName(value, &kind))
        return Fail(error, std::string("--generator '") + value +
                               "': not a known generator (known: " + RandKnownNames() + ")");
      options->generator = value;
      return true;
    }
    case OPTION_RUN: {
      std::string why;
      if (*value == '\0') return Fail(error, "--run: an empty path");
      if (!RunFileLoad(value, &options->run, &why)) return Fail(error, "--run: " + why);
      options->runPath = value;
      return true;
    }
    default: {
      std::string* target = id == OPTION_IMAGE ? &options->imagePath
                            : id == OPTION_OUT ? &options->outDirectory
                            : id == OPTION_GIF ? &options->gifPath
                                               : &options->videoPath;
      if (*value == '\0') return Fail(error, std::string(kOptionNames[id]) + ": an empty path");
      if (id == OPTION_VIDEO && !VideoMovieKnowsPath(value))
        return Fail(error, std::string("--video '") + value + "': a .mp4 or .webm file");
      *target = value;
      return true;
    }
  }
}

}  // namespace

bool CaptureOptionsParse(CaptureOptions* options, int argc, char** argv, std::string* error) {
  bool given[OPTION_COUNT] = {};
  for (int i = 1; i < argc; ++i) {
    const char* name = argv[i];
    if (std::strcmp(name, "--help") == 0 || std::strcmp(name, "-h") == 0) {
      options->help = true;
      continue;
    }
    int id = OptionByName(name);
    if (id < 0) return Fail(error, std::string("unknown option '") + name + "'");
    if (given[id]) return Fail(error, std::string(name) + " is given twice");
    if (i + 1 >= argc) return Fail(error, std::string(name) + " needs a value");
    given[id] = true;
    if (!TakeValue(options, id, argv[++i], error)) return false;
  }
  // A run is its own generator, seed, length and keys.
  if (given[OPTION_RUN] && (given[OPTION_SEED] || given[OPTION_FRAMES] || given[OPTION_KEYS] ||
                            given[OPTION_GENERATOR]))
    return Fail(error, "--run holds its own generator, seed, frames and keys: --generator, "
                       "--seed, --frames and --keys cannot be added to it");
  return true;
}

const char* CaptureUsageLine() {
  if (VideoMovieOffered())
    return "usage: vorn-capture [--seed N] [--frames N] [--keys SCRIPT] "
           "[--generator NAME | --run FILE] [--image PATH] [--out DIR] [--gif PATH] [--video PATH]";
  return "usage: vorn-capture [--seed N] [--frames N] [--keys SCRIPT] "
         "[--generator NAME | --run FILE] [--image PATH] [--out DIR] [--gif PATH]";
}

void CapturePrintHelp(std::FILE* out) {
  std::fprintf(out, "%s\n\n", CaptureUsageLine());
  std::fputs(
      "Runs the demo's own code without a screen and writes every frame it presents.\n"
      "\n"
      "  --seed N       calendar time in seconds the demo seeds its random draws with\n"
      "                 at start-up, 0 to 4294967295 (default 1)\n"
      "  --frames N     exactly N frames are presented, 1 to 9999 (default 100); the\n"
      "                 run ends through the demo's own quit path: Escape is held in\n"
      "                 frame N-1, so frame N is the last; for N = 1 a WM_DESTROY is\n"
      "                 posted to the main window before the first frame instead\n"
      "  --keys SCRIPT  keys held per frame, comma-separated KEY@FIRST-LAST or\n"
      "                 KEY@FRAME; frames count from 1, one per frame step; keys:\n"
      "                 left, right, up, down, escape, space\n"
      "                 e.g. left@10-30,down@40-60\n"
      "                 Escape or Space quits the demo as it would for a user: the\n"
      "                 first frame after a stretch of frames holding them is the\n"
      "                 last, so fewer than N frames are written (a note says so);\n"
      "                 they are never held in frame N or later\n"
      "  --generator NAME\n"
      "                 whose random numbers the demo draws: glibc (as the Linux\n"
      "                 programs do), musl (as the page does) or msvcrt (as the\n"
      "                 Windows program does); default: this tool's own C library's\n"
      "  --run FILE     play a run recorded by vorn --record or in the page (or\n"
      "                 written by hand): its generator, seed, frames and keys,\n"
      "                 with no limit on the frames (so none of those four options\n"
      "                 can be added); one made with another picture plays with a\n"
      "                 note\n"
      "  --image PATH   use this picture instead of ROCK8.BMP, which is otherwise\n"
      "                 looked up beside this tool, then in ../share/vorn from\n"
      "                 there (where it is installed), then in the current folder\n"
      "                 (a copy named ROCK8.BMP in a private temporary folder\n"
      "                 stands beside the demo for the run)\n"
      "  --out DIR      write each frame as DIR/frame-NNNN.bmp from 0001: 8-bit\n"
      "                 640 x 480, colour table = the palette of that present,\n"
      "                 pixel indices as presented (DIR is made if missing)\n"
      "  --gif PATH     also write an animated GIF, looping, of the frames at the\n"
      "                 demo's pace: 30 ms pause plus the wait for the next vertical\n"
      "                 blank at 60 Hz is two blanks, 1/30 s a frame; GIF delays are\n"
      "                 whole hundredths, so they run 3, 3, 4 hundredths\n",
      out);
  if (VideoMovieOffered())
    std::fputs(
        "  --video PATH   also write a video of the frames at exactly 30 a second,\n"
        "                 by PATH's extension: .mp4 is H.264 (plays nearly\n"
        "                 everywhere), .webm is AV1 (Chrome, Edge and Firefox play\n"
        "                 it, Safari where the device decodes AV1); made under a\n"
        "                 temporary name beside PATH, which is only replaced once\n"
        "                 the video is whole\n",
        out);
  std::fputs(
      "  --help         this text\n"
      "\n"
      "Exit code: the demo's own (0 after its quit, 1 when its start-up failed, with\n"
      "its reason on standard error); 2 for bad options or a run file that cannot be\n"
      "played (one line on standard error);\n"
      "3 when the frames cannot be written or the demo did not end as expected.\n",
      out);
}
