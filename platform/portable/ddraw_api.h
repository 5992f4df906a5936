// Portable declarations of the DirectDraw subset Vorn uses, with DirectDraw's
// names, record layouts, flag values and error codes. The interfaces are
// plain structs whose methods the software DirectDraw in this folder defines;
// the system's code calls them exactly as it calls the real COM interfaces.
#pragma once

#include "win32_api.h"

struct IUnknown;
struct GUID;
struct IDirectDraw;
struct IDirectDrawSurface;
struct IDirectDrawPalette;
typedef IDirectDraw* LPDIRECTDRAW;
typedef IDirectDrawSurface* LPDIRECTDRAWSURFACE;
typedef IDirectDrawPalette* LPDIRECTDRAWPALETTE;

// Results. Failures carry severity 1 and DirectDraw's facility 0x876.
#define MAKE_DDHRESULT(code) ((HRESULT)(0x88760000u | (code)))
#define S_OK ((HRESULT)0)
#define DD_OK S_OK
#define E_FAIL ((HRESULT)0x80004005u)
#define E_INVALIDARG ((HRESULT)0x80070057u)
#define E_OUTOFMEMORY ((HRESULT)0x8007000Eu)
#define E_NOTIMPL ((HRESULT)0x80004001u)
#define DDERR_GENERIC E_FAIL
#define DDERR_INVALIDPARAMS E_INVALIDARG
#define DDERR_OUTOFMEMORY E_OUTOFMEMORY
#define DDERR_UNSUPPORTED E_NOTIMPL
#define DDERR_INVALIDCAPS MAKE_DDHRESULT(100)
#define DDERR_INVALIDMODE MAKE_DDHRESULT(120)
#define DDERR_INVALIDOBJECT MAKE_DDHRESULT(130)
#define DDERR_INVALIDPIXELFORMAT MAKE_DDHRESULT(145)
#define DDERR_INVALIDRECT MAKE_DDHRESULT(150)
#define DDERR_NOCOOPERATIVELEVELSET MAKE_DDHRESULT(212)
#define DDERR_NOCOLORKEY MAKE_DDHRESULT(215)
#define DDERR_NOEXCLUSIVEMODE MAKE_DDHRESULT(225)
#define DDERR_NOTFOUND MAKE_DDHRESULT(255)
#define DDERR_NOSTRETCHHW MAKE_DDHRESULT(310)
#define DDERR_SURFACEBUSY MAKE_DDHRESULT(430)
#define DDERR_SURFACELOST MAKE_DDHRESULT(450)
#define DDERR_PRIMARYSURFACEALREADYEXISTS MAKE_DDHRESULT(564)
#define DDERR_EXCLUSIVEMODEALREADYSET MAKE_DDHRESULT(581)
#define DDERR_NOTFLIPPABLE MAKE_DDHRESULT(582)
#define DDERR_NOTLOCKED MAKE_DDHRESULT(584)
#define DDERR_WRONGMODE MAKE_DDHRESULT(587)
#define DDERR_IMPLICITLYCREATED MAKE_DDHRESULT(588)

// SetCooperativeLevel
#define DDSCL_FULLSCREEN 0x00000001
#define DDSCL_ALLOWREBOOT 0x00000002
#define DDSCL_NORMAL 0x00000008
#define DDSCL_EXCLUSIVE 0x00000010
#define DDSCL_ALLOWMODEX 0x00000040

// DDSURFACEDESC.dwFlags
#define DDSD_CAPS 0x00000001
#define DDSD_HEIGHT 0x00000002
#define DDSD_WIDTH 0x00000004
#define DDSD_PITCH 0x00000008
#define DDSD_BACKBUFFERCOUNT 0x00000020
#define DDSD_LPSURFACE 0x00000800
#define DDSD_PIXELFORMAT 0x00001000
#define DDSD_CKSRCBLT 0x00010000

// DDSCAPS.dwCaps
#define DDSCAPS_BACKBUFFER 0x00000004
#define DDSCAPS_COMPLEX 0x00000008
#define DDSCAPS_FLIP 0x00000010
#define DDSCAPS_FRONTBUFFER 0x00000020
#define DDSCAPS_OFFSCREENPLAIN 0x00000040
#define DDSCAPS_PRIMARYSURFACE 0x00000200
#define DDSCAPS_SYSTEMMEMORY 0x00000800
#define DDSCAPS_VIDEOMEMORY 0x00004000
#define DDSCAPS_LOCALVIDMEM 0x10000000

// DDPIXELFORMAT.dwFlags
#define DDPF_PALETTEINDEXED8 0x00000020
#define DDPF_RGB 0x00000040

// CreatePalette
#define DDPCAPS_8BIT 0x00000004
#define DDPCAPS_ALLOW256 0x00000040

// Blt, Flip, Lock, SetColorKey
#define DDBLT_COLORFILL 0x00000400
#define DDBLT_KEYSRC 0x00008000
#define DDBLT_WAIT 0x01000000
#define DDFLIP_WAIT 0x00000001
#define DDLOCK_WAIT 0x00000001
#define DDCKEY_COLORSPACE 0x00000001
#define DDCKEY_DESTBLT 0x00000002
#define DDCKEY_SRCBLT 0x00000008

typedef struct _DDSCAPS {
  DWORD dwCaps;
} DDSCAPS, *LPDDSCAPS;

typedef struct _DDCOLORKEY {
  DWORD dwColorSpaceLowValue;
  DWORD dwColorSpaceHighValue;
} DDCOLORKEY, *LPDDCOLORKEY;

// The records keep DirectDraw's layout field for field. Where DirectDraw
// overlays several names on one field, only one name is declared: the one
// the program uses, or one of the widest.
typedef struct _DDPIXELFORMAT {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwFourCC;
  DWORD dwRGBBitCount;
  DWORD dwRBitMask;
  DWORD dwGBitMask;
  DWORD dwBBitMask;
  DWORD dwRGBAlphaBitMask;
} DDPIXELFORMAT, *LPDDPIXELFORMAT;

typedef struct _DDSURFACEDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwHeight;
  DWORD dwWidth;
  LONG lPitch;
  DWORD dwBackBufferCount;
  DWORD dwRefreshRate;
  DWORD dwAlphaBitDepth;
  DWORD dwReserved;
  LPVOID lpSurface;
  DDCOLORKEY ddckCKDestOverlay;
  DDCOLORKEY ddckCKDestBlt;
  DDCOLORKEY ddckCKSrcOverlay;
  DDCOLORKEY ddckCKSrcBlt;
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS ddsCaps;
} DDSURFACEDESC, *LPDDSURFACEDESC;

typedef struct _DDBLTFX {
  DWORD dwSize;
  DWORD dwDDFX;
  DWORD dwROP;
  DWORD dwDDROP;
  DWORD dwRotationAngle;
  DWORD dwZBufferOpCode;
  DWORD dwZBufferLow;
  DWORD dwZBufferHigh;
  DWORD dwZBufferBaseDest;
  DWORD dwZDestConstBitDepth;
  LPDIRECTDRAWSURFACE lpDDSZBufferDest;
  DWORD dwZSrcConstBitDepth;
  LPDIRECTDRAWSURFACE lpDDSZBufferSrc;
  DWORD dwAlphaEdgeBlendBitDepth;
  DWORD dwAlphaEdgeBlend;
  DWORD dwReserved;
  DWORD dwAlphaDestConstBitDepth;
  LPDIRECTDRAWSURFACE lpDDSAlphaDest;
  DWORD dwAlphaSrcConstBitDepth;
  LPDIRECTDRAWSURFACE lpDDSAlphaSrc;
  union {
    DWORD dwFillColor;
    LPDIRECTDRAWSURFACE lpDDSPattern;
  };
  DDCOLORKEY ddckDestColorkey;
  DDCOLORKEY ddckSrcColorkey;
} DDBLTFX, *LPDDBLTFX;

// The interfaces, with the methods the program calls. Methods are defined by
// the software DirectDraw; each object is reference counted and ends when
// its count reaches zero. Releasing the display object ends every surface
// and palette it created.
struct IDirectDraw {
  ULONG Release();
  HRESULT SetCooperativeLevel(HWND window, DWORD flags);
  HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel);
  HRESULT CreateSurface(LPDDSURFACEDESC description, LPDIRECTDRAWSURFACE* surface,
                        IUnknown* outer);
  HRESULT CreatePalette(DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* palette,
                        IUnknown* outer);

 protected:
  IDirectDraw() = default;
};

struct IDirectDrawSurface {
  ULONG Release();
  HRESULT Blt(LPRECT destRect, LPDIRECTDRAWSURFACE source, LPRECT sourceRect, DWORD flags,
              LPDDBLTFX effects);
  HRESULT Flip(LPDIRECTDRAWSURFACE targetOverride, DWORD flags);
  HRESULT GetAttachedSurface(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* attached);
  HRESULT IsLost();
  HRESULT Lock(LPRECT rect, LPDDSURFACEDESC description, DWORD flags, HANDLE event);
  HRESULT Restore();
  HRESULT SetColorKey(DWORD flags, LPDDCOLORKEY key);
  HRESULT SetPalette(LPDIRECTDRAWPALETTE palette);
  HRESULT Unlock(LPVOID surfaceData);

 protected:
  IDirectDrawSurface() = default;
};

struct IDirectDrawPalette {
  ULONG Release();
  HRESULT SetEntries(DWORD flags, DWORD first, DWORD count, LPPALETTEENTRY entries);

 protected:
  IDirectDrawPalette() = default;
};

HRESULT WINAPI DirectDrawCreate(GUID* driver, LPDIRECTDRAW* displayObject, IUnknown* outer);
