// The surface descriptions the DirectDraw tests create their surfaces from:
// the two kinds the demo itself asks for.
#pragma once

#include "platform.h"

// The primary surface with one back buffer, as a page-flipped display needs.
// Tests that probe the checks on a description change fields of the result.
inline DDSURFACEDESC FlipChainDesc() {
  DDSURFACEDESC desc = {};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  desc.dwBackBufferCount = 1;
  return desc;
}

// A width x height off-screen surface in system memory, as sprites are.
inline DDSURFACEDESC OffscreenDesc(int width, int height) {
  DDSURFACEDESC desc = {};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = static_cast<DWORD>(width);
  desc.dwHeight = static_cast<DWORD>(height);
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  return desc;
}
