// The capture tool's progress line: on a terminal only, one line on
// standard error (frame N of M, frames a second, time left), redrawn in
// place a few times a second and replaced at the end by a summary line.
// Into a pipe or a file nothing is written.
#pragma once

#include <chrono>
#include <cstdio>

struct CaptureProgress {
  std::FILE* out = nullptr;  // standard error when it is a terminal, else nullptr
  int total = 0;
  std::chrono::steady_clock::time_point start, shown;
  bool onScreen = false;  // a progress line stands on the terminal's last line
};

// Called by the tool once before the run, with the frames it is to write.
void CaptureProgressStart(CaptureProgress* progress, int total);

// Called after each frame is written (from 1); draws the first frame's
// line at once and then at most four lines a second.
void CaptureProgressFrame(CaptureProgress* progress, int frame);

// Called before anything else is written to standard error: the progress
// line goes, so that the message stands on a line of its own.
void CaptureProgressClear(CaptureProgress* progress);

// Called once the outputs are complete: the progress line is replaced by
// "vorn-capture: N frames in S s (R frames a second)" and what follows.
void CaptureProgressSummary(CaptureProgress* progress, int frames, const char* outputs);
