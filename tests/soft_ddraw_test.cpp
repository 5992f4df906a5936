// The software DirectDraw, driven directly on a fresh headless platform:
// blit rules, colour keys, pitch, flips and presents, reference counts,
// lost surfaces, calls on ended objects, and the calls it records.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "headless.h"
#include "platform.h"
#include "portable/process_control.h"
#include "surface_desc.h"

namespace {

class SoftDirectDraw : public ::testing::Test {
 protected:
  void SetUp() override { Open(HeadlessConfig()); }
  void TearDown() override { HeadlessEnd(); }

  // A window, the display object in exclusive mode at 640 x 480 x 8 and the
  // flip chain with its back buffer.
  void Open(const HeadlessConfig& config) {
    HeadlessBegin(config);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "TEST";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    window = CreateWindowExA(0, "TEST", "t", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                             nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
    ASSERT_EQ(dd->SetDisplayMode(640, 480, 8), DD_OK);
    DDSURFACEDESC desc = FlipChainDesc();
    ASSERT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
    DDSCAPS caps = {DDSCAPS_BACKBUFFER};
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
  }

  IDirectDrawSurface* Offscreen(int width, int height) {
    DDSURFACEDESC desc = OffscreenDesc(width, height);
    IDirectDrawSurface* surface = nullptr;
    EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DD_OK);
    return surface;
  }

  static HRESULT Fill(IDirectDrawSurface* surface, DWORD color, RECT* rect = nullptr) {
    DDBLTFX fx = {};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = color;
    return surface->Blt(rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
  }

  // Every row of the surface, pitch included, as the lock shows it.
  static std::vector<std::uint8_t> Bytes(IDirectDrawSurface* surface, int* pitch = nullptr) {
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof desc;
    EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    auto* first = static_cast<std::uint8_t*>(desc.lpSurface);
    std::vector<std::uint8_t> bytes(first, first + desc.lPitch * desc.dwHeight);
    EXPECT_EQ(surface->Unlock(desc.lpSurface), DD_OK);
    if (pitch != nullptr) *pitch = desc.lPitch;
    return bytes;
  }

  static void Poke(IDirectDrawSurface* surface, int x, int y, std::uint8_t value) {
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    static_cast<std::uint8_t*>(desc.lpSurface)[y * desc.lPitch + x] = value;
    ASSERT_EQ(surface->Unlock(desc.lpSurface), DD_OK);
  }

  HWND window = nullptr;
  IDirectDraw* dd = nullptr;
  IDirectDrawSurface* primary = nullptr;
  IDirectDrawSurface* back = nullptr;
};

TEST_F(SoftDirectDraw, BltRectanglesAreRightAndBottomExclusiveAndMustLieInside) {
  IDirectDrawSurface* source = Offscreen(8, 8);
  ASSERT_EQ(Fill(source, 9), DD_OK);
  RECT dest = {10, 20, 12, 23};
  RECT from = {0, 0, 2, 3};
  ASSERT_EQ(back->Blt(&dest, source, &from, DDBLT_WAIT, nullptr), DD_OK);
  std::vector<std::uint8_t> bytes = Bytes(back);
  int painted = 0;
  for (std::uint8_t byte : bytes) painted += byte == 9;
  EXPECT_EQ(painted, 6);
  EXPECT_EQ(bytes[20 * 640 + 10], 9);
  EXPECT_EQ(bytes[22 * 640 + 11], 9);

  // Refused rectangles leave the destination untouched.
  RECT refused[] = {{-1, 0, 1, 3},     {639, 0, 641, 3}, {5, 478, 7, 481},
                    {12, 20, 10, 23},  {10, 20, 10, 23}};
  for (RECT& rect : refused) {
    EXPECT_EQ(back->Blt(&rect, source, &from, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(Fill(back, 1, &rect), DDERR_INVALIDRECT);
  }
  RECT outsideSource = {7, 0, 9, 3};
  EXPECT_EQ(back->Blt(&dest, source, &outsideSource, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
  RECT wider = {10, 20, 13, 23};
  EXPECT_EQ(back->Blt(&wider, source, &from, DDBLT_WAIT, nullptr), DDERR_NOSTRETCHHW);
  EXPECT_EQ(Bytes(back), bytes);
}

TEST_F(SoftDirectDraw, KeyedBlitSkipsExactlyTheKeyedSourcePixels) {
  // 37 columns: two 16-pixel chunks and a tail.
  IDirectDrawSurface* source = Offscreen(37, 3);
  std::vector<std::uint8_t> pattern;
  for (int i = 0; i < 37 * 3; ++i) pattern.push_back(static_cast<std::uint8_t>(i % 7));
  for (int i = 0; i < 37 * 3; ++i) Poke(source, i % 37, i / 37, pattern[i]);
  ASSERT_EQ(Fill(back, 200), DD_OK);
  EXPECT_EQ(back->Blt(nullptr, source, nullptr, DDBLT_KEYSRC, nullptr), DDERR_NOSTRETCHHW);
  RECT dest = {1, 1, 38, 4};
  EXPECT_EQ(back->Blt(&dest, source, nullptr, DDBLT_KEYSRC, nullptr), DDERR_NOCOLORKEY);

  DDCOLORKEY single = {0, 0};
  ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT, &single), DD_OK);
  ASSERT_EQ(back->Blt(&dest, source, nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
  std::vector<std::uint8_t> bytes = Bytes(back);
  for (int i = 0; i < 37 * 3; ++i) {
    std::uint8_t expected = pattern[i] == 0 ? 200 : pattern[i];
    ASSERT_EQ(bytes[(1 + i / 37) * 640 + 1 + i % 37], expected) << "pixel " << i;
  }
  EXPECT_EQ(bytes[1 * 640 + 38], 200);  // the right edge is exclusive

  // One key value only: a range is refused, and without DDCKEY_COLORSPACE
  // the high value is ignored as in DirectDraw.
  DDCOLORKEY range = {2, 4};
  EXPECT_EQ(source->SetColorKey(DDCKEY_SRCBLT | DDCKEY_COLORSPACE, &range), DDERR_UNSUPPORTED);
  ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT, &range), DD_OK);
  ASSERT_EQ(Fill(back, 200), DD_OK);
  ASSERT_EQ(back->Blt(&dest, source, nullptr, DDBLT_KEYSRC, nullptr), DD_OK);
  bytes = Bytes(back);
  for (int i = 0; i < 37 * 3; ++i)
    ASSERT_EQ(bytes[(1 + i / 37) * 640 + 1 + i % 37], pattern[i] == 2 ? 200 : pattern[i]) << i;
}

// Blits within one surface are not offered: refused whole, never half done.
TEST_F(SoftDirectDraw, ASurfaceIsNeverBlittedOntoItself) {
  IDirectDrawSurface* surface = Offscreen(40, 6);
  for (int i = 0; i < 40 * 6; ++i) Poke(surface, i % 40, i / 40, static_cast<std::uint8_t>(i % 31));
  std::vector<std::uint8_t> before = Bytes(surface);
  DDCOLORKEY key = {0, 0};
  ASSERT_EQ(surface->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  RECT dest = {3, 1, 40, 6};
  RECT from = {0, 0, 37, 5};
  EXPECT_EQ(surface->Blt(&dest, surface, &from, DDBLT_KEYSRC, nullptr), DDERR_UNSUPPORTED);
  EXPECT_EQ(surface->Blt(&dest, surface, &from, 0, nullptr), DDERR_UNSUPPORTED);
  EXPECT_EQ(Bytes(surface), before);
}

TEST_F(SoftDirectDraw, WidePitchKeepsRowsApartAndItsPaddingUntouched) {
  HeadlessEnd();
  HeadlessConfig config;
  config.pitchPadding = 13;
  Open(config);
  int pitch = 0;
  ASSERT_EQ(Fill(back, 0x1234), DD_OK);  // only the low byte is a colour
  std::vector<std::uint8_t> bytes = Bytes(back, &pitch);
  ASSERT_EQ(pitch, 653);
  IDirectDrawSurface* sprite = Offscreen(5, 2);
  Poke(sprite, 4, 1, 77);
  RECT dest = {635, 478, 640, 480};
  ASSERT_EQ(back->Blt(&dest, sprite, nullptr, 0, nullptr), DD_OK);
  bytes = Bytes(back);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < pitch; ++x) {
      std::uint8_t expected = x >= 640 ? 0 : 0x34;
      if (y >= 478 && x >= 635 && x < 640) expected = (x == 639 && y == 479) ? 77 : 0;
      ASSERT_EQ(bytes[y * pitch + x], expected) << x << "," << y;
    }
}

TEST_F(SoftDirectDraw, FlipSwapsThePagesAndPresentsTheNewFrontWithItsPalette) {
  HeadlessEnd();
  HeadlessConfig config;
  config.pitchPadding = 3;
  Open(config);
  ASSERT_EQ(Fill(primary, 1), DD_OK);
  ASSERT_EQ(Fill(back, 2), DD_OK);
  Poke(back, 639, 479, 5);
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);  // no palette yet: black
  PALETTEENTRY entries[256] = {};
  entries[5] = {10, 20, 30, PC_NOCOLLAPSE};
  IDirectDrawPalette* palette = nullptr;
  ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr), DD_OK);
  ASSERT_EQ(primary->SetPalette(palette), DD_OK);
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);

  HeadlessResult result = HeadlessEnd();
  ASSERT_EQ(result.frames.size(), 2u);
  const HeadlessFrame& first = result.frames[0];
  ASSERT_EQ(first.width, 640);
  ASSERT_EQ(first.pixels.size(), 640u * 480u);
  EXPECT_EQ(first.pixels[0], 2);
  EXPECT_EQ(first.pixels.back(), 5);
  EXPECT_EQ(first.palette[5].peBlue, 0);
  const HeadlessFrame& second = result.frames[1];
  EXPECT_EQ(second.pixels[0], 1);  // the old front came back as the back buffer
  EXPECT_EQ(second.palette[5].peBlue, 30);
  Open(HeadlessConfig());
}

TEST_F(SoftDirectDraw, LocksAreExclusiveAndBlockBlitsAndFlips) {
  DDSURFACEDESC desc = {};
  desc.dwSize = sizeof desc - 1;
  EXPECT_EQ(back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
  desc.dwSize = sizeof desc;
  ASSERT_EQ(back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(desc.dwWidth, 640u);
  EXPECT_EQ(desc.dwHeight, 480u);
  EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 8u);
  EXPECT_TRUE(desc.ddpfPixelFormat.dwFlags & DDPF_PALETTEINDEXED8);
  EXPECT_TRUE(desc.ddsCaps.dwCaps & DDSCAPS_BACKBUFFER);
  DDSURFACEDESC again = {};
  again.dwSize = sizeof again;
  EXPECT_EQ(back->Lock(nullptr, &again, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(Fill(back, 3), DDERR_SURFACEBUSY);
  EXPECT_EQ(primary->Blt(nullptr, back, nullptr, 0, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACEBUSY);
  EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
  EXPECT_EQ(back->Unlock(desc.lpSurface), DD_OK);
  EXPECT_EQ(back->Unlock(desc.lpSurface), DDERR_NOTLOCKED);
  EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
}

TEST_F(SoftDirectDraw, CreationFollowsCooperativeLevelModeAndRecordSizes) {
  DDSURFACEDESC desc = FlipChainDesc();
  IDirectDrawSurface* surface = nullptr;
  EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
  desc.dwSize = 100;
  EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DDERR_INVALIDPARAMS);
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH;  // an off-screen surface needs both sizes
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(surface, nullptr);
  desc = OffscreenDesc(4, 4);
  desc.dwFlags |= DDSD_CKSRCBLT;  // keys are set with SetColorKey only
  EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DDERR_UNSUPPORTED);
  EXPECT_EQ(dd->SetDisplayMode(640, 480, 16), DDERR_INVALIDMODE);

  IDirectDraw* second = nullptr;
  ASSERT_EQ(DirectDrawCreate(nullptr, &second, nullptr), DD_OK);
  EXPECT_EQ(second->SetCooperativeLevel(window, DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
  EXPECT_EQ(second->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE),
            DDERR_EXCLUSIVEMODEALREADYSET);
  EXPECT_EQ(second->SetDisplayMode(640, 480, 8), DDERR_NOEXCLUSIVEMODE);
  EXPECT_EQ(second->CreateSurface(&desc, &surface, nullptr), DDERR_NOCOOPERATIVELEVELSET);
  ASSERT_EQ(second->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
  desc = FlipChainDesc();
  EXPECT_EQ(second->CreateSurface(&desc, &surface, nullptr), DDERR_NOEXCLUSIVEMODE);
  EXPECT_EQ(second->Release(), 0u);

  ASSERT_EQ(DestroyWindow(window), TRUE);
  ASSERT_EQ(DirectDrawCreate(nullptr, &second, nullptr), DD_OK);
  EXPECT_EQ(second->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE),
            DDERR_INVALIDPARAMS);
}

TEST_F(SoftDirectDraw, ReferencesEndObjectsAndTheDisplayObjectEndsEverything) {
  IDirectDrawPalette* palette = nullptr;
  PALETTEENTRY entries[256] = {};
  ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr), DD_OK);
  ASSERT_EQ(primary->SetPalette(palette), DD_OK);
  IDirectDrawSurface* sprite = Offscreen(4, 4);
  EXPECT_EQ(PlatformCountsNow().liveObjects, 5);  // display, front, back, palette, sprite

  // The back buffer's only reference came from GetAttachedSurface; it lives on.
  EXPECT_EQ(back->Release(), 0u);
  EXPECT_EQ(PlatformCountsNow().liveObjects, 5);
  EXPECT_EQ(back->Release(), 0u);
  EXPECT_EQ(PlatformCountsNow().misuses, 1);  // past zero
  // The palette outlives its creator's reference while the primary holds it.
  EXPECT_EQ(palette->Release(), 1u);
  EXPECT_EQ(sprite->Release(), 0u);
  EXPECT_EQ(PlatformCountsNow().liveObjects, 4);

  HeadlessEnd();
  HeadlessConfig config;
  config.logCalls = true;
  Open(config);
  ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
  sprite = Offscreen(4, 4);
  EXPECT_EQ(dd->Release(), 0u);
  EXPECT_EQ(PlatformCountsNow().liveObjects, 0);
  EXPECT_EQ(PlatformCountsNow().misuses, 0);
  // Every later call on what it created is refused and counted, not obeyed.
  EXPECT_EQ(Fill(back, 1), DDERR_INVALIDOBJECT);
  EXPECT_EQ(sprite->Release(), 0u);
  EXPECT_EQ(palette->SetEntries(0, 0, 1, entries), DDERR_INVALIDOBJECT);
  EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_INVALIDOBJECT);
  EXPECT_EQ(dd->Release(), 0u);
  EXPECT_EQ(PlatformCountsNow().misuses, 5);
  HeadlessResult result = HeadlessEnd();
  EXPECT_EQ(std::count_if(result.calls.begin(), result.calls.end(),
                          [](const TraceCall& call) {
                            return std::string(call.name) == "HostRestoreDisplayMode";
                          }),
            1);
  EXPECT_EQ(result.presents, 0);
  Open(HeadlessConfig());
}

TEST_F(SoftDirectDraw, LostSurfacesRefuseWorkUntilRestoredWithGarbage) {
  IDirectDrawSurface* sprite = Offscreen(4, 4);
  ASSERT_EQ(Fill(back, 0), DD_OK);
  HeadlessLoseDisplay();
  EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(Fill(back, 1), DDERR_SURFACELOST);
  EXPECT_EQ(back->Blt(nullptr, primary, nullptr, 0, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
  DDSURFACEDESC desc = {};
  desc.dwSize = sizeof desc;
  EXPECT_EQ(sprite->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Restore(), DDERR_WRONGMODE);

  HeadlessRegainDisplay();
  EXPECT_EQ(back->Restore(), DDERR_IMPLICITLYCREATED);
  ASSERT_EQ(primary->Restore(), DD_OK);  // the whole chain comes back
  EXPECT_EQ(back->IsLost(), DD_OK);
  EXPECT_EQ(sprite->IsLost(), DDERR_SURFACELOST);
  std::vector<std::uint8_t> bytes = Bytes(back);
  EXPECT_GT(std::count_if(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != 0; }),
            static_cast<long>(bytes.size() / 2));
  EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
}

TEST_F(SoftDirectDraw, PaletteEntriesStayWithinTheTableAndShowAtTheNextPresent) {
  PALETTEENTRY entries[256] = {};
  IDirectDrawPalette* palette = nullptr;
  EXPECT_EQ(dd->CreatePalette(0, entries, &palette, nullptr), DDERR_INVALIDPARAMS);
  entries[255] = {1, 2, 3, 0};
  ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr), DD_OK);
  ASSERT_EQ(primary->SetPalette(palette), DD_OK);
  PALETTEENTRY two[2] = {{7, 7, 7, 0}, {8, 8, 8, 0}};
  EXPECT_EQ(palette->SetEntries(0, 255, 2, two), DDERR_INVALIDPARAMS);
  EXPECT_EQ(palette->SetEntries(0, 0xFFFFFFFFu, 2, two), DDERR_INVALIDPARAMS);
  EXPECT_EQ(palette->SetEntries(1, 0, 2, two), DDERR_INVALIDPARAMS);
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  ASSERT_EQ(palette->SetEntries(0, 254, 2, two), DD_OK);
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);

  HeadlessResult result = HeadlessEnd();
  ASSERT_EQ(result.frames.size(), 2u);
  EXPECT_EQ(result.frames[0].palette[254].peRed, 0);  // the refused calls changed nothing
  EXPECT_EQ(result.frames[0].palette[255].peRed, 1);
  EXPECT_EQ(result.frames[1].palette[253].peRed, 0);
  EXPECT_EQ(result.frames[1].palette[254].peRed, 7);
  EXPECT_EQ(result.frames[1].palette[255].peRed, 8);
  Open(HeadlessConfig());
}

// Only one back buffer is offered, and Flip can only flip to it.
TEST_F(SoftDirectDraw, TheFlipChainHasExactlyOneBackBuffer) {
  ASSERT_EQ(primary->Release(), 0u);
  DDSURFACEDESC desc = FlipChainDesc();
  IDirectDrawSurface* surface = nullptr;
  desc.dwBackBufferCount = 2;
  EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DDERR_UNSUPPORTED);
  desc.dwBackBufferCount = 0;
  EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DDERR_INVALIDPARAMS);
  desc = FlipChainDesc();
  ASSERT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
  DDSCAPS caps = {DDSCAPS_BACKBUFFER};
  ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
  EXPECT_EQ(PlatformCountsNow().liveObjects, 3);

  IDirectDrawSurface* sprite = Offscreen(4, 4);
  ASSERT_EQ(Fill(back, 6), DD_OK);
  EXPECT_EQ(primary->Flip(sprite, DDFLIP_WAIT), DDERR_INVALIDPARAMS);
  EXPECT_EQ(primary->Flip(primary, DDFLIP_WAIT), DDERR_INVALIDPARAMS);
  ASSERT_EQ(primary->Flip(back, DDFLIP_WAIT), DD_OK);
  HeadlessResult result = HeadlessEnd();
  ASSERT_EQ(result.frames.size(), 1u);
  EXPECT_EQ(result.frames[0].pixels[0], 6);
  Open(HeadlessConfig());
}

// Each call is recorded as values: its name, variant, object and arguments.
TEST_F(SoftDirectDraw, CallsAreRecordedAsValuesAndFaultsMatchTheirVariant) {
  HeadlessEnd();
  HeadlessConfig config;
  config.logCalls = true;
  config.faults.push_back({"Blt", "COLORFILL", FaultMode::Always, 1});
  Open(config);
  IDirectDrawSurface* sprite = Offscreen(64, 64);
  DDCOLORKEY key = {0, 0};
  ASSERT_EQ(sprite->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  EXPECT_EQ(Fill(back, 0), DD_OK);  // skipped once
  EXPECT_EQ(Fill(back, 0), DDERR_GENERIC);
  EXPECT_EQ(Fill(back, 0), DDERR_GENERIC);
  RECT dest = {1, 2, 64, 65};
  RECT from = {0, 0, 63, 63};
  EXPECT_EQ(back->Blt(&dest, sprite, &from, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
  HeadlessResult result = HeadlessEnd();

  std::vector<std::string> names;
  for (const TraceCall& call : result.calls) names.push_back(call.name);
  const std::vector<std::string> opening = {
      "DirectDrawCreate", "SetCooperativeLevel", "SetDisplayMode",     "HostSetDisplayMode",
      "CreateSurface",    "GetAttachedSurface",  "CreateSurface",      "SetColorKey",
      "Blt",              "Blt",                 "Blt",                "Blt"};
  ASSERT_GE(names.size(), opening.size());
  EXPECT_EQ(std::vector<std::string>(names.end() - opening.size(), names.end()), opening);
  const TraceCall* calls = &result.calls[result.calls.size() - opening.size()];
  EXPECT_EQ(calls[1].Label("window"), "hwnd1");
  EXPECT_EQ(calls[1].Number("flags"), DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE);
  EXPECT_EQ(calls[3].Number("width"), 640);
  EXPECT_STREQ(calls[4].variant, "PRIMARY");
  EXPECT_EQ(calls[4].Number("dwBackBufferCount"), 1);
  // Record sizes are kept as passed: the caller's sizeof.
  EXPECT_EQ(calls[4].Number("dwSize"), static_cast<std::int64_t>(sizeof(DDSURFACEDESC)));
  EXPECT_EQ(calls[5].Label("this"), "surface1");
  EXPECT_STREQ(calls[6].variant, "OFFSCREEN");
  EXPECT_EQ(calls[6].Number("dwWidth"), 64);
  EXPECT_EQ(calls[7].Label("this"), "surface3");
  EXPECT_STREQ(calls[8].variant, "COLORFILL");
  EXPECT_EQ(calls[8].Number("fx.dwSize"), static_cast<std::int64_t>(sizeof(DDBLTFX)));
  EXPECT_EQ(calls[8].Find("dest")->given, false);
  const TraceCall& keyed = calls[11];
  EXPECT_STREQ(keyed.variant, "KEYSRC");
  EXPECT_EQ(keyed.Label("this"), "surface2");
  EXPECT_EQ(keyed.Label("source"), "surface3");
  EXPECT_EQ(keyed.Find("dest")->rect.right, 64);
  EXPECT_EQ(keyed.Number("flags"), DDBLT_KEYSRC | DDBLT_WAIT);
  EXPECT_EQ(TraceCallText(keyed),
            "Blt:KEYSRC(this=surface2, dest=(1,2,64,65), source=surface3, "
            "sourceRect=(0,0,63,63), flags=0x1008000, fx=null, fx.dwSize=0, fx.dwFillColor=0x0)");
  Open(HeadlessConfig());
}

}  // namespace
