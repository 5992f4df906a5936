// The screen in a browser: the page's canvas (Module.canvas), whose
// backing store is the display mode's size; the page scales it. Each
// present expands the frame through the palette into one RGBA buffer,
// which the canvas reads in place at the next animation frame.
#include <emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "portable/host.h"
#include "web_pause.h"
#include "web_runs.h"
#include "web_screen.h"

namespace {

// Larger modes than this are refused rather than asked of the canvas.
constexpr int kMaxModeSide = 4096;

struct WebScreen {
  bool open = false;
  int modeWidth = 0;
  int modeHeight = 0;
  std::uint32_t* rgba = nullptr;     // modeWidth x modeHeight, bytes R G B A
  std::uint32_t colours[256] = {};   // rebuilt from the palette at every present
};

WebScreen screen;

// The canvas with an opaque 2D context, cleared to black; document title
// set. 0 when the page has no canvas to give. A canvas given a size, even
// its own, makes its pixels afresh: only a new size is set.
EM_JS(int, WebCanvasOpen, (const char* title, int width, int height), {
  const canvas = Module["canvas"];
  const context = canvas && canvas.getContext ? canvas.getContext("2d", {alpha: false}) : null;
  if (!context) return 0;
  if (canvas.width !== width) canvas.width = width;
  if (canvas.height !== height) canvas.height = height;
  context.fillStyle = "#000";
  context.fillRect(0, 0, width, height);
  document.title = UTF8ToString(title);
  Module["vornScreen"] = {canvas: canvas, context: context, image: null, wake: null};
  Module["vornFramesShown"] = 0;
  return 1;
});

EM_JS(void, WebCanvasResize, (int width, int height), {
  const screen = Module["vornScreen"];
  if (screen.canvas.width !== width) screen.canvas.width = width;
  if (screen.canvas.height !== height) screen.canvas.height = height;
  screen.image = null;
});

// Resolves with 1 at the next animation frame, or with 0 at once while the
// page is hidden (no animation frame comes then) or when the page is hidden
// meanwhile (WebWakeWaits cuts the wait short): nothing is drawn then.
EM_ASYNC_JS(int, WebWaitForAnimationFrame, (), {
  const screen = Module["vornScreen"];
  if (document.visibilityState !== "visible") return 0;
  const shown = await new Promise((resolve) => {
    screen.wake = () => resolve(0);
    requestAnimationFrame(() => resolve(1));
  });
  screen.wake = null;
  return shown;
});

// The canvas reads the RGBA buffer in place; the view on it is made again
// only when the module's memory has grown (a new buffer).
EM_JS(void, WebCanvasShow, (const std::uint32_t* rgba, int width, int height), {
  const screen = Module["vornScreen"];
  if (screen.image === null || screen.image.data.buffer !== HEAPU8.buffer) {
    const bytes = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
    screen.image = new ImageData(bytes, width, height);
  }
  screen.context.putImageData(screen.image, 0, 0);
  if (Module["vornFramesShown"] === 0) {
    Module["vornFirstFrameAt"] = performance.now();
    if (Module["onVornFirstFrame"]) Module["onVornFirstFrame"]();
  }
  Module["vornFramesShown"] += 1;
  if (Module["onVornFrame"]) Module["onVornFrame"]();
});

EM_JS(void, WebCanvasClose, (), {
  Module["vornScreen"] = null;
});

// Little-endian words whose bytes are red, green, blue and opaque alpha.
void BuildColours(const PALETTEENTRY* palette) {
  for (int i = 0; i < 256; ++i) {
    screen.colours[i] = 0xFF000000u | (std::uint32_t{palette[i].peBlue} << 16) |
                        (std::uint32_t{palette[i].peGreen} << 8) | std::uint32_t{palette[i].peRed};
  }
}

bool ModeSizeAllowed(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxModeSide && height <= kMaxModeSide;
}

// A frame is the primary surface, which has the mode's size; should one not
// cover the mode, the rest is black rather than left from before.
void Expand(const std::uint8_t* pixels, int pitch, int width, int height) {
  std::uint32_t* rgba = screen.rgba;
  if (width < screen.modeWidth || height < screen.modeHeight) {
    std::fill(rgba, rgba + std::size_t(screen.modeWidth) * std::size_t(screen.modeHeight),
              0xFF000000u);
  }
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* source = pixels + std::ptrdiff_t{pitch} * y;
    std::uint32_t* row = rgba + std::size_t(y) * std::size_t(screen.modeWidth);
    for (int x = 0; x < width; ++x) row[x] = screen.colours[source[x]];
  }
}

}  // namespace

bool HostOpenScreen(const char* title, int width, int height) {
  if (screen.open) return true;
  if (!ModeSizeAllowed(width, height)) {
    HostDebugText("vorn: the window size is out of range");
    return false;
  }
  if (!WebCanvasOpen(title != nullptr ? title : "", width, height)) {
    HostDebugText("vorn: the page has no canvas to draw on");
    return false;
  }
  screen.open = true;
  WebEventsListen();
  return true;
}

// The buffer is the mode's size, made here once: presents allocate nothing.
// It is not cleared: every present writes all of it before it is shown.
bool HostSetDisplayMode(int width, int height, int bitsPerPixel) {
  if (bitsPerPixel != 8 || !screen.open || !ModeSizeAllowed(width, height)) return false;
  if (screen.rgba != nullptr && width == screen.modeWidth && height == screen.modeHeight) {
    return true;
  }
  HostRestoreDisplayMode();
  auto* rgba = static_cast<std::uint32_t*>(
      std::malloc(std::size_t(width) * std::size_t(height) * sizeof(std::uint32_t)));
  if (rgba == nullptr) {
    HostDebugText("vorn: there is not enough memory for the display mode");
    return false;
  }
  screen.rgba = rgba;
  screen.modeWidth = width;
  screen.modeHeight = height;
  WebCanvasResize(width, height);
  return true;
}

void HostRestoreDisplayMode() {
  std::free(screen.rgba);
  screen.rgba = nullptr;
  screen.modeWidth = 0;
  screen.modeHeight = 0;
}

// The expansion happens now, with the palette in effect now; the canvas
// shows the result at the next animation frame, as a flip waits for the
// vertical blank. The gamepads are read then, once a frame shown. A frame
// the page was hidden (so paused) before it could show waits for the run
// to go on and is shown then, so resuming skips none.
void HostPresent(const std::uint8_t* pixels, int pitch, int width, int height,
                 const PALETTEENTRY* palette) {
  if (!WebRunsShows()) return;
  if (screen.rgba == nullptr || pixels == nullptr || palette == nullptr) return;
  int shownWidth = width < screen.modeWidth ? width : screen.modeWidth;
  int shownHeight = height < screen.modeHeight ? height : screen.modeHeight;
  if (shownWidth <= 0 || shownHeight <= 0 || pitch < shownWidth) return;
  BuildColours(palette);
  Expand(pixels, pitch, shownWidth, shownHeight);
  while (!WebWaitForAnimationFrame()) {
    if (!WebPaused()) return;
    WebPauseWait();
  }
  if (screen.rgba == nullptr) return;
  WebCanvasShow(screen.rgba, screen.modeWidth, screen.modeHeight);
  WebRunsFrameShown();
  WebGamepadsRead();
}

void WebScreenClose() {
  HostRestoreDisplayMode();
  if (screen.open) WebCanvasClose();
  screen.open = false;
}
