// The screen under the software DirectDraw: one fullscreen-desktop window
// whose renderer keeps the program's mode as a letterboxed logical size, and
// one streaming texture the 8-bit frames are expanded into at present time.
#include <SDL.h>

#include <cstdint>
#include <cstdio>

#include "sdl_screen.h"

namespace {

// Larger modes than this are refused rather than asked of the renderer.
constexpr int kMaxModeSide = 8192;

struct SdlScreen {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;  // modeWidth x modeHeight, 32-bit colours
  int modeWidth = 0;
  int modeHeight = 0;
  bool minimized = false;
  std::uint32_t colours[256] = {};  // rebuilt from the palette at every present
};

SdlScreen screen;

void SdlScreenReport(const char* what) {
  char line[512];
  std::snprintf(line, sizeof line, "vorn: %s (%s)", what, SDL_GetError());
  HostDebugText(line);
}

// Whole multiples only when one fits: below 640 x 480 an integer scale would
// be zero and nothing would show.
void SdlScreenUpdateScale() {
  int outputWidth = 0;
  int outputHeight = 0;
  int logicalWidth = 0;
  int logicalHeight = 0;
  if (SDL_GetRendererOutputSize(screen.renderer, &outputWidth, &outputHeight) != 0) return;
  SDL_RenderGetLogicalSize(screen.renderer, &logicalWidth, &logicalHeight);
  bool fits = logicalWidth > 0 && outputWidth >= logicalWidth && outputHeight >= logicalHeight;
  SDL_RenderSetIntegerScale(screen.renderer, fits ? SDL_TRUE : SDL_FALSE);
}

void SdlScreenShowBlack() {
  SDL_SetRenderDrawColor(screen.renderer, 0, 0, 0, 255);
  SDL_RenderClear(screen.renderer);
  SDL_RenderPresent(screen.renderer);
}

SDL_Renderer* SdlScreenCreateRenderer(SDL_Window* window) {
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
  if (renderer == nullptr) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  return renderer;
}

void SdlScreenBuildColours(const PALETTEENTRY* palette) {
  for (int i = 0; i < 256; ++i) {
    std::uint32_t colour = 0xFF000000u;
    if (palette != nullptr) {
      colour |= (std::uint32_t{palette[i].peRed} << 16) | (std::uint32_t{palette[i].peGreen} << 8) |
                std::uint32_t{palette[i].peBlue};
    }
    screen.colours[i] = colour;
  }
}

// Rows the frame does not cover (a frame smaller than the mode) are black.
void SdlScreenExpand(const std::uint8_t* pixels, int pitch, int width, int height,
                     std::uint8_t* target, int targetPitch) {
  for (int y = 0; y < screen.modeHeight; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(target + std::ptrdiff_t{targetPitch} * y);
    int x = 0;
    if (y < height) {
      const std::uint8_t* source = pixels + std::ptrdiff_t{pitch} * y;
      for (; x < width; ++x) row[x] = screen.colours[source[x]];
    }
    for (; x < screen.modeWidth; ++x) row[x] = 0xFF000000u;
  }
}

}  // namespace

bool HostOpenScreen(const char* title, int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxModeSide || height > kMaxModeSide) {
    HostDebugText("vorn: the window size is out of range");
    return false;
  }
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
  // Without a window manager nobody applies the fullscreen state, so the
  // window covers the screen from the start; the picture keeps its size
  // through the logical size below.
  SDL_Rect bounds = {SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height};
  if (SDL_GetDisplayBounds(0, &bounds) != 0) {
    bounds = {SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height};
  }
  // Hidden until the renderer exists: making an accelerated renderer may
  // replace the window, and only the final one should ever be seen.
  screen.window = SDL_CreateWindow(title != nullptr ? title : "", bounds.x, bounds.y, bounds.w,
                                   bounds.h, SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_HIDDEN);
  if (screen.window == nullptr) {
    SdlScreenReport("the window could not be opened");
    return false;
  }
  SDL_ShowCursor(SDL_DISABLE);
  screen.renderer = SdlScreenCreateRenderer(screen.window);
  if (screen.renderer == nullptr) {
    SdlScreenReport("no renderer could be made for the window");
    SDL_DestroyWindow(screen.window);
    screen.window = nullptr;
    return false;
  }
  SDL_ShowWindow(screen.window);
  SDL_RenderSetLogicalSize(screen.renderer, width, height);
  SdlScreenUpdateScale();
  SdlScreenShowBlack();
  return true;
}

bool HostSetDisplayMode(int width, int height, int bitsPerPixel) {
  if (bitsPerPixel != 8 || screen.renderer == nullptr) return false;
  if (width <= 0 || height <= 0 || width > kMaxModeSide || height > kMaxModeSide) return false;
  if (screen.texture != nullptr && width == screen.modeWidth && height == screen.modeHeight) {
    return true;
  }
  HostRestoreDisplayMode();
  screen.texture = SDL_CreateTexture(screen.renderer, SDL_PIXELFORMAT_ARGB8888,
                                     SDL_TEXTUREACCESS_STREAMING, width, height);
  if (screen.texture == nullptr) {
    SdlScreenReport("the display mode could not be set");
    return false;
  }
  screen.modeWidth = width;
  screen.modeHeight = height;
  SDL_RenderSetLogicalSize(screen.renderer, width, height);
  SdlScreenUpdateScale();
  return true;
}

void HostRestoreDisplayMode() {
  if (screen.texture != nullptr) SDL_DestroyTexture(screen.texture);
  screen.texture = nullptr;
  screen.modeWidth = 0;
  screen.modeHeight = 0;
}

void HostPresent(const std::uint8_t* pixels, int pitch, int width, int height,
                 const PALETTEENTRY* palette) {
  if (screen.texture == nullptr || pixels == nullptr || width <= 0 || height <= 0) return;
  int shownWidth = width < screen.modeWidth ? width : screen.modeWidth;
  int shownHeight = height < screen.modeHeight ? height : screen.modeHeight;
  if (pitch < shownWidth) return;
  SdlScreenBuildColours(palette);
  void* target = nullptr;
  int targetPitch = 0;
  if (SDL_LockTexture(screen.texture, nullptr, &target, &targetPitch) != 0) return;
  SdlScreenExpand(pixels, pitch, shownWidth, shownHeight, static_cast<std::uint8_t*>(target),
                  targetPitch);
  SDL_UnlockTexture(screen.texture);
  SDL_SetRenderDrawColor(screen.renderer, 0, 0, 0, 255);
  SDL_RenderClear(screen.renderer);
  SDL_RenderCopy(screen.renderer, screen.texture, nullptr, nullptr);
  SDL_RenderPresent(screen.renderer);
}

// While minimized the program does not hold the screen: its surfaces are
// lost, as an exclusive display is when the user switches away, and cannot
// be restored until the window is back.
bool SdlScreenWindowEvent(const SDL_Event& event, HostEvent* reported) {
  if (event.type != SDL_WINDOWEVENT) return false;
  switch (event.window.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      if (screen.renderer != nullptr) SdlScreenUpdateScale();
      return false;
    case SDL_WINDOWEVENT_MINIMIZED:
      if (screen.minimized) return false;
      screen.minimized = true;
      *reported = {HostEventKind::DisplayLost, 0};
      return true;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
      if (!screen.minimized) return false;
      screen.minimized = false;
      *reported = {HostEventKind::DisplayReturned, 0};
      return true;
    default:
      return false;
  }
}

void SdlScreenClose() {
  HostRestoreDisplayMode();
  if (screen.renderer != nullptr) SDL_DestroyRenderer(screen.renderer);
  if (screen.window != nullptr) SDL_DestroyWindow(screen.window);
  screen.renderer = nullptr;
  screen.window = nullptr;
  screen.minimized = false;
}
