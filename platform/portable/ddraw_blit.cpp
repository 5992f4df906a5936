// Blt: colour fill, plain copy and source-keyed copy. Rectangles are right-
// and bottom-exclusive and must lie inside their surfaces (there is no
// clipper); sizes must match (there is no stretching). Runs 46 times a frame,
// so it allocates nothing and its inner loops work 16 pixels at a time, or
// 32 where the processor has AVX2.
#include <cstdio>
#include <cstring>

#include "call_trace.h"
#include "soft_ddraw.h"
#include "soft_ddraw_objects.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define VORN_BLIT_AVX2 1
#include <immintrin.h>
#endif

namespace {

typedef std::uint8_t Pixels16 __attribute__((vector_size(16)));

const DWORD kKnownFlags = DDBLT_COLORFILL | DDBLT_KEYSRC | DDBLT_WAIT;

void FillRect(SoftSurface* surface, const RECT& rect, std::uint8_t value) {
  int width = rect.right - rect.left;
  int rows = rect.bottom - rect.top;
  std::uint8_t* row = surface->pixels + rect.top * surface->pitch + rect.left;
  if (width == surface->pitch) {
    std::memset(row, value, static_cast<std::size_t>(width) * rows);
    return;
  }
  for (int y = 0; y < rows; ++y, row += surface->pitch) std::memset(row, value, width);
}

// One 16-pixel step of a keyed row: source pixels inside [low, low + span]
// keep the destination's pixel.
template <bool Single>
inline Pixels16 KeyedSelect(const std::uint8_t* dest, const std::uint8_t* source, Pixels16 lows,
                            Pixels16 spans) {
  Pixels16 in;
  Pixels16 out;
  std::memcpy(&in, source, 16);
  std::memcpy(&out, dest, 16);
  Pixels16 keyed = Single ? Pixels16(in == lows) : Pixels16(Pixels16(in - lows) <= spans);
  return (out & keyed) | (in & ~keyed);
}

// Copies the pixels outside [low, low + span]; pixels inside leave the
// destination as it was. Single is the common one-value key (span 0).
// A row's last pixels are one more step overlapping the one before, worked
// out from the row as it was before any store (so no load waits on a
// store): walking forwards never reads a pixel after overwriting it, so
// both steps select the same values.
template <bool Single>
void KeyedRow(std::uint8_t* dest, const std::uint8_t* source, int width, std::uint8_t low,
              std::uint8_t span) {
  Pixels16 lows = low - Pixels16{};
  Pixels16 spans = span - Pixels16{};
  bool overlapTail = width > 16 && width % 16 != 0;
  Pixels16 tail = {};
  if (overlapTail) tail = KeyedSelect<Single>(dest + width - 16, source + width - 16, lows, spans);
  int x = 0;
  for (; x + 16 <= width; x += 16) {
    Pixels16 out = KeyedSelect<Single>(dest + x, source + x, lows, spans);
    std::memcpy(dest + x, &out, 16);
  }
  if (overlapTail) {
    std::memcpy(dest + width - 16, &tail, 16);
    return;
  }
  for (; x < width; ++x) {
    std::uint8_t pixel = source[x];
    if (static_cast<std::uint8_t>(pixel - low) > span) dest[x] = pixel;
  }
}

#if VORN_BLIT_AVX2

// KeyedSelect for 32 pixels; one test serves both key forms, since
// min(offset, 0) == offset only where offset is 0.
__attribute__((target("avx2"), always_inline)) inline __m256i KeyedSelect32(
    const std::uint8_t* dest, const std::uint8_t* source, __m256i lows, __m256i spans) {
  __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source));
  __m256i out = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dest));
  __m256i offset = _mm256_sub_epi8(in, lows);
  __m256i keyed = _mm256_cmpeq_epi8(_mm256_min_epu8(offset, spans), offset);
  return _mm256_blendv_epi8(in, out, keyed);
}

// KeyedRow for whole rows, 32 pixels a step, with the same overlapping last
// step; rows narrower than one step go the 16-pixel way.
__attribute__((target("avx2"))) void KeyedRowsAvx2(std::uint8_t* dest, const std::uint8_t* source,
                                                   int width, int rows, int destPitch,
                                                   int sourcePitch, std::uint8_t low,
                                                   std::uint8_t span) {
  const __m256i lows = _mm256_set1_epi8(static_cast<char>(low));
  const __m256i spans = _mm256_set1_epi8(static_cast<char>(span));
  const bool overlapTail = width % 32 != 0;
  for (int y = 0; y < rows; ++y, dest += destPitch, source += sourcePitch) {
    if (width < 32) {
      KeyedRow<false>(dest, source, width, low, span);
      continue;
    }
    __m256i tail = lows;
    if (overlapTail) tail = KeyedSelect32(dest + width - 32, source + width - 32, lows, spans);
    for (int x = 0; x + 32 <= width; x += 32) {
      __m256i out = KeyedSelect32(dest + x, source + x, lows, spans);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dest + x), out);
    }
    if (overlapTail) _mm256_storeu_si256(reinterpret_cast<__m256i*>(dest + width - 32), tail);
  }
}

bool HaveAvx2() {
  static const bool have = __builtin_cpu_supports("avx2");
  return have;
}

#endif

bool wideStepsAllowed = true;

// The overlapping case of a surface blitted onto itself further right:
// walked from the right so no source pixel is overwritten before it is read.
void KeyedRowBackwards(std::uint8_t* dest, const std::uint8_t* source, int width,
                       std::uint8_t low, std::uint8_t span) {
  for (int x = width - 1; x >= 0; --x) {
    std::uint8_t pixel = source[x];
    if (static_cast<std::uint8_t>(pixel - low) > span) dest[x] = pixel;
  }
}

struct CopyJob {
  SoftSurface* dest;
  const SoftSurface* source;
  RECT destRect;
  RECT sourceRect;
  bool keyed;
};

void CopyRects(const CopyJob& job) {
  int width = job.destRect.right - job.destRect.left;
  int rows = job.destRect.bottom - job.destRect.top;
  std::uint8_t* dest = job.dest->pixels + job.destRect.top * job.dest->pitch + job.destRect.left;
  const std::uint8_t* source =
      job.source->pixels + job.sourceRect.top * job.source->pitch + job.sourceRect.left;
  int destPitch = job.dest->pitch;
  int sourcePitch = job.source->pitch;
  bool self = job.dest == job.source;
  if (self && job.destRect.top > job.sourceRect.top) {  // overlap downwards: bottom row first
    dest += (rows - 1) * destPitch;
    source += (rows - 1) * sourcePitch;
    destPitch = -destPitch;
    sourcePitch = -sourcePitch;
  }
  DWORD low = job.source->keyLow;
  DWORD high = job.source->keyHigh > 255 ? 255 : job.source->keyHigh;
  bool keyed = job.keyed && low <= high;
  std::uint8_t keyLow = static_cast<std::uint8_t>(low);
  std::uint8_t span = static_cast<std::uint8_t>(high - low);
  bool backwards = self && job.destRect.left > job.sourceRect.left;
#if VORN_BLIT_AVX2
  if (keyed && !backwards && wideStepsAllowed && HaveAvx2()) {
    KeyedRowsAvx2(dest, source, width, rows, destPitch, sourcePitch, keyLow, span);
    return;
  }
#endif
  for (int y = 0; y < rows; ++y, dest += destPitch, source += sourcePitch) {
    if (!keyed)
      std::memmove(dest, source, width);
    else if (backwards)
      KeyedRowBackwards(dest, source, width, keyLow, span);
    else if (span == 0)
      KeyedRow<true>(dest, source, width, keyLow, 0);
    else
      KeyedRow<false>(dest, source, width, keyLow, span);
  }
}

HRESULT ColorFill(SoftSurface* self, const RECT* destRect, const DDBLTFX* effects) {
  if (effects == nullptr || effects->dwSize != sizeof(DDBLTFX)) return DDERR_INVALIDPARAMS;
  if (self->lost) return DDERR_SURFACELOST;
  if (self->locked) return DDERR_SURFACEBUSY;
  RECT whole = {0, 0, self->width, self->height};
  const RECT& rect = destRect != nullptr ? *destRect : whole;
  if (!SoftRectInside(rect, self->width, self->height)) return DDERR_INVALIDRECT;
  FillRect(self, rect, static_cast<std::uint8_t>(effects->dwFillColor & 0xFF));
  return DD_OK;
}

HRESULT Copy(SoftSurface* self, const RECT* destRect, IDirectDrawSurface* source,
             const RECT* sourceRect, bool keyed) {
  if (source == nullptr) return DDERR_INVALIDPARAMS;
  SoftSurface* from = SoftSurfaceFind(source);
  if (!SoftUsable(from)) return DDERR_INVALIDOBJECT;
  if (self->lost || from->lost) return DDERR_SURFACELOST;
  if (self->locked || from->locked) return DDERR_SURFACEBUSY;
  CopyJob job = {self, from, {0, 0, self->width, self->height},
                 {0, 0, from->width, from->height}, keyed};
  if (destRect != nullptr) job.destRect = *destRect;
  if (sourceRect != nullptr) job.sourceRect = *sourceRect;
  if (!SoftRectInside(job.destRect, self->width, self->height) ||
      !SoftRectInside(job.sourceRect, from->width, from->height))
    return DDERR_INVALIDRECT;
  if (job.destRect.right - job.destRect.left != job.sourceRect.right - job.sourceRect.left ||
      job.destRect.bottom - job.destRect.top != job.sourceRect.bottom - job.sourceRect.top)
    return DDERR_NOSTRETCHHW;
  if (keyed && !from->hasSourceKey) return DDERR_NOCOLORKEY;
  CopyRects(job);
  return DD_OK;
}

void EffectsText(const DDBLTFX* effects, char* text, int size) {
  if (!TraceLogging()) return;
  if (effects == nullptr)
    std::snprintf(text, size, "null");
  else
    std::snprintf(text, size, "(dwSize=%u, dwFillColor=0x%X)",
                  static_cast<unsigned>(effects->dwSize),
                  static_cast<unsigned>(effects->dwFillColor));
}

// Logs the call and says whether an armed fault makes it fail.
bool AnnounceBlt(const SoftSurface* self, const RECT* destRect, IDirectDrawSurface* source,
                 const RECT* sourceRect, DWORD flags, const DDBLTFX* effects) {
  const char* variant = (flags & DDBLT_COLORFILL) ? "COLORFILL"
                        : (flags & DDBLT_KEYSRC)  ? "KEYSRC"
                                                  : "COPY";
  char destText[64] = "";
  char sourceText[64] = "";
  char effectsText[64] = "";
  SoftRectText(destRect, destText, sizeof destText);
  SoftRectText(sourceRect, sourceText, sizeof sourceText);
  EffectsText(effects, effectsText, sizeof effectsText);
  return PlatformCall("Blt", variant, "%s, dest=%s, src=%s, srcRect=%s, flags=0x%X, fx=%s",
                      SoftLabelOf(self), destText, SoftSurfaceLabel(source), sourceText,
                      static_cast<unsigned>(flags), effectsText);
}

}  // namespace

void SoftDirectDrawAllowWideSteps(bool allow) { wideStepsAllowed = allow; }

// Called by the display's clear (colour fill) and by sprites (keyed copy).
HRESULT IDirectDrawSurface::Blt(LPRECT destRect, LPDIRECTDRAWSURFACE source, LPRECT sourceRect,
                                DWORD flags, LPDDBLTFX effects) {
  SoftSurface* self = SoftSurfaceFind(this);
  if (TraceActive() && AnnounceBlt(self, destRect, source, sourceRect, flags, effects))
    return DDERR_GENERIC;
  if (!SoftUsable(self)) return DDERR_INVALIDOBJECT;
  if (flags & ~kKnownFlags) return DDERR_UNSUPPORTED;
  if (flags & DDBLT_COLORFILL) {
    if (flags & DDBLT_KEYSRC) return DDERR_INVALIDPARAMS;
    return ColorFill(self, destRect, effects);
  }
  return Copy(self, destRect, source, sourceRect, (flags & DDBLT_KEYSRC) != 0);
}
