// Whole frames on the headless host (the frame step plus the present
// conversion to 32-bit pixels; the 30 ms pause is virtual there and there is
// no flip wait), their floor, and the same frame done with SDL's own
// surface calls.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bmp.h"
#include "display.h"
#include "expand.h"
#include "keys.h"
#include "kit.h"
#include "rocks.h"
#include "scene.h"
#include "seeded_scene.h"
#include "stars.h"

namespace {

const std::size_t kScreenPixels = std::size_t{SCREEN_WIDTH} * SCREEN_HEIGHT;

void WithSeededScene(benchmark::State& state, bool down, const std::function<void()>& timed) {
  if (!RunInSeededScene(ProgramFolder(), down, timed))
    state.SkipWithError("the demo did not start (is ROCK8.BMP beside the benchmark?)");
}

void Frame(benchmark::State& state, bool down) {
  WithSeededScene(state, down, [&] {
    for (auto _ : state) SceneFrame();
  });
}

// What no frame can avoid: clearing the back buffer and expanding every
// index of it to a 32-bit pixel.
void FrameFloor(benchmark::State& state) {
  std::vector<std::uint8_t> backBuffer(kScreenPixels);
  std::vector<std::uint32_t> pixels(kScreenPixels);
  PALETTEENTRY palette[256] = {};
  std::uint32_t colours[256];
  for (auto _ : state) {
    std::memset(backBuffer.data(), 0, backBuffer.size());
    ExpandColours(palette, colours);
    ExpandIndices(backBuffer.data(), backBuffer.size(), colours, pixels.data());
    benchmark::DoNotOptimize(pixels.data());
    benchmark::ClobberMemory();
  }
}

// The frame drawn with SDL surfaces: an 8-bit frame sharing the picture's
// palette with 45 colour-keyed 8-bit rock surfaces, converted to a 32-bit
// surface by SDL's blit. Motion is the scene's own code.
struct SdlPeer {
  SDL_Surface* frame = nullptr;
  SDL_Surface* screen = nullptr;
  SDL_Surface* rockPictures[ROCK_COUNT] = {};
};

void SdlPeerClose(SdlPeer* peer) {
  for (SDL_Surface*& picture : peer->rockPictures) SDL_FreeSurface(picture);
  SDL_FreeSurface(peer->frame);
  SDL_FreeSurface(peer->screen);
  *peer = SdlPeer();
}

// Copies a rock's picture out of its sprite surface.
bool CopyRockPicture(const Sprite& rock, SDL_Surface* picture) {
  const Bytes pixels = SurfacePixels(rock.surface);
  if (pixels.size() != std::size_t(rock.width) * rock.height) return false;
  for (int y = 0; y < rock.height; ++y)
    std::memcpy(static_cast<std::uint8_t*>(picture->pixels) + y * picture->pitch,
                pixels.data() + y * rock.width, rock.width);
  return true;
}

bool SdlPeerOpen(SdlPeer* peer, bool rle) {
  BmpImage image = {};
  if (!BmpRead(&image, BesideTheProgram("ROCK8.BMP").c_str())) return false;
  BmpDiscard(&image);
  SDL_Color colours[256];
  for (int i = 0; i < 256; ++i)
    colours[i] = {image.palette[i].peRed, image.palette[i].peGreen, image.palette[i].peBlue, 255};
  peer->frame = SDL_CreateRGBSurfaceWithFormat(0, SCREEN_WIDTH, SCREEN_HEIGHT, 8,
                                               SDL_PIXELFORMAT_INDEX8);
  peer->screen = SDL_CreateRGBSurfaceWithFormat(0, SCREEN_WIDTH, SCREEN_HEIGHT, 32,
                                                SDL_PIXELFORMAT_ARGB8888);
  if (peer->frame == nullptr || peer->screen == nullptr) return false;
  SDL_SetPaletteColors(peer->frame->format->palette, colours, 0, 256);
  for (int i = 0; i < ROCK_COUNT; ++i) {
    SDL_Surface*& picture = peer->rockPictures[i];
    picture = SDL_CreateRGBSurfaceWithFormat(0, rocks[i].width, rocks[i].height, 8,
                                             SDL_PIXELFORMAT_INDEX8);
    if (picture == nullptr || !CopyRockPicture(rocks[i], picture)) return false;
    SDL_SetSurfacePalette(picture, peer->frame->format->palette);
    SDL_SetColorKey(picture, SDL_TRUE, 0);
    SDL_SetSurfaceRLE(picture, rle ? 1 : 0);
  }
  return true;
}

void SdlPeerPlotStars(SdlPeer* peer) {
  auto* pixels = static_cast<std::uint8_t*>(peer->frame->pixels);
  const int pitch = peer->frame->pitch;
  for (const Star& star : stars) {
    int length = KeyHeld(VK_DOWN) ? 4 : 1;
    for (int i = 0; i < length && star.y + i < SCREEN_HEIGHT; ++i)
      pixels[star.x + (star.y + i) * pitch] = star.color;
  }
}

void SdlPeerFrame(SdlPeer* peer) {
  SDL_FillRect(peer->frame, nullptr, 0);
  AdvanceStars();
  SdlPeerPlotStars(peer);
  SteerRocks();
  BounceRocks();
  for (int i = 0; i < ROCK_COUNT; ++i) {
    const Sprite& rock = rocks[i];
    SDL_Rect source = {0, 0, rock.width - 1, rock.height - 1};
    SDL_Rect target = {rock.x, rock.y, rock.width - 1, rock.height - 1};
    SDL_BlitSurface(peer->rockPictures[i], &source, peer->frame, &target);
  }
  SDL_BlitSurface(peer->frame, nullptr, peer->screen, nullptr);
  benchmark::DoNotOptimize(peer->screen->pixels);
  benchmark::ClobberMemory();
}

void SdlFrame(benchmark::State& state, bool down, bool rle) {
  WithSeededScene(state, down, [&] {
    SdlPeer peer;
    if (!SdlPeerOpen(&peer, rle)) {
      state.SkipWithError(SDL_GetError());
    } else {
      for (auto _ : state) SdlPeerFrame(&peer);
    }
    SdlPeerClose(&peer);
  });
}

}  // namespace

BENCHMARK_CAPTURE(Frame, no_key, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Frame, down, true)->Unit(benchmark::kMicrosecond);
BENCHMARK(FrameFloor)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SdlFrame, no_key_plain, false, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SdlFrame, no_key_rle, false, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SdlFrame, down_plain, true, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SdlFrame, down_rle, true, true)->Unit(benchmark::kMicrosecond);
