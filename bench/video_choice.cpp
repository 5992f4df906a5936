// How vorn-capture's video settings were chosen: each candidate encodes the
// same frames (the BMP files of vorn-capture --out) through the tool's own
// video writer, and is reported with its wall and processor time (every
// encoder thread counted), its size, and its PSNR against the frames: in
// 4:2:0 against the encoder's own input, as FFmpeg's psnr filter counts it
// (Y, Cb, Cr by their pixels; the mean squared error over all frames), and
// against the lossless frames' RGB colours; and the share of star pixels
// that stay at least half as bright as drawn. A benchmark: it reports, it
// never fails on a figure. See bench/README.md.
//
//   vorn_video_choice FRAMES_DIR [REPEATS] [EXT:ENCODER:SETTINGS ...]
//   e.g. mp4:libx264:preset=faster:tune=animation:crf=23
// With VORN_KEEP_VIDEOS set, each candidate's video stays in the current
// folder as choice-N.EXT, to be looked at.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include "capture_tool.h"
#include "video_movie.h"

namespace {

struct Candidate {
  std::string extension, encoder, settings;
};

// The ones bench/README.md's table holds; the command line may name others.
// The tool's own (video_movie.cpp) are the fifth and the thirteenth.
const char* const kCandidates[] = {
    "mp4:libx264:preset=veryslow:crf=27:x264-params=me\\=esa\\:merange\\=24",
    "mp4:libx264:preset=medium:crf=23",
    "mp4:libx264:preset=faster:tune=animation:crf=27",
    "mp4:libx264:preset=faster:tune=animation:motion-est=umh:me_range=24:crf=27",
    "mp4:libx264:preset=faster:tune=animation:motion-est=esa:crf=27",
    "mp4:libx264:preset=faster:tune=animation:motion-est=esa:me_range=24:crf=27",
    "webm:libvpx-vp9:crf=41:deadline=good:cpu-used=0:row-mt=1",
    "webm:libvpx-vp9:crf=41:deadline=good:cpu-used=4:row-mt=1:tile-columns=1",
    "webm:libvpx-vp9:crf=41:deadline=realtime:cpu-used=5:tune-content=screen:row-mt=1:tile-columns=1",
    "webm:libvpx-vp9:crf=41:deadline=realtime:cpu-used=6:tune-content=screen:row-mt=1:tile-columns=1",
    "webm:libsvtav1:preset=12:crf=36",
    "webm:libsvtav1:preset=11:crf=35",
    "webm:libsvtav1:preset=11:crf=35:svtav1-params=enable-tf\\=0\\:enable-cdef\\=0",
    "webm:libsvtav1:preset=11:crf=35:svtav1-params=enable-tf\\=0\\:enable-cdef\\=0\\:scm\\=0",
};

Candidate ParseCandidate(const std::string& text) {
  std::size_t first = text.find(':'), second = text.find(':', first + 1);
  if (first == std::string::npos) return {text, "", ""};
  if (second == std::string::npos) return {text.substr(0, first), text.substr(first + 1), ""};
  return {text.substr(0, first), text.substr(first + 1, second - first - 1),
          text.substr(second + 1)};
}

double ProcessorSeconds() {
  rusage usage = {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Encoded {
  bool ok = false;
  std::string why;
  double wall = 0, processor = 0, bytes = 0;
};

Encoded Encode(const std::vector<HeadlessFrame>& frames, const Candidate& candidate,
               const std::string& path) {
  Encoded result;
  VideoMovie movie;
  movie.encoderName = candidate.encoder;
  movie.settings = candidate.settings;
  const double processor = ProcessorSeconds();
  const auto start = std::chrono::steady_clock::now();
  bool ok = VideoMovieOpen(&movie, path.c_str());
  for (const HeadlessFrame& frame : frames) ok = ok && VideoMovieAddFrame(&movie, frame);
  ok = VideoMovieClose(&movie) && ok;
  result.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.processor = ProcessorSeconds() - processor;
  result.ok = ok;
  result.why = movie.why;
  std::error_code error;
  result.bytes = double(std::filesystem::file_size(path, error));
  return result;
}

struct Quality {
  int frames = 0;
  double squared[3] = {}, rgbSquared = 0;  // summed over every frame
  double worstY = 1e9;                     // the lowest PSNR of Y in one frame
  double stars = 0, starsKept = 0;
};

double Psnr(double meanSquared) { return 10 * std::log10(255.0 * 255.0 / std::max(meanSquared, 1e-10)); }

// Frame by frame: the drawn frame converted as the writer converts it,
// and the decoded frame converted back to RGB as a player shows it.
void Compare(const AVFrame& decoded, const HeadlessFrame& frame, Quality* quality) {
  static std::uint32_t palette[256];
  for (int i = 0; i < 256; ++i)
    palette[i] = 0xFF000000u | std::uint32_t(frame.palette[i].peRed) << 16 |
                 std::uint32_t(frame.palette[i].peGreen) << 8 | frame.palette[i].peBlue;
  const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
  static SwsContext* toYuv = sws_getContext(640, 480, AV_PIX_FMT_PAL8, 640, 480, AV_PIX_FMT_YUV420P,
                                            SWS_BILINEAR, nullptr, nullptr, nullptr);
  static SwsContext* toRgb = sws_getContext(640, 480, AV_PIX_FMT_YUV420P, 640, 480, AV_PIX_FMT_RGB24,
                                            SWS_BILINEAR, nullptr, nullptr, nullptr);
  sws_setColorspaceDetails(toYuv, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
  sws_setColorspaceDetails(toRgb, bt709, 0, bt709, 1, 0, 1 << 16, 1 << 16);
  static std::vector<std::uint8_t> y(640 * 480), cb(320 * 240), cr(320 * 240), rgb(640 * 480 * 3);
  std::uint8_t* planes[4] = {y.data(), cb.data(), cr.data()};
  int strides[4] = {640, 320, 320};
  const std::uint8_t* source[4] = {frame.pixels.data(), reinterpret_cast<const std::uint8_t*>(palette)};
  const int sourceStrides[4] = {640, 0};
  sws_scale(toYuv, source, sourceStrides, 0, 480, planes, strides);
  std::uint8_t* rgbPlanes[4] = {rgb.data()};
  int rgbStrides[4] = {640 * 3};
  sws_scale(toRgb, decoded.data, decoded.linesize, 0, 480, rgbPlanes, rgbStrides);
  double frameY = 0;
  for (int plane = 0; plane < 3; ++plane) {
    const int width = plane == 0 ? 640 : 320, height = plane == 0 ? 480 : 240;
    double sum = 0;
    for (int row = 0; row < height; ++row)
      for (int x = 0; x < width; ++x) {
        double d = double(decoded.data[plane][row * decoded.linesize[plane] + x]) -
                   planes[plane][row * strides[plane] + x];
        sum += d * d;
      }
    quality->squared[plane] += sum / (width * height);
    if (plane == 0) frameY = sum / (width * height);
  }
  quality->worstY = std::min(quality->worstY, Psnr(frameY));
  double rgbSum = 0;
  for (int i = 0; i < 640 * 480; ++i) {
    const PALETTEENTRY& colour = frame.palette[frame.pixels[i]];
    const int drawn[3] = {colour.peRed, colour.peGreen, colour.peBlue};
    for (int c = 0; c < 3; ++c) rgbSum += double(rgb[3 * i + c] - drawn[c]) * (rgb[3 * i + c] - drawn[c]);
    if (!IsStarColour(frame.pixels[i])) continue;
    quality->stars += 1;
    quality->starsKept += decoded.data[0][(i / 640) * decoded.linesize[0] + i % 640] - 16 >=
                          (y[i] - 16) / 2.0;
  }
  quality->rgbSquared += rgbSum / (3.0 * 640 * 480);
  ++quality->frames;
}

Quality Measure(const std::string& path, const std::vector<HeadlessFrame>& frames) {
  Quality quality;
  AVFormatContext* container = nullptr;
  if (avformat_open_input(&container, path.c_str(), nullptr, nullptr) < 0) return quality;
  avformat_find_stream_info(container, nullptr);
  const AVCodec* codec = avcodec_find_decoder(container->streams[0]->codecpar->codec_id);
  AVCodecContext* decoder = avcodec_alloc_context3(codec);
  avcodec_parameters_to_context(decoder, container->streams[0]->codecpar);
  avcodec_open2(decoder, codec, nullptr);
  AVPacket* packet = av_packet_alloc();
  AVFrame* picture = av_frame_alloc();
  auto receive = [&] {
    while (avcodec_receive_frame(decoder, picture) == 0)
      if (quality.frames < int(frames.size())) Compare(*picture, frames[quality.frames], &quality);
  };
  while (av_read_frame(container, packet) == 0) {
    avcodec_send_packet(decoder, packet);
    av_packet_unref(packet);
    receive();
  }
  avcodec_send_packet(decoder, nullptr);
  receive();
  av_frame_free(&picture);
  av_packet_free(&packet);
  avcodec_free_context(&decoder);
  avformat_close_input(&container);
  return quality;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: vorn_video_choice FRAMES_DIR [REPEATS] [EXT:ENCODER:SETTINGS ...]\n");
    return 2;
  }
  std::vector<HeadlessFrame> frames;
  for (int number = 1;; ++number) {
    HeadlessFrame frame;
    std::string why;
    if (!ReadFrameFile(std::string(argv[1]) + "/" + FrameFileName(number), &frame, &why)) break;
    frames.push_back(std::move(frame));
  }
  int repeats = argc > 2 ? std::atoi(argv[2]) : 1;
  std::vector<std::string> names;
  for (int i = 3; i < argc; ++i) names.push_back(argv[i]);
  if (names.empty()) names.assign(std::begin(kCandidates), std::end(kCandidates));
  double load[3] = {};
  getloadavg(load, 3);
  std::printf("%zu frames from %s; load average %.2f %.2f %.2f\n", frames.size(), argv[1], load[0],
              load[1], load[2]);
  std::printf("%-8s %-8s %-8s %-7s %-9s %-8s %-8s %-8s %-7s %s\n", "wall s", "cpu s", "frames/s",
              "MB", "MB/min", "PSNR", "Y worst", "RGB", "stars", "candidate");
  for (const std::string& name : names) {
    const Candidate candidate = ParseCandidate(name);
    const std::string path = "/tmp/vorn_video_choice." + candidate.extension;
    for (int repeat = 0; repeat < std::max(repeats, 1); ++repeat) {
      const Encoded encoded = Encode(frames, candidate, path);
      if (!encoded.ok) {
        std::printf("failed: %s (%s)\n", encoded.why.c_str(), name.c_str());
        break;
      }
      const Quality quality = Measure(path, frames);
      const int n = std::max(quality.frames, 1);
      const double all = (4 * quality.squared[0] + quality.squared[1] + quality.squared[2]) / 6 / n;
      const double megabytes = encoded.bytes / 1e6;
      std::printf("%-8.2f %-8.2f %-8.0f %-7.2f %-9.2f %-8.2f %-8.2f %-8.2f %-7.4f %s\n", encoded.wall,
                  encoded.processor, frames.size() / encoded.wall, megabytes,
                  megabytes * 1800 / frames.size(), Psnr(all), quality.worstY,
                  Psnr(quality.rgbSquared / n), quality.starsKept / std::max(quality.stars, 1.0),
                  name.c_str());
      std::fflush(stdout);
    }
    const std::string kept = "choice-" + std::to_string(&name - names.data() + 1) + "." +
                             candidate.extension;
    if (std::getenv("VORN_KEEP_VIDEOS") == nullptr || std::rename(path.c_str(), kept.c_str()) != 0)
      std::remove(path.c_str());
  }
  return 0;
}
