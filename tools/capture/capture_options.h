// The capture tool's command line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "key_script.h"

enum { CAPTURE_MAX_FRAMES = 9999 };  // frame-NNNN.bmp has four digits

struct CaptureOptions {
  std::int64_t seed = 1;  // calendar seconds at start-up: the random seed
  int frames = 100;
  KeyScript keys = {};
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
