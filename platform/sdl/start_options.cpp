#include "start_options.h"

#include <sys/stat.h>

#include <cstring>

namespace {

bool Fail(std::string* error, const std::string& text) {
  *error = text;
  return false;
}

// --shots DIR or --shots=DIR; the folder must exist now, so that a typo is
// caught before the demo starts rather than at the first screenshot.
bool TakeShotsFolder(StartOptions* options, const char* value, std::string* error) {
  if (value == nullptr) return Fail(error, "--shots needs a folder");
  if (*value == '\0') return Fail(error, "--shots: an empty folder name");
  struct stat status;
  if (stat(value, &status) != 0 || !S_ISDIR(status.st_mode))
    return Fail(error, std::string("--shots '") + value + "': no such folder");
  options->shotsFolder = value;
  return true;
}

// --record FILE: the folder it goes to must exist now, so that an hour's
// run is not lost to a typo; the file itself is written when the run ends.
bool TakeRecordPath(StartOptions* options, const char* value, std::string* error) {
  if (value == nullptr) return Fail(error, "--record needs a file");
  if (*value == '\0') return Fail(error, "--record: an empty file name");
  std::string folder = value;
  const std::size_t slash = folder.rfind('/');
  folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
  struct stat status;
  if (stat(value, &status) == 0 && S_ISDIR(status.st_mode))
    return Fail(error, std::string("--record '") + value + "': a folder, not a file");
  if (stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
    return Fail(error, std::string("--record '") + value + "': no such folder");
  options->recordPath = value;
  return true;
}

bool TakeReplayPath(StartOptions* options, const char* value, std::string* error) {
  if (value == nullptr) return Fail(error, "--replay needs a run file");
  if (*value == '\0') return Fail(error, "--replay: an empty file name");
  options->replayPath = value;
  return true;
}

// --NAME VALUE or --NAME=VALUE, each at most once: true when argument is
// such an option (taken, or failed with error set).
bool TakeValueOption(const char* name, int argc, char** argv, int* i, bool* given,
                     bool (*take)(StartOptions*, const char*, std::string*), StartOptions* options,
                     bool* failed, std::string* error) {
  const std::size_t length = std::strlen(name);
  const char* argument = argv[*i];
  const bool joined = std::strncmp(argument, name, length) == 0 && argument[length] == '=';
  if (!joined && std::strcmp(argument, name) != 0) return false;
  if (*given) {
    *failed = !Fail(error, std::string(name) + " is given twice");
    return true;
  }
  *given = true;
  const char* value = joined ? argument + length + 1 : (*i + 1 < argc ? argv[++*i] : nullptr);
  *failed = !take(options, value, error);
  return true;
}

}  // namespace

bool StartOptionsParse(StartOptions* options, int argc, char** argv, std::string* error) {
  bool windowGiven = false;
  bool integerGiven = false;
  bool shotsGiven = false;
  bool recordGiven = false;
  bool replayGiven = false;
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
      options->action = StartOptions::Action::Help;
      return true;
    }
    if (std::strcmp(argument, "--version") == 0) {
      options->action = StartOptions::Action::Version;
      return true;
    }
    if (std::strcmp(argument, "--window") == 0) {
      if (windowGiven) return Fail(error, "--window is given twice");
      windowGiven = true;
      options->window = true;
      continue;
    }
    if (std::strcmp(argument, "--integer-scaling") == 0) {
      if (integerGiven) return Fail(error, "--integer-scaling is given twice");
      integerGiven = true;
      options->integerScaling = true;
      continue;
    }
    bool failed = false;
    if (TakeValueOption("--shots", argc, argv, &i, &shotsGiven, TakeShotsFolder, options, &failed,
                        error) ||
        TakeValueOption("--record", argc, argv, &i, &recordGiven, TakeRecordPath, options,
                        &failed, error) ||
        TakeValueOption("--replay", argc, argv, &i, &replayGiven, TakeReplayPath, options,
                        &failed, error)) {
      if (failed) return false;
      continue;
    }
    if (argument[0] == '-') return Fail(error, std::string("unknown option '") + argument + "'");
    return Fail(error, std::string("unexpected argument '") + argument + "'");
  }
  struct stat record, replay;
  if (recordGiven && replayGiven && stat(options->recordPath.c_str(), &record) == 0 &&
      stat(options->replayPath.c_str(), &replay) == 0 && record.st_dev == replay.st_dev &&
      record.st_ino == replay.st_ino)
    return Fail(error, "--record and --replay name the same file: the run played would be lost");
  return true;
}

void StartOptionsPrintHelp(std::FILE* out) {
  std::fputs(
      "usage: vorn [--window] [--integer-scaling] [--shots DIR]\n"
      "            [--record FILE] [--replay FILE]\n"
      "\n"
      "Vorn Game Console: 600 falling stars and 45 bouncing rocks on a 640 x 480,\n"
      "256-colour display, full screen unless --window is given.\n"
      "\n"
      "Options:\n"
      "  --window       start in a window, sized to the largest whole multiple of\n"
      "                 640 x 480 that fits the desktop; it can be resized\n"
      "  --integer-scaling\n"
      "                 scale the picture by whole multiples only, black around it\n"
      "                 (by default it fills the largest 4:3 box of the screen or\n"
      "                 window, sharp: enlarged by a whole multiple, then filtered\n"
      "                 down to the box)\n"
      "  --shots DIR    save F12 screenshots in DIR (default: the current folder)\n"
      "  --record FILE  write the run (its seed and the keys of every frame) to FILE\n"
      "                 when it ends, to be played again with --replay or\n"
      "                 vorn-capture --run\n"
      "  --replay FILE  play a recorded run again, frame for frame; the keys and\n"
      "                 pads steer nothing (see the player's keys below), Escape\n"
      "                 or Space ends it. With --record, the run as played is\n"
      "                 written: the replay's frames, then yours if you take over\n"
      "  --help         this text\n"
      "  --version      the version\n"
      "\n"
      "Keys:\n"
      "  Left, Right    push the stars and the rocks sideways\n"
      "  Up             halt the stars\n"
      "  Down           hurry the stars and streak them\n"
      "  Escape, Space  quit, once the key is let go\n"
      "  P, Pause       pause and resume (the picture stays, nothing is lost)\n"
      "  Alt+Enter      switch between full screen and a window\n"
      "  F12            save the frame shown as vorn-YYYYMMDD-HHMMSS-N.png (indexed,\n"
      "                 with its 256 colours) and print its path; never overwrites\n"
      "\n"
      "While a run plays (--replay; the title shows the frame and the time):\n"
      "  . and ,        a frame forward and back (pausing first)\n"
      "  > and <        faster and slower: 1/4x, 1/2x, 1x, 2x, 4x, as fast as can be\n"
      "  J and L        ten seconds back and forward\n"
      "  Home, End      the first and the last frame (the run holds at the last,\n"
      "                 paused, until P lets it end)\n"
      "  0 to 9         that tenth of the run\n"
      "  T              take over: your keys steer from the frame shown on\n"
      "\n"
      "A gamepad (any that SDL knows; plug it in or out at any time):\n"
      "  D-pad, left stick   the arrows (the stick once pushed past half way)\n"
      "  Start, East button  Escape (East: B on an Xbox pad, A on a Nintendo one)\n"
      "  Back (Select)       pause and resume\n"
      "\n",
      out);
  std::fprintf(out,
               "ROCK8.BMP is looked for beside the program, then in %s from there,\n"
               "then in the current folder. To render frames without a screen, use\n"
               "vorn-capture.\n\n",
               VORN_DATA_FROM_PROGRAM);
  std::fputs(
      "Exit code: 0 after a quit; 1 when the demo cannot start (one line on\n"
      "standard error says why); 2 for a bad option or a run file that cannot be\n"
      "played; 3 when the recorded run could not be written.\n",
      out);
}

void StartOptionsPrintVersion(std::FILE* out) { std::fprintf(out, "vorn %s\n", VORN_VERSION); }
