// The capture tool's videos, decoded by FFmpeg as a player would: every
// frame there, at exactly 30 a second, with the stars still visible; and a
// video that cannot be written leaves nothing behind.
#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "capture_tool.h"
#include "kit_fixtures.h"

namespace {

struct DecodedVideo {
  std::vector<double> frameSeconds;  // when each frame is shown
  double seconds = 0;                // how long the container says it lasts
  bool bt709 = false;                // tagged with the colours it was made with
  double colourError = 0;            // mean distance of Y, Cb and Cr from the drawn frames'
  double stars = 0, starsKept = 0;   // star pixels, and those at least half as bright as drawn
};

// Against the drawn colour as BT.709 in limited range; 4:2:0 has one Cb and
// one Cr for every two by two pixels.
void Compare(const AVFrame& picture, const HeadlessFrame& frame, DecodedVideo* video) {
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x) {
      const PALETTEENTRY& colour = frame.palette[PixelAt(frame, x, y)];
      double r = colour.peRed / 255.0, g = colour.peGreen / 255.0, b = colour.peBlue / 255.0;
      double luma = 0.2126 * r + 0.7152 * g + 0.0722 * b;
      double drawn[3] = {16 + 219 * luma, 128 + 224 * (b - luma) / 1.8556,
                         128 + 224 * (r - luma) / 1.5748};
      for (int plane = 0, shift = 0; plane < 3; ++plane, shift = 1)
        video->colourError += std::abs(
            picture.data[plane][(y >> shift) * picture.linesize[plane] + (x >> shift)] - drawn[plane]);
      if (!IsStarColour(PixelAt(frame, x, y))) continue;
      video->stars += 1;
      video->starsKept += picture.data[0][y * picture.linesize[0] + x] - 16 >= (drawn[0] - 16) / 2;
    }
}

// Every frame of the video, decoded and held against the tool's BMP files.
DecodedVideo Decode(const std::string& path, const std::string& frameFolder) {
  DecodedVideo video;
  AVFormatContext* container = nullptr;
  if (avformat_open_input(&container, path.c_str(), nullptr, nullptr) < 0) return video;
  const AVStream* stream = container->streams[0];
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  AVCodecContext* decoder = avcodec_alloc_context3(codec);
  avcodec_parameters_to_context(decoder, stream->codecpar);
  avcodec_open2(decoder, codec, nullptr);
  AVPacket* packet = av_packet_alloc();
  AVFrame* picture = av_frame_alloc();
  auto receive = [&] {
    while (avcodec_receive_frame(decoder, picture) == 0) {
      video.frameSeconds.push_back(picture->best_effort_timestamp * av_q2d(stream->time_base));
      video.bt709 = picture->colorspace == AVCOL_SPC_BT709 &&
                    picture->color_range == AVCOL_RANGE_MPEG && picture->format == AV_PIX_FMT_YUV420P;
      HeadlessFrame drawn;
      std::string why, file = frameFolder + "/" + FrameFileName(int(video.frameSeconds.size()));
      if (ReadFrameFile(file, &drawn, &why)) Compare(*picture, drawn, &video);
    }
  };
  while (av_read_frame(container, packet) == 0) {
    avcodec_send_packet(decoder, packet);
    av_packet_unref(packet);
    receive();
  }
  avcodec_send_packet(decoder, nullptr);
  receive();
  video.seconds = container->duration / double(AV_TIME_BASE);
  video.colourError /= 3.0 * 640 * 480 * std::max<std::size_t>(video.frameSeconds.size(), 1);
  av_frame_free(&picture);
  av_packet_free(&packet);
  avcodec_free_context(&decoder);
  avformat_close_input(&container);
  return video;
}

// WebM counts time in milliseconds, so a frame may be shown up to half of
// one early or late; MP4 is exact.
TEST(CaptureVideo, EveryFrameIsThereAtThirtyASecondWithTheStarsVisible) {
  ScratchFolder scratch;
  const int frames = 20;
  for (const char* name : {"clip.mp4", "clip.WebM"}) {
    ToolRun run = RunCaptureTool({"--seed", "9", "--frames", std::to_string(frames), "--keys",
                                  "down@5-9,left@12-15", "--out", scratch / "frames", "--video",
                                  scratch / name},
                                 scratch);
    ASSERT_EQ(run.exitCode, 0) << name << ": " << run.errors;
    DecodedVideo video = Decode(scratch / name, scratch / "frames");
    ASSERT_EQ(int(video.frameSeconds.size()), frames) << name;
    for (int i = 0; i < frames; ++i)
      EXPECT_NEAR(video.frameSeconds[i], i / 30.0, 0.0005) << name << " frame " << i + 1;
    EXPECT_NEAR(video.seconds, frames / 30.0, 0.0005) << name;
    EXPECT_TRUE(video.bt709) << name;
    EXPECT_LT(video.colourError, 2.0) << name;
    EXPECT_GT(video.starsKept, 0.95 * video.stars) << name;
  }
}

// A target in a missing folder is refused before the run; one that turns
// out unwritable at the end (a folder stands there) fails after it. Either
// way: one line, exit code 3, and neither the target nor a partial file.
TEST(CaptureVideo, AVideoThatCannotBeWrittenExitsThreeAndLeavesNoFile) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "taken.webm");
  for (const std::string& target : {scratch / "missing/a.mp4", scratch / "taken.webm"}) {
    ToolRun run = RunCaptureTool({"--frames", "3", "--video", target}, scratch);
    EXPECT_EQ(run.exitCode, 3) << target << ": " << run.errors;
    EXPECT_EQ(run.errors.rfind("vorn-capture: --video: ", 0), 0u) << run.errors;
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
    int files = 0;  // besides the tool's standard error
    for (const auto& entry : std::filesystem::recursive_directory_iterator(scratch.path))
      files += entry.is_regular_file() && entry.path().filename() != "tool-errors.txt";
    EXPECT_EQ(files, 0) << target;
  }
}

}  // namespace
