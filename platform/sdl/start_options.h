// The demo's command line on the desktop. The demo itself reads none of it
// (as on Windows, its command line is ignored): these are the SDL host's
// options, taken by main before anything else starts.
#pragma once

#include <cstdio>
#include <string>

struct StartOptions {
  enum class Action { Run, Help, Version };
  Action action = Action::Run;
  bool window = false;      // --window: start in a window, not full screen
  bool integerScaling = false;  // --integer-scaling: whole multiples only, black around
  std::string shotsFolder;  // --shots DIR; empty: screenshots go to the current folder
  std::string recordPath;   // --record FILE; empty: the run is not recorded
  std::string replayPath;   // --replay FILE; empty: the keys steer
};

// Called by main with its arguments. Returns false, with one line (no
// newline) saying what is wrong in error, on anything it does not take;
// --help and --version win over everything after them.
bool StartOptionsParse(StartOptions* options, int argc, char** argv, std::string* error);

// The --help text: the options and the keys.
void StartOptionsPrintHelp(std::FILE* out);

// "vorn VERSION", the --version line.
void StartOptionsPrintVersion(std::FILE* out);
