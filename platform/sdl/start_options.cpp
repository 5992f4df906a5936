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

}  // namespace

bool StartOptionsParse(StartOptions* options, int argc, char** argv, std::string* error) {
  bool windowGiven = false;
  bool shotsGiven = false;
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
    const bool joined = std::strncmp(argument, "--shots=", 8) == 0;
    if (joined || std::strcmp(argument, "--shots") == 0) {
      if (shotsGiven) return Fail(error, "--shots is given twice");
      shotsGiven = true;
      const char* value = joined ? argument + 8 : (i + 1 < argc ? argv[++i] : nullptr);
      if (!TakeShotsFolder(options, value, error)) return false;
      continue;
    }
    if (argument[0] == '-') return Fail(error, std::string("unknown option '") + argument + "'");
    return Fail(error, std::string("unexpected argument '") + argument + "'");
  }
  return true;
}

void StartOptionsPrintHelp(std::FILE* out) {
  std::fputs(
      "usage: vorn [--window] [--shots DIR]\n"
      "\n"
      "Vorn Game Console: 600 falling stars and 45 bouncing rocks on a 640 x 480,\n"
      "256-colour display, full screen unless --window is given.\n"
      "\n"
      "Options:\n"
      "  --window       start in a window, sized to the largest whole multiple of\n"
      "                 640 x 480 that fits the desktop; it can be resized\n"
      "  --shots DIR    save F12 screenshots in DIR (default: the current folder)\n"
      "  --help         this text\n"
      "  --version      the version\n"
      "\n"
      "Keys:\n"
      "  Left, Right    push the stars and the rocks sideways\n"
      "  Up             halt the stars\n"
      "  Down           hurry the stars and streak them\n"
      "  Escape, Space  quit, once the key is let go\n"
      "  Alt+Enter      switch between full screen and a window\n"
      "  F12            save the frame shown as vorn-YYYYMMDD-HHMMSS-N.png (indexed,\n"
      "                 with its 256 colours) and print its path; never overwrites\n"
      "\n"
      "A gamepad (any that SDL knows; plug it in or out at any time):\n"
      "  D-pad, left stick   the arrows (the stick once pushed past half way)\n"
      "  Start, East button  Escape (East: B on an Xbox pad, A on a Nintendo one)\n"
      "\n",
      out);
  std::fprintf(out,
               "ROCK8.BMP is looked for beside the program, then in %s from there,\n"
               "then in the current folder. To render frames without a screen, use\n"
               "vorn-capture.\n\n",
               VORN_DATA_FROM_PROGRAM);
  std::fputs(
      "Exit code: 0 after a quit; 1 when the demo cannot start (one line on\n"
      "standard error says why); 2 for a bad option.\n",
      out);
}

void StartOptionsPrintVersion(std::FILE* out) { std::fprintf(out, "vorn %s\n", VORN_VERSION); }
