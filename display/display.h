// The exclusive full-screen display: the DirectDraw object, a primary surface
// with one back buffer at 640 x 480 x 8, and a 256-entry palette.
#pragma once

#include "platform.h"

enum { SCREEN_WIDTH = 640, SCREEN_HEIGHT = 480, SCREEN_BITS = 8 };

struct DisplayState {
  IDirectDraw* displayObject;
  IDirectDrawSurface* primarySurface;
  IDirectDrawSurface* backBuffer;
  IDirectDrawPalette* paletteObject;
  PALETTEENTRY workingPalette[256];
  DDSURFACEDESC sharedSurfaceDesc;  // primary creation, then every back-buffer lock
  DDSCAPS backBufferCaps;
  DDBLTFX fillRecord;
};

// Owned here from start-up to shutdown; the scene reads the surfaces.
extern DisplayState display;

// Start-up, called once by SceneInit: display object, cooperative level,
// mode and flip chain. Returns 0 when any of them cannot be had.
int OpenDisplay();

// Start-up, after OpenDisplay: a palette of random colours, entry 0 black,
// attached to the primary surface. Returns 0 on failure.
int BuildPalette();

// Replaces count palette entries from first (the start-up image's colours).
void InstallPaletteEntries(int first, int count, PALETTEENTRY* entries);

// Fills the whole surface with colour 0.
void ClearSurface(IDirectDrawSurface* surface);

// Shows the back buffer by flipping. Gives up on the frame, never waits for
// ever, when the flip keeps failing.
void PresentFrame();

// Called by the scene after PresentFrame: 1 once after the flip chain was
// restored (the display had been lost), else 0.
int DisplayWasRestored();

// Shutdown: releases the back buffer, the primary surface and the display
// object, each if present.
void ReleaseDisplay();
