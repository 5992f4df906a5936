// The tool built without FFmpeg (VORN_VIDEO=OFF): --video is not offered,
// so the options never let a video be opened.
#include "video_movie.h"

bool VideoMovieOffered() { return false; }

bool VideoMovieKnowsPath(const std::string&) { return false; }

bool VideoMovieOpen(VideoMovie* movie, const char*) {
  movie->failed = true;
  movie->why = "this vorn-capture was built without video";
  return false;
}

bool VideoMovieAddFrame(VideoMovie*, const HeadlessFrame&) { return false; }

bool VideoMovieClose(VideoMovie*) { return false; }
