// Presented frames as one looping animated GIF at the demo's pace, written
// beside the target under a temporary name and renamed over it only when
// it is whole.
#pragma once

#include <string>
#include <vector>

#include <gif_lib.h>

#include "headless.h"

struct GifMovie {
  GifFileType* file = nullptr;
  ColorMapObject* screenColours = nullptr;  // the first frame's palette
  ColorMapObject* frameColours = nullptr;   // for frames whose palette differs
  std::vector<GifPixelType> raster;         // giflib may rewrite what it is given
  std::string path;
  std::string temporaryPath;                // what the file is written as until it is whole
  int frames = 0;
  bool failed = false;
};

// Called once before the run. Returns false when the file cannot be made;
// GifMovieClose then cleans up.
bool GifMovieOpen(GifMovie* movie, const char* path);

// Called for every present, in order. Returns false (and ignores the rest)
// once anything could not be written.
bool GifMovieAddFrame(GifMovie* movie, const HeadlessFrame& frame);

// Called once after the run, also after a failure. Returns true when every
// frame was written and the file stands complete at its path; otherwise
// the path is left as it was.
bool GifMovieClose(GifMovie* movie);

// How long frame `frame` (from 1) is shown, in hundredths of a second: the
// demo shows 30 frames a second, which whole hundredths can only follow as
// 3, 3, 4, 3, 3, 4, ...
int GifMovieDelay(int frame);
