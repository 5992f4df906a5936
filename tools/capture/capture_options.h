// The capture tool's command line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include <vector>

#include "run_file.h"

enum { CAPTURE_MAX_FRAMES = 9999 };  // frame-NNNN.bmp has four digits

struct CaptureOptions {
  std::int64_t seed = 1;  // calendar seconds at start-up: the random seed
  int frames = 100;
  std::vector<RunKeyRange> keys;  // --keys, frames counted from 1
  std::string runPath;       // --run FILE; empty: seed, frames and keys are the options'
  RunFile run;               // the run read from runPath
  std::string generator;     // --generator; empty: the C library's own (a run names its own)
  std::string imagePath;     // empty: ROCK8.BMP beside the tool, in share/vorn, then here
  std::string outDirectory;  // empty: no frame files
  std::string gifPath;       // empty: no animation
  std::string videoPath;     // empty: no video; else a .mp4 or .webm path
  bool help = false;
};

// Called by main with its arguments. Returns false, with one line (no
// newline) saying what is wrong in error, on anything it does not take.
bool CaptureOptionsParse(CaptureOptions* options, int argc, char** argv, std::string* error);

// The one-line synopsis that ends every usage error.
const char* CaptureUsageLine();

// The --help text.
void CapturePrintHelp(std::FILE* out);
