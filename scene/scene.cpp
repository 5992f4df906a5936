#include "scene.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "bmp.h"
#include "display.h"
#include "main_window.h"
#include "keys.h"
#include "platform.h"
#include "rocks.h"
#include "stars.h"

namespace {

const char kRockImageName[] = "ROCK8.BMP";
const DWORD kFramePauseMs = 30;

BmpImage startupImage;

// Calendar time in whole seconds since 1970, from the system clock.
unsigned CalendarSeconds() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const std::uint64_t ticks = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) |
                              now.dwLowDateTime;
  const std::uint64_t ticksAt1970 = 116444736000000000ULL;
  return static_cast<unsigned>((ticks - ticksAt1970) / 10000000ULL);
}

void ReportImageFailure(const char* why) {
  char line[160];
  std::snprintf(line, sizeof line, "vorn: %s: %s\n", kRockImageName, why);
  OutputDebugStringA(line);
}

// The rock pictures and the palette both come from the image; without an
// 8-bit picture the scene would show nothing, so start-up stops instead.
int ReadRockImage() {
  if (!BmpRead(&startupImage, kRockImageName)) {
    ReportImageFailure(BmpFailureReason());
    return 0;
  }
  if (startupImage.infoHeader.biBitCount != 8) {
    BmpDiscard(&startupImage);
    ReportImageFailure("not a 256-colour picture");
    return 0;
  }
  return 1;
}

// After the display was lost and restored, rocks whose surfaces lost their
// pixels get their pictures again; the image is read afresh because its
// pixels were freed at start-up.
void RecoverLostRocks() {
  if (!DisplayWasRestored() || RestoreLostRocks() == 0) return;
  if (!ReadRockImage()) return;
  RefillRocks(&startupImage);
  BmpDiscard(&startupImage);
}

}  // namespace

int SceneInit() {
  std::srand(CalendarSeconds());
  if (!OpenDisplay()) return 0;
  if (!BuildPalette()) return 0;
  if (!ReadRockImage()) return 0;
  InstallPaletteEntries(0, 256, startupImage.palette);
  SeedStars();
  SeedRocks(&startupImage);
  ClearSurface(display.primarySurface);
  ClearSurface(display.backBuffer);
  BmpDiscard(&startupImage);
  return 1;
}

int SceneFrame() {
  if (KeyHeld(VK_ESCAPE) || KeyHeld(VK_SPACE)) PostMessageA(mainWindow, WM_DESTROY, 0, 0);
  ClearSurface(display.backBuffer);
  AdvanceStars();
  RenderStars();
  SteerRocks();
  BounceRocks();
  DrawRocks();
  PresentFrame();
  RecoverLostRocks();
  Sleep(kFramePauseMs);
  return 1;
}

int SceneShutdown() {
  for (Sprite& rock : rocks) SpriteRelease(&rock);
  ReleaseDisplay();
  return 1;
}
