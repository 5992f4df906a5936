// The only include through which Vorn's own code reaches platform names.
// On Windows these are the real <windows.h> and <ddraw.h>; elsewhere the
// portable declarations below, which spell the same subset the same way and
// are implemented by the software DirectDraw and window layer in portable/.
#pragma once

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <ddraw.h>
#if !defined(_WIN64)
// The 32-bit program hands these records to DirectDraw with dwSize set from
// sizeof: a header whose packing differs from DirectDraw's own would be
// refused at run time, so it is refused here instead.
static_assert(sizeof(DDSURFACEDESC) == 108, "DDSURFACEDESC must be 108 bytes");
static_assert(sizeof(DDBLTFX) == 100, "DDBLTFX must be 100 bytes");
#endif
// The BMP reader reads these straight from the file.
static_assert(sizeof(BITMAPFILEHEADER) == 14, "BITMAPFILEHEADER must be 14 bytes");
static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER must be 40 bytes");
static_assert(sizeof(PALETTEENTRY) == 4, "PALETTEENTRY must be 4 bytes");
#else
#include "portable/win32_api.h"
#include "portable/ddraw_api.h"
#endif
