// The software DirectDraw, driven directly on a fresh headless platform:
// blit rules, colour keys, pitch, flips and presents, reference counts,
// lost surfaces, calls on ended objects, and the calls it records.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "kit_fixtures.h"
#include "portable/process_control.h"

namespace {

using SoftDirectDraw = DisplayTest;

TEST_F(SoftDirectDraw, BltRectanglesAreRightAndBottomExclusiveAndMustLieInside) {
  IDirectDrawSurface* source = Offscreen(8, 8);
  ASSERT_EQ(ColourFill(source, 9), DD_OK);
  RECT dest = {10, 20, 12, 23};
  RECT from = {0, 0, 2, 3};
  ASSERT_EQ(back->Blt(&dest, source, &from, DDBLT_WAIT, nullptr), DD_OK);
  Bytes bytes = SurfaceBytes(back);
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
    EXPECT_EQ(ColourFill(back, 1, &rect), DDERR_INVALIDRECT);
  }
  RECT outsideSource = {7, 0, 9, 3};
  EXPECT_EQ(back->Blt(&dest, source, &outsideSource, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
  RECT wider = {10, 20, 13, 23};
  EXPECT_EQ(back->Blt(&wider, source, &from, DDBLT_WAIT, nullptr), DDERR_NOSTRETCHHW);
  EXPECT_EQ(SurfaceBytes(back), bytes);
}

TEST_F(SoftDirectDraw, KeyedBlitSkipsExactlyTheKeyedSourcePixels) {
  // 37 columns: two 16-pixel chunks and a tail.
  IDirectDrawSurface* source = Offscreen(37, 3);
  Bytes pattern;
  for (int i = 0; i < 37 * 3; ++i) pattern.push_back(static_cast<std::uint8_t>(i % 7));
  ASSERT_TRUE(WriteSurfacePixels(source, pattern));
  ASSERT_EQ(ColourFill(back, 200), DD_OK);
  EXPECT_EQ(back->Blt(nullptr, source, nullptr, DDBLT_KEYSRC, nullptr), DDERR_NOSTRETCHHW);
  RECT dest = {1, 1, 38, 4};
  EXPECT_EQ(back->Blt(&dest, source, nullptr, DDBLT_KEYSRC, nullptr), DDERR_NOCOLORKEY);

  DDCOLORKEY single = {0, 0};
  ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT, &single), DD_OK);
  ASSERT_EQ(back->Blt(&dest, source, nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
  Bytes bytes = SurfaceBytes(back);
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
  ASSERT_EQ(ColourFill(back, 200), DD_OK);
  ASSERT_EQ(back->Blt(&dest, source, nullptr, DDBLT_KEYSRC, nullptr), DD_OK);
  bytes = SurfaceBytes(back);
  for (int i = 0; i < 37 * 3; ++i)
    ASSERT_EQ(bytes[(1 + i / 37) * 640 + 1 + i % 37], pattern[i] == 2 ? 200 : pattern[i]) << i;
}

// Blits within one surface are not offered: refused whole, never half done.
TEST_F(SoftDirectDraw, ASurfaceIsNeverBlittedOntoItself) {
  IDirectDrawSurface* surface = Offscreen(40, 6);
  Bytes pattern;
  for (int i = 0; i < 40 * 6; ++i) pattern.push_back(static_cast<std::uint8_t>(i % 31));
  ASSERT_TRUE(WriteSurfacePixels(surface, pattern));
  Bytes before = SurfaceBytes(surface);
  DDCOLORKEY key = {0, 0};
  ASSERT_EQ(surface->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  RECT dest = {3, 1, 40, 6};
  RECT from = {0, 0, 37, 5};
  EXPECT_EQ(surface->Blt(&dest, surface, &from, DDBLT_KEYSRC, nullptr), DDERR_UNSUPPORTED);
  EXPECT_EQ(surface->Blt(&dest, surface, &from, 0, nullptr), DDERR_UNSUPPORTED);
  EXPECT_EQ(SurfaceBytes(surface), before);
}

TEST_F(SoftDirectDraw, WidePitchKeepsRowsApartAndItsPaddingUntouched) {
  HeadlessConfig config;
  config.pitchPadding = 13;
  ASSERT_TRUE(Reopen(config));
  int pitch = 0;
  ASSERT_EQ(ColourFill(back, 0x1234), DD_OK);  // only the low byte is a colour
  Bytes bytes = SurfaceBytes(back, &pitch);
  ASSERT_EQ(pitch, 653);
  IDirectDrawSurface* sprite = Offscreen(5, 2);
  ASSERT_TRUE(WriteSurfacePixels(sprite, {0, 0, 0, 0, 0, 0, 0, 0, 0, 77}));
  RECT dest = {635, 478, 640, 480};
  ASSERT_EQ(back->Blt(&dest, sprite, nullptr, 0, nullptr), DD_OK);
  bytes = SurfaceBytes(back);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < pitch; ++x) {
      std::uint8_t expected = x >= 640 ? 0 : 0x34;
      if (y >= 478 && x >= 635 && x < 640) expected = (x == 639 && y == 479) ? 77 : 0;
      ASSERT_EQ(bytes[y * pitch + x], expected) << x << "," << y;
    }
}

TEST_F(SoftDirectDraw, FlipSwapsThePagesAndPresentsTheNewFrontWithItsPalette) {
  HeadlessConfig config;
  config.pitchPadding = 3;
  ASSERT_TRUE(Reopen(config));
  ASSERT_EQ(ColourFill(primary, 1), DD_OK);
  ASSERT_EQ(ColourFill(back, 2), DD_OK);
  RECT corner = {639, 479, 640, 480};
  ASSERT_EQ(ColourFill(back, 5, &corner), DD_OK);
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);  // no palette yet: black
  PALETTEENTRY entries[256] = {};
  entries[5] = {10, 20, 30, PC_NOCOLLAPSE};
  IDirectDrawPalette* palette = nullptr;
  ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr), DD_OK);
  ASSERT_EQ(primary->SetPalette(palette), DD_OK);
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);

  HeadlessResult result = Close();
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
  EXPECT_EQ(ColourFill(back, 3), DDERR_SURFACEBUSY);
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

  HeadlessConfig config;
  config.logCalls = true;
  ASSERT_TRUE(Reopen(config));
  ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
  sprite = Offscreen(4, 4);
  EXPECT_EQ(dd->Release(), 0u);
  EXPECT_EQ(PlatformCountsNow().liveObjects, 0);
  EXPECT_EQ(PlatformCountsNow().misuses, 0);
  // Every later call on what it created is refused and counted, not obeyed.
  EXPECT_EQ(ColourFill(back, 1), DDERR_INVALIDOBJECT);
  EXPECT_EQ(sprite->Release(), 0u);
  EXPECT_EQ(palette->SetEntries(0, 0, 1, entries), DDERR_INVALIDOBJECT);
  EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_INVALIDOBJECT);
  EXPECT_EQ(dd->Release(), 0u);
  EXPECT_EQ(PlatformCountsNow().misuses, 5);
  HeadlessResult result = Close();
  EXPECT_EQ(CountCalls(result, "HostRestoreDisplayMode"), 1);
  EXPECT_EQ(result.presents, 0);
}

TEST_F(SoftDirectDraw, LostSurfacesRefuseWorkUntilRestoredWithGarbage) {
  IDirectDrawSurface* sprite = Offscreen(4, 4);
  ASSERT_EQ(ColourFill(back, 0), DD_OK);
  HeadlessLoseDisplay();
  EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(ColourFill(back, 1), DDERR_SURFACELOST);
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
  Bytes bytes = SurfaceBytes(back);
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

  HeadlessResult result = Close();
  ASSERT_EQ(result.frames.size(), 2u);
  EXPECT_EQ(result.frames[0].palette[254].peRed, 0);  // the refused calls changed nothing
  EXPECT_EQ(result.frames[0].palette[255].peRed, 1);
  EXPECT_EQ(result.frames[1].palette[253].peRed, 0);
  EXPECT_EQ(result.frames[1].palette[254].peRed, 7);
  EXPECT_EQ(result.frames[1].palette[255].peRed, 8);
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
  ASSERT_EQ(ColourFill(back, 6), DD_OK);
  EXPECT_EQ(primary->Flip(sprite, DDFLIP_WAIT), DDERR_INVALIDPARAMS);
  EXPECT_EQ(primary->Flip(primary, DDFLIP_WAIT), DDERR_INVALIDPARAMS);
  ASSERT_EQ(primary->Flip(back, DDFLIP_WAIT), DD_OK);
  HeadlessResult result = Close();
  ASSERT_EQ(result.frames.size(), 1u);
  EXPECT_EQ(result.frames[0].pixels[0], 6);
}

// Each call is recorded as values: its name, variant, object and arguments.
TEST_F(SoftDirectDraw, CallsAreRecordedAsValuesAndFaultsMatchTheirVariant) {
  HeadlessConfig config;
  config.logCalls = true;
  config.faults.push_back({"Blt", "COLORFILL", FaultMode::Always, 1});
  ASSERT_TRUE(Reopen(config));
  IDirectDrawSurface* sprite = Offscreen(64, 64);
  DDCOLORKEY key = {0, 0};
  ASSERT_EQ(sprite->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  EXPECT_EQ(ColourFill(back, 0), DD_OK);  // skipped once
  EXPECT_EQ(ColourFill(back, 0), DDERR_GENERIC);
  EXPECT_EQ(ColourFill(back, 0), DDERR_GENERIC);
  RECT dest = {1, 2, 64, 65};
  RECT from = {0, 0, 63, 63};
  EXPECT_EQ(back->Blt(&dest, sprite, &from, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
  HeadlessResult result = Close();

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
  EXPECT_EQ(keyed.Number("flags"), DDBLT_KEYSRC | DDBLT_WAIT);
  auto corners = [&keyed](const char* field) {
    const RECT& rect = keyed.Find(field)->rect;
    return std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom};
  };
  EXPECT_EQ(corners("dest"), (std::vector<LONG>{1, 2, 64, 65})) << TraceCallText(keyed);
  EXPECT_EQ(corners("sourceRect"), (std::vector<LONG>{0, 0, 63, 63})) << TraceCallText(keyed);
  EXPECT_EQ(keyed.Find("fx")->given, false);
  EXPECT_EQ(keyed.Number("fx.dwSize"), 0);
}

}  // namespace
