#include "display.h"

#include <cstdlib>
#include <cstring>

#include "main_window.h"

DisplayState display;

namespace {

// A flip that keeps failing is given up after this many tries, so a lost
// display can never hold the program in PresentFrame.
const int kFlipTries = 8;

bool flipChainRestored = false;

int Refuse(const char* why) {
  OutputDebugStringA(why);
  return 0;
}

void ReleaseSurface(IDirectDrawSurface*& surface) {
  if (surface != nullptr) {
    surface->Release();
    surface = nullptr;
  }
}

// After the display was lost, the flip chain gets its memory back with
// undefined contents: both pages are cleared so nothing stale or random is
// ever shown, and the palette is attached again. The next frame redraws.
// Only the program in front takes the display back: restoring earlier would
// switch the mode under the program the user switched to. Some systems do
// not give the mode back on their own, so it is asked for again.
void RestoreFlipChain() {
  if (IsIconic(mainWindow) || GetForegroundWindow() != mainWindow) return;
  HRESULT result = display.primarySurface->Restore();
  if (result == DDERR_WRONGMODE &&
      display.displayObject->SetDisplayMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BITS) == DD_OK) {
    result = display.primarySurface->Restore();
  }
  if (result != DD_OK) return;
  if (display.paletteObject != nullptr) display.primarySurface->SetPalette(display.paletteObject);
  ClearSurface(display.primarySurface);
  ClearSurface(display.backBuffer);
  flipChainRestored = true;
}

}  // namespace

int OpenDisplay() {
  if (DirectDrawCreate(nullptr, &display.displayObject, nullptr) != DD_OK) {
    display.displayObject = nullptr;
    return Refuse("vorn: DirectDraw is not available\n");
  }
  if (display.displayObject->SetCooperativeLevel(
          mainWindow, DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE |
                          DDSCL_ALLOWMODEX) != DD_OK) {
    return Refuse("vorn: the display cannot be taken over\n");
  }
  if (display.displayObject->SetDisplayMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BITS) != DD_OK) {
    return Refuse("vorn: the display cannot be switched to 640 x 480 with 256 colours\n");
  }

  DDSURFACEDESC& desc = display.sharedSurfaceDesc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  desc.dwBackBufferCount = 1;
  if (display.displayObject->CreateSurface(&desc, &display.primarySurface, nullptr) != DD_OK) {
    display.primarySurface = nullptr;
    return Refuse("vorn: the screen surfaces cannot be created\n");
  }

  display.backBufferCaps.dwCaps = DDSCAPS_BACKBUFFER;
  if (display.primarySurface->GetAttachedSurface(&display.backBufferCaps, &display.backBuffer) !=
      DD_OK) {
    display.backBuffer = nullptr;
    return Refuse("vorn: the screen has no back buffer\n");
  }
  return 1;
}

int BuildPalette() {
  std::memset(display.workingPalette, 0, sizeof display.workingPalette);
  for (PALETTEENTRY& entry : display.workingPalette) {
    entry.peRed = static_cast<BYTE>(std::rand() & 255);
    entry.peGreen = static_cast<BYTE>(std::rand() & 255);
    entry.peBlue = static_cast<BYTE>(std::rand() & 255);
    entry.peFlags = PC_NOCOLLAPSE;
  }
  display.workingPalette[0].peRed = 0;
  display.workingPalette[0].peGreen = 0;
  display.workingPalette[0].peBlue = 0;

  if (display.displayObject->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256,
                                           display.workingPalette, &display.paletteObject,
                                           nullptr) != DD_OK) {
    display.paletteObject = nullptr;
    return Refuse("vorn: the palette cannot be created\n");
  }
  if (display.primarySurface->SetPalette(display.paletteObject) != DD_OK) {
    return Refuse("vorn: the palette cannot be attached to the screen\n");
  }
  return 1;
}

void InstallPaletteEntries(int first, int count, PALETTEENTRY* entries) {
  display.paletteObject->SetEntries(0, static_cast<DWORD>(first), static_cast<DWORD>(count),
                                    entries);
}

void ClearSurface(IDirectDrawSurface* surface) {
  DDBLTFX& fill = display.fillRecord;
  std::memset(&fill, 0, sizeof fill);
  fill.dwSize = sizeof fill;
  fill.dwFillColor = 0;
  surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill);
}

void PresentFrame() {
  for (int tries = 0; tries < kFlipTries; ++tries) {
    HRESULT result = display.primarySurface->Flip(nullptr, DDFLIP_WAIT);
    if (result == DD_OK) return;
    if (result == DDERR_SURFACELOST) RestoreFlipChain();
  }
}

int DisplayWasRestored() {
  bool restored = flipChainRestored;
  flipChainRestored = false;
  return restored;
}

void ReleaseDisplay() {
  ReleaseSurface(display.backBuffer);
  ReleaseSurface(display.primarySurface);
  if (display.displayObject != nullptr) {
    display.displayObject->Release();
    display.displayObject = nullptr;
  }
  display.paletteObject = nullptr;
}
