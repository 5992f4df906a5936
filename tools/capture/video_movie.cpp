#include "video_movie.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <strings.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include "partial_file.h"

namespace {

const int kFramesPerSecond = 30;

struct VideoKind {
  const char* extension;
  const char* container;
  const char* encoder;
  const char* settings;  // the encoder's options, NAME=VALUE:NAME=VALUE
};

// Chosen by measuring (bench/README.md): the sizes, speeds and PSNR of
// these and the other candidates on a steered and a plain run.
const VideoKind kKinds[] = {
    {".mp4", "mp4", "libx264", "preset=faster:tune=animation:motion-est=esa:crf=27"},
    {".webm", "webm", "libsvtav1", "preset=11:crf=35:svtav1-params=enable-tf\\=0\\:enable-cdef\\=0"},
};

const VideoKind* KindOfPath(const std::string& path) {
  for (const VideoKind& kind : kKinds) {
    std::size_t length = std::strlen(kind.extension);
    if (path.size() > length &&
        strcasecmp(path.c_str() + path.size() - length, kind.extension) == 0)
      return &kind;
  }
  return nullptr;
}

const char* EncoderName(const VideoMovie& movie, const VideoKind& kind) {
  return movie.encoderName.empty() ? kind.encoder : movie.encoderName.c_str();
}

bool Fail(VideoMovie* movie, const std::string& why, int error = 0) {
  if (!movie->failed) {
    movie->why = why;
    if (error != 0) {
      char text[AV_ERROR_MAX_STRING_SIZE] = "";
      av_strerror(error, text, sizeof text);
      movie->why += std::string(": ") + text;
    }
  }
  movie->failed = true;
  return false;
}

bool WriteFailed(VideoMovie* movie, int error) {
  return Fail(movie, std::string("cannot write '") + movie->path + "'", error);
}

bool MakeTemporaryFile(VideoMovie* movie) {
  int descriptor = PartialFileOpen(movie->path, &movie->temporaryPath);
  if (descriptor < 0) return WriteFailed(movie, AVERROR(errno));
  close(descriptor);
  return true;
}

// The encoder's settings. 4:2:0 pixels, 8 bits, H.264 High or AV1 Main:
// what players and browsers play; the demo's colours (grey-blue stars,
// beige rocks) lose next to nothing to the halved colour resolution.
// Lossless coding would be three to ten times the size. A lone bright pixel
// is costly for a block transform; what keeps the stars cheap is finding
// where they went: stars and rocks move by whole pixels, which x264's
// exhaustive motion search and AV1's screen-content tools (palettes, copies
// within the frame) find exactly. The quality levels are the coarsest that
// keep the stars visible and the picture at 35 dB PSNR or more.
AVDictionary* EncoderSettings(const VideoMovie& movie, const VideoKind& kind) {
  AVDictionary* settings = nullptr;
  av_dict_parse_string(&settings, movie.settings.empty() ? kind.settings : movie.settings.c_str(),
                       "=", ":", 0);
  return settings;
}

bool OpenEncoder(VideoMovie* movie, int width, int height) {
  const VideoKind* kind = KindOfPath(movie->path);
  const AVCodec* codec = avcodec_find_encoder_by_name(EncoderName(*movie, *kind));
  AVCodecContext* encoder = movie->encoder = avcodec_alloc_context3(codec);
  if (encoder == nullptr) return Fail(movie, "out of memory");
  encoder->width = width;
  encoder->height = height;
  encoder->pix_fmt = AV_PIX_FMT_YUV420P;
  encoder->time_base = AVRational{1, kFramesPerSecond};
  encoder->framerate = AVRational{kFramesPerSecond, 1};
  encoder->gop_size = 10 * kFramesPerSecond;
  encoder->bit_rate = 0;     // quality alone decides
  encoder->thread_count = 0;  // as many as the machine has
  encoder->color_range = AVCOL_RANGE_MPEG;
  encoder->colorspace = AVCOL_SPC_BT709;
  encoder->color_primaries = AVCOL_PRI_BT709;
  encoder->color_trc = AVCOL_TRC_BT709;
  if (movie->container->oformat->flags & AVFMT_GLOBALHEADER)
    encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  AVDictionary* settings = EncoderSettings(*movie, *kind);
  int error = avcodec_open2(encoder, codec, &settings);
  // What the encoder leaves in the dictionary it did not know.
  const AVDictionaryEntry* unknown = av_dict_get(settings, "", nullptr, AV_DICT_IGNORE_SUFFIX);
  std::string unknownName = unknown != nullptr ? unknown->key : "";
  av_dict_free(&settings);
  if (error < 0)
    return Fail(movie, std::string("cannot start the encoder ") + EncoderName(*movie, *kind), error);
  if (!unknownName.empty())
    return Fail(movie, std::string("the encoder ") + EncoderName(*movie, *kind) +
                           " has no setting '" + unknownName + "'");
  AVStream* stream = movie->container->streams[0];
  stream->time_base = encoder->time_base;
  stream->avg_frame_rate = encoder->framerate;
  error = avcodec_parameters_from_context(stream->codecpar, encoder);
  if (error < 0) return Fail(movie, "cannot describe the stream", error);
  return true;
}

// Indices with their palette in, the encoder's pixels out: swscale reads
// 8-bit palettized frames as they are, with the colours beside them, and
// averages each two by two pixels' colour (the size stays).
bool OpenConverter(VideoMovie* movie, int width, int height) {
  AVCodecContext* encoder = movie->encoder;
  movie->converter = sws_getContext(width, height, AV_PIX_FMT_PAL8, encoder->width,
                                    encoder->height, encoder->pix_fmt, SWS_BILINEAR, nullptr,
                                    nullptr, nullptr);
  if (movie->converter == nullptr) return Fail(movie, "cannot convert the frames' colours");
  const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
  sws_setColorspaceDetails(movie->converter, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
  AVFrame* picture = movie->picture = av_frame_alloc();
  movie->packet = av_packet_alloc();
  if (picture == nullptr || movie->packet == nullptr) return Fail(movie, "out of memory");
  picture->format = encoder->pix_fmt;
  picture->width = encoder->width;
  picture->height = encoder->height;
  picture->color_range = encoder->color_range;
  picture->colorspace = encoder->colorspace;
  int error = av_frame_get_buffer(picture, 0);
  if (error < 0) return Fail(movie, "out of memory", error);
  return true;
}

// The first frame gives the size: the encoder, the converter and the
// container's header are made then, once for the whole run.
bool Start(VideoMovie* movie, const HeadlessFrame& frame) {
  if (!OpenEncoder(movie, frame.width, frame.height) ||
      !OpenConverter(movie, frame.width, frame.height))
    return false;
  AVDictionary* options = nullptr;
  if (!movie->webm) av_dict_set(&options, "movflags", "+faststart", 0);
  int error = avformat_write_header(movie->container, &options);
  av_dict_free(&options);
  if (error < 0) return WriteFailed(movie, error);
  return true;
}

// Hands the encoder a frame (nullptr: the end) and writes every packet it
// has ready.
bool Encode(VideoMovie* movie, AVFrame* picture) {
  int error = avcodec_send_frame(movie->encoder, picture);
  if (error < 0) return Fail(movie, "cannot encode", error);
  AVStream* stream = movie->container->streams[0];
  AVPacket* packet = movie->packet;
  for (;;) {
    error = avcodec_receive_packet(movie->encoder, packet);
    if (error == AVERROR(EAGAIN) || error == AVERROR_EOF) return true;
    if (error < 0) return Fail(movie, "cannot encode", error);
    // Each frame lasts until the next one starts, in the container's own
    // (WebM: millisecond) steps, so the rounding never adds up.
    std::int64_t end = av_rescale_q(packet->pts + 1, movie->encoder->time_base, stream->time_base);
    av_packet_rescale_ts(packet, movie->encoder->time_base, stream->time_base);
    packet->duration = end - packet->pts;
    packet->stream_index = stream->index;
    error = av_interleaved_write_frame(movie->container, packet);
    if (error < 0) return WriteFailed(movie, error);
  }
}

bool Finish(VideoMovie* movie) {
  if (!Encode(movie, nullptr)) return false;
  int error = av_write_trailer(movie->container);
  if (error < 0) return WriteFailed(movie, error);
  error = avio_closep(&movie->container->pb);
  if (error < 0) return WriteFailed(movie, error);
  if (std::rename(movie->temporaryPath.c_str(), movie->path.c_str()) != 0)
    return WriteFailed(movie, AVERROR(errno));
  movie->temporaryPath.clear();
  return true;
}

}  // namespace

bool VideoMovieOffered() { return true; }

bool VideoMovieKnowsPath(const std::string& path) { return KindOfPath(path) != nullptr; }

bool VideoMovieOpen(VideoMovie* movie, const char* path) {
  movie->path = path;
  const VideoKind* kind = KindOfPath(movie->path);
  if (kind == nullptr) return Fail(movie, "not a .mp4 or .webm file");
  movie->webm = std::strcmp(kind->container, "webm") == 0;
  // The tool reports a failure in one line of its own. SVT-AV1 writes its
  // own lines unless its variable says otherwise (a user's setting stands).
  av_log_set_level(AV_LOG_QUIET);
  setenv("SVT_LOG", "0", 0);
  if (avcodec_find_encoder_by_name(EncoderName(*movie, *kind)) == nullptr)
    return Fail(movie, std::string("this FFmpeg has no ") + EncoderName(*movie, *kind) + " encoder");
  if (!MakeTemporaryFile(movie)) return false;
  // "file:" keeps a name with a colon from being taken for a protocol.
  std::string url = "file:" + movie->temporaryPath;
  int error = avformat_alloc_output_context2(&movie->container, nullptr, kind->container,
                                             url.c_str());
  if (error < 0) return Fail(movie, "cannot make the container", error);
  if (avformat_new_stream(movie->container, nullptr) == nullptr)
    return Fail(movie, "out of memory");
  error = avio_open(&movie->container->pb, url.c_str(), AVIO_FLAG_WRITE);
  if (error < 0) return WriteFailed(movie, error);
  return true;
}

bool VideoMovieAddFrame(VideoMovie* movie, const HeadlessFrame& frame) {
  if (movie->failed || movie->container == nullptr) return false;
  if (frame.width <= 0 || frame.height <= 0 ||
      frame.pixels.size() != static_cast<std::size_t>(frame.width) * frame.height)
    return Fail(movie, "a frame of no size");
  if (movie->frames == 0 && !Start(movie, frame)) return false;
  if (movie->encoder->width != frame.width || movie->encoder->height != frame.height)
    return Fail(movie, "a frame of another size");
  for (int i = 0; i < 256; ++i)
    movie->palette[i] = 0xFF000000u | std::uint32_t(frame.palette[i].peRed) << 16 |
                        std::uint32_t(frame.palette[i].peGreen) << 8 | frame.palette[i].peBlue;
  int error = av_frame_make_writable(movie->picture);
  if (error < 0) return Fail(movie, "out of memory", error);
  const std::uint8_t* source[4] = {frame.pixels.data(),
                                   reinterpret_cast<const std::uint8_t*>(movie->palette)};
  const int sourceStrides[4] = {frame.width, 0};
  sws_scale(movie->converter, source, sourceStrides, 0, frame.height, movie->picture->data,
            movie->picture->linesize);
  movie->picture->pts = movie->frames++;
  return Encode(movie, movie->picture);
}

bool VideoMovieClose(VideoMovie* movie) {
  bool complete = !movie->failed && movie->frames > 0 && Finish(movie);
  if (movie->container != nullptr) {
    avio_closep(&movie->container->pb);
    avformat_free_context(movie->container);
    movie->container = nullptr;
  }
  avcodec_free_context(&movie->encoder);
  sws_freeContext(movie->converter);
  movie->converter = nullptr;
  av_frame_free(&movie->picture);
  av_packet_free(&movie->packet);
  if (!movie->temporaryPath.empty()) std::remove(movie->temporaryPath.c_str());
  movie->temporaryPath.clear();
  return complete;
}
