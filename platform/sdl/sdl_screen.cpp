// The screen under the software DirectDraw: one window, full screen on the
// desktop or a resizable window, and one streaming texture the 8-bit frames
// are expanded into at present time. By default the frame fills the largest
// 4:3 box of the window's drawable, sharp: enlarged by a whole multiple
// (nearest neighbour) into a target texture, which is filtered down to the
// box (bilinear); with integer scaling it is drawn by whole multiples only.
// Black around it either way.
#include <SDL.h>

#include <cstdint>
#include <cstdio>

#include "held_keys.h"
#include "picture_fit.h"
#include "sdl_pads.h"
#include "sdl_runs.h"
#include "sdl_screen.h"
#include "sdl_shots.h"

namespace {

// Larger modes than this are refused rather than asked of the renderer.
constexpr int kMaxModeSide = 8192;
// Added to the window's title while paused.
constexpr char kPausedMark[] = " (paused)";
// A window is never made smaller than this by the user.
constexpr int kMinWindowWidth = 160;
constexpr int kMinWindowHeight = 120;

struct SdlScreen {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;  // modeWidth x modeHeight, 32-bit colours
  int modeWidth = 0;
  int modeHeight = 0;
  // The frame enlarged enlargedMultiple times, remade only when the box
  // asks for another multiple; null when not needed or not to be had.
  SDL_Texture* enlarged = nullptr;
  int enlargedMultiple = 0;
  bool startInWindow = false;
  bool integerScaling = false;
  bool fullscreen = false;   // as the window is now; false until it opens
  bool minimized = false;
  bool hidden = false;       // unmapped, as some desktops do instead of minimising
  bool focused = true;
  bool lost = false;         // as last reported to the platform
  bool ending = false;       // a quit request was reported
  bool paused = false;
  char title[128] = "";      // as the program named the window
  char titleNote[96] = "";   // added to it: a replay's position
  int windowedWidth = 0;     // the size a window takes when full screen ends
  int windowedHeight = 0;
  std::uint32_t colours[256] = {};  // rebuilt from the palette at every present
};

SdlScreen screen;

void SdlScreenReport(const char* what) {
  char line[512];
  std::snprintf(line, sizeof line, "vorn: %s (%s)", what, SDL_GetError());
  HostDebugText(line);
}

// The format of both textures: the window's own where it is 32-bit RGB,
// so that the software renderer copies and filters them without converting.
Uint32 SdlScreenTextureFormat() {
  const Uint32 rgb = SDL_PIXELFORMAT_RGB888;
  const Uint32 argb = SDL_PIXELFORMAT_ARGB8888;
  return screen.window != nullptr && SDL_GetWindowPixelFormat(screen.window) == rgb ? rgb : argb;
}

// The renderer's largest texture side; 0 for no limit.
int SdlScreenLargestTexture() {
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(screen.renderer, &info) != 0) return 0;
  const int width = info.max_texture_width;
  const int height = info.max_texture_height;
  return width > 0 && (height <= 0 || width < height) ? width : height;
}

void SdlScreenDropEnlarged() {
  if (screen.enlarged != nullptr) SDL_DestroyTexture(screen.enlarged);
  screen.enlarged = nullptr;
  screen.enlargedMultiple = 0;
}

// The target texture for multiple, made when the multiple changes. One that
// cannot be made is reported once and not asked for again at that multiple.
SDL_Texture* SdlScreenEnlarged(int multiple) {
  if (multiple == screen.enlargedMultiple) return screen.enlarged;
  SdlScreenDropEnlarged();
  screen.enlargedMultiple = multiple;
  screen.enlarged = SDL_CreateTexture(screen.renderer, SdlScreenTextureFormat(), SDL_TEXTUREACCESS_TARGET,
                                      screen.modeWidth * multiple, screen.modeHeight * multiple);
  if (screen.enlarged == nullptr) {
    SdlScreenReport("the picture is filtered without enlarging it first");
    return nullptr;
  }
  SDL_SetTextureBlendMode(screen.enlarged, SDL_BLENDMODE_NONE);
  SDL_SetTextureScaleMode(screen.enlarged, SDL_ScaleModeLinear);
  return screen.enlarged;
}

// The texture to copy into box: the frame itself at a whole multiple (with
// integer scaling always but below the frame's size) and below the frame's
// size (then filtered); otherwise the frame enlarged by the smallest
// multiple that covers the box, to be filtered down to it.
SDL_Texture* SdlScreenSource(const PictureRect& box) {
  const int multiple = PictureFitMultiple(box, screen.modeWidth, screen.modeHeight,
                                          SdlScreenLargestTexture(), kPictureScalePixelBudget);
  const bool whole = box.width == screen.modeWidth * multiple && box.height == screen.modeHeight * multiple;
  SDL_Texture* enlarged = nullptr;
  if (!screen.integerScaling && !whole && multiple > 1) enlarged = SdlScreenEnlarged(multiple);
  const bool nearest = whole || enlarged != nullptr;
  SDL_SetTextureScaleMode(screen.texture, nearest ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
  if (enlarged == nullptr || SDL_SetRenderTarget(screen.renderer, enlarged) != 0) return screen.texture;
  SDL_RenderCopy(screen.renderer, screen.texture, nullptr, nullptr);
  SDL_SetRenderTarget(screen.renderer, nullptr);
  return enlarged;
}

// The whole frame again, in its place for the drawable's size now: at each
// present, and whenever the window changes between presents.
void SdlScreenRedraw() {
  if (screen.renderer == nullptr) return;
  int outputWidth = 0;
  int outputHeight = 0;
  PictureRect place = {0, 0, 0, 0};
  if (screen.texture != nullptr &&
      SDL_GetRendererOutputSize(screen.renderer, &outputWidth, &outputHeight) == 0) {
    place = screen.integerScaling
                ? PictureFit(outputWidth, outputHeight, screen.modeWidth, screen.modeHeight)
                : PictureFitBox(outputWidth, outputHeight, screen.modeWidth, screen.modeHeight);
  }
  SDL_Texture* source = place.width > 0 && place.height > 0 ? SdlScreenSource(place) : nullptr;
  SDL_SetRenderDrawColor(screen.renderer, 0, 0, 0, 255);
  SDL_RenderClear(screen.renderer);
  if (source != nullptr) {
    const SDL_Rect target = {place.x, place.y, place.width, place.height};
    SDL_RenderCopy(screen.renderer, source, nullptr, &target);
  }
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

// The desktop's usable area (without panels), or its whole area.
SDL_Rect SdlScreenDesktop(int fallbackWidth, int fallbackHeight) {
  SDL_Rect bounds = {0, 0, fallbackWidth, fallbackHeight};
  if (SDL_GetDisplayUsableBounds(0, &bounds) != 0 || bounds.w <= 0 || bounds.h <= 0) {
    if (SDL_GetDisplayBounds(0, &bounds) != 0) bounds = {0, 0, fallbackWidth, fallbackHeight};
  }
  return bounds;
}

// Full screen placed by hand as well: without a window manager nobody
// applies the full-screen state to the window.
void SdlScreenCoverDisplay() {
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(0, &bounds) != 0) return;
  SDL_SetWindowPosition(screen.window, bounds.x, bounds.y);
  SDL_SetWindowSize(screen.window, bounds.w, bounds.h);
}

// A window of its windowed size, centred on the display.
void SdlScreenPlaceWindow() {
  SDL_SetWindowSize(screen.window, screen.windowedWidth, screen.windowedHeight);
  SDL_SetWindowPosition(screen.window, int(SDL_WINDOWPOS_CENTERED_DISPLAY(0)),
                        int(SDL_WINDOWPOS_CENTERED_DISPLAY(0)));
}

// Reports a change of whether the program holds the screen, once: it does
// not while the window cannot be seen, nor in full screen while another
// program has the focus, as an exclusive display is lost on Windows when
// the user switches away. A window that loses the focus loses nothing.
bool SdlScreenReportLoss(HostEvent* reported) {
  if (screen.paused) return false;
  const bool lost = screen.minimized || screen.hidden || (screen.fullscreen && !screen.focused);
  if (lost == screen.lost) return false;
  screen.lost = lost;
  *reported = {lost ? HostEventKind::DisplayLost : HostEventKind::DisplayReturned, 0};
  return true;
}

}  // namespace

void SdlScreenConfigure(bool startInWindow, bool integerScaling, const char* shotsFolder) {
  screen.startInWindow = startInWindow;
  screen.integerScaling = integerScaling;
  SdlShotsConfigure(shotsFolder);
}

// A program started again for a replay's seek keeps the window it had.
bool HostOpenScreen(const char* title, int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxModeSide || height > kMaxModeSide) {
    HostDebugText("vorn: the window size is out of range");
    return false;
  }
  screen.ending = false;
  if (screen.window != nullptr) return true;
  SDL_strlcpy(screen.title, title != nullptr ? title : "", sizeof screen.title);
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
  const SDL_Rect desktop = SdlScreenDesktop(width, height);
  const int scale = PictureWindowScale(desktop.w, desktop.h, width, height);
  screen.windowedWidth = width * scale;
  screen.windowedHeight = height * scale;
  SDL_Rect place = {int(SDL_WINDOWPOS_CENTERED_DISPLAY(0)), int(SDL_WINDOWPOS_CENTERED_DISPLAY(0)),
                    screen.windowedWidth, screen.windowedHeight};
  Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
  if (!screen.startInWindow) {
    flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (SDL_GetDisplayBounds(0, &place) != 0) place = {place.x, place.y, width, height};
  }
  // Hidden until the renderer exists: making an accelerated renderer may
  // replace the window, and only the final one should ever be seen.
  screen.window = SDL_CreateWindow(screen.title, place.x, place.y, place.w,
                                   place.h, flags);
  if (screen.window == nullptr) {
    SdlScreenReport("the window could not be opened");
    return false;
  }
  SDL_SetWindowMinimumSize(screen.window, kMinWindowWidth, kMinWindowHeight);
  SDL_ShowCursor(SDL_DISABLE);
  screen.renderer = SdlScreenCreateRenderer(screen.window);
  if (screen.renderer == nullptr) {
    SdlScreenReport("no renderer could be made for the window");
    SDL_DestroyWindow(screen.window);
    screen.window = nullptr;
    return false;
  }
  screen.fullscreen = !screen.startInWindow;
  SDL_ShowWindow(screen.window);
  SdlScreenRedraw();
  return true;
}

bool HostSetDisplayMode(int width, int height, int bitsPerPixel) {
  if (bitsPerPixel != 8 || screen.renderer == nullptr) return false;
  if (width <= 0 || height <= 0 || width > kMaxModeSide || height > kMaxModeSide) return false;
  if (screen.texture != nullptr && width == screen.modeWidth && height == screen.modeHeight) {
    return true;
  }
  HostRestoreDisplayMode();
  screen.texture = SDL_CreateTexture(screen.renderer, SdlScreenTextureFormat(),
                                     SDL_TEXTUREACCESS_STREAMING, width, height);
  if (screen.texture == nullptr) {
    SdlScreenReport("the display mode could not be set");
    return false;
  }
  SDL_SetTextureBlendMode(screen.texture, SDL_BLENDMODE_NONE);
  if (!SdlShotsSetMode(width, height)) {
    SDL_DestroyTexture(screen.texture);
    screen.texture = nullptr;
    HostDebugText("vorn: no memory for the display mode");
    return false;
  }
  screen.modeWidth = width;
  screen.modeHeight = height;
  return true;
}

void HostRestoreDisplayMode() {
  SdlScreenDropEnlarged();
  if (screen.texture != nullptr) SDL_DestroyTexture(screen.texture);
  screen.texture = nullptr;
  screen.modeWidth = 0;
  screen.modeHeight = 0;
  SdlShotsSetMode(0, 0);
}

void HostPresent(const std::uint8_t* pixels, int pitch, int width, int height,
                 const PALETTEENTRY* palette) {
  if (!SdlRunsShows()) return;
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
  SdlScreenRedraw();
  // Kept once it is on the screen, so that a screenshot never holds a
  // frame not yet seen.
  SdlShotsKeep(pixels, pitch, shownWidth, shownHeight, palette);
}

bool SdlScreenWindowEvent(const SDL_Event& event, HostEvent* reported) {
  if (event.type != SDL_WINDOWEVENT) return false;
  switch (event.window.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_EXPOSED:
      if (!screen.lost) SdlScreenRedraw();
      return false;
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
      screen.minimized = event.window.event == SDL_WINDOWEVENT_MINIMIZED;
      return SdlScreenReportLoss(reported);
    case SDL_WINDOWEVENT_HIDDEN:
    case SDL_WINDOWEVENT_SHOWN:
      screen.hidden = event.window.event == SDL_WINDOWEVENT_HIDDEN;
      return SdlScreenReportLoss(reported);
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      screen.focused = event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
      return SdlScreenReportLoss(reported);
    default:
      return false;
  }
}

bool SdlScreenWaitsForEvents(bool seeking) {
  return (screen.lost || (screen.paused && !seeking)) && !screen.ending;
}

// The program's title, the note and the pause's mark.
void SdlScreenShowTitle() {
  if (screen.window == nullptr) return;
  char title[sizeof screen.title + sizeof screen.titleNote + sizeof kPausedMark];
  SDL_snprintf(title, sizeof title, "%s%s%s", screen.title, screen.titleNote,
               screen.paused ? kPausedMark : "");
  SDL_SetWindowTitle(screen.window, title);
}

bool SdlScreenSetPaused(bool paused, HostEvent* reported) {
  screen.paused = paused;
  SdlScreenShowTitle();
  return !paused && SdlScreenReportLoss(reported);
}

void SdlScreenSetTitleNote(const char* note) {
  SDL_strlcpy(screen.titleNote, note, sizeof screen.titleNote);
  SdlScreenShowTitle();
}

bool SdlScreenPaused() { return screen.paused; }

void SdlScreenQuitRequested() { screen.ending = true; }

void SdlScreenToggleFullscreen() {
  if (screen.window == nullptr) return;
  if (!screen.fullscreen) {
    SDL_GetWindowSize(screen.window, &screen.windowedWidth, &screen.windowedHeight);
    // Placed over the display while still a window: SDL moves and sizes no
    // window that is full screen, and without a window manager nobody else
    // would.
    SdlScreenCoverDisplay();
    if (SDL_SetWindowFullscreen(screen.window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
      std::fprintf(stderr, "vorn: cannot switch to full screen (%s)\n", SDL_GetError());
      SdlScreenPlaceWindow();
      return;
    }
    screen.fullscreen = true;
  } else {
    if (SDL_SetWindowFullscreen(screen.window, 0) != 0) {
      std::fprintf(stderr, "vorn: cannot switch to a window (%s)\n", SDL_GetError());
      return;
    }
    SdlScreenPlaceWindow();
    screen.fullscreen = false;
  }
  SdlScreenRedraw();
}

void SdlScreenClose() {
  SdlPadsCloseAll();
  HeldKeysForgetAll();
  HostRestoreDisplayMode();
  if (screen.renderer != nullptr) SDL_DestroyRenderer(screen.renderer);
  if (screen.window != nullptr) SDL_DestroyWindow(screen.window);
  screen.renderer = nullptr;
  screen.window = nullptr;
  screen.fullscreen = false;
  screen.minimized = false;
  screen.hidden = false;
  screen.focused = true;
  screen.lost = false;
  screen.ending = false;
  screen.paused = false;
  screen.titleNote[0] = '\0';
}
