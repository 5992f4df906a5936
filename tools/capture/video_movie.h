// Presented frames as a video at the demo's pace, 30 frames a second:
// H.264 in MP4 or AV1 in WebM, by the file's extension, encoded by FFmpeg's
// libraries. The frames stream through; nothing of them is kept. The file
// is written beside the target under a temporary name and renamed over it
// only when it is whole.
#pragma once

#include <cstdint>
#include <string>

#include "headless.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

struct VideoMovie {
  AVFormatContext* container = nullptr;  // writing temporaryPath
  AVCodecContext* encoder = nullptr;     // opened at the first frame, which gives the size
  SwsContext* converter = nullptr;       // indices and palette to the encoder's pixels
  AVFrame* picture = nullptr;            // the encoder's input, reused for every frame
  AVPacket* packet = nullptr;
  std::uint32_t palette[256] = {};       // the present's palette as the converter reads it
  std::string path;
  std::string encoderName;  // empty: the extension's own encoder, with its own settings
  std::string settings;     // empty: the encoder's own; else NAME=VALUE:NAME=VALUE
  std::string temporaryPath;
  std::int64_t frames = 0;
  bool webm = false;
  bool failed = false;
  std::string why;  // what failed first, for the one line the tool prints
};

// Whether this build of the tool offers --video at all (a build without
// FFmpeg does not).
bool VideoMovieOffered();

// Whether path names a kind of video this writer makes: .mp4 or .webm, in
// any letter case. Asked while the options are read.
bool VideoMovieKnowsPath(const std::string& path);

// Called once before the run. Returns false, with movie->why, when the
// file cannot be made or no encoder is at hand; VideoMovieClose then
// cleans up.
bool VideoMovieOpen(VideoMovie* movie, const char* path);

// Called for every present, in order. Returns false (and ignores the rest)
// once anything could not be encoded or written.
bool VideoMovieAddFrame(VideoMovie* movie, const HeadlessFrame& frame);

// Called once after the run, also after a failure. Returns true when every
// frame was written and the file stands complete at its path; otherwise
// nothing is left there (movie->why says why, when something failed).
bool VideoMovieClose(VideoMovie* movie);
