// Run files: everything that makes a run of the demo what it is, as a
// small text a person can read and a program can play back.
//
//   vorn-run 1
//   generator glibc
//   picture 5e0c...(the SHA-256 of ROCK8.BMP, 64 hex digits)
//   seed 1765350000
//   frames 306
//   close 306
//   keys down@16-30,left@34-44,up@48-56
//
// The seed is the calendar second the demo seeded its random draws with,
// the generator names the C library's rand that drew them, frames counts
// the frame steps, keys are the key script vorn-capture reads (frames
// counted from 1, both ends included; several keys lines are one script),
// and close, when present, is the frame in whose pass the window was
// closed. Blank lines and lines starting with # are skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sha256.h"

enum {
  RUN_FILE_VERSION = 1,
  RUN_MAX_FRAMES = 1000000,         // over nine hours at 30 frames a second
  RUN_FILE_MAX_BYTES = 32 << 20,    // far above what RUN_MAX_FRAMES of changes write
  RUN_ERROR_SIZE = 160,             // room for any of the reader's error lines
};

// One item of a key script: virtualKey held in frames first..last.
struct RunKeyRange {
  int virtualKey;
  int first;
  int last;
};

struct RunFile {
  std::string generator;                 // whose rand drew the numbers (run_generator.h)
  std::uint8_t picture[SHA256_BYTES] = {};
  std::int64_t seed = 0;                 // 0 .. 4294967295
  int closeFrame = 0;                    // 0: the run ended by its keys or at its last frame
  std::vector<std::uint8_t> keys;        // one entry per frame: HeldKeyBit bits
};

// Called by the capture tool for --keys and by the run-file reader: fills
// ranges from a comma-separated script of KEY@FRAME or KEY@FIRST-LAST items
// (keys left, right, up, down, escape, space; an empty text holds nothing).
// False, with one short line in error, for anything else.
bool RunKeysParse(const char* text, std::size_t length, std::vector<RunKeyRange>* ranges,
                  char error[RUN_ERROR_SIZE]);

// The HeldKeyBit bits the ranges hold in frame.
unsigned RunKeysHeldIn(const std::vector<RunKeyRange>& ranges, int frame);

// Called by hosts and the capture tool with a run file's whole text. Fills
// run, or returns false with one short line in error that quotes at most a
// few characters of the text.
bool RunFileRead(const char* text, std::size_t length, RunFile* run, char error[RUN_ERROR_SIZE]);

// The text RunFileRead reads back as run.
std::string RunFileText(const RunFile& run);

// Called by a desktop host at the end of a run: writes the file whole or
// not at all (a temporary file beside it, renamed over it). False, with one
// line in error, when it cannot.
bool RunFileWrite(const RunFile& run, const char* path, std::string* error);

// Reads and checks the file at path. False, with one line in error.
bool RunFileLoad(const char* path, RunFile* run, std::string* error);
