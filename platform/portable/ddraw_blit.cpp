// Blt: colour fill, plain copy and source-keyed copy. Rectangles are right-
// and bottom-exclusive and must lie inside their surfaces (there is no
// clipper); sizes must match (there is no stretching); a surface is never
// blitted onto itself. Runs 46 times a frame, so it allocates nothing and
// its keyed rows work 16 pixels at a time, or 32 where the processor has
// AVX2.
#include <cstring>

#include "ddraw_registry.h"
#include "soft_ddraw.h"

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

// One 16-pixel step of a keyed row: source pixels equal to the key keep the
// destination's pixel.
inline Pixels16 KeyedSelect(const std::uint8_t* dest, const std::uint8_t* source, Pixels16 keys) {
  Pixels16 in;
  Pixels16 out;
  std::memcpy(&in, source, 16);
  std::memcpy(&out, dest, 16);
  Pixels16 keyed = Pixels16(in == keys);
  return (out & keyed) | (in & ~keyed);
}

// Copies the pixels that are not the key. A row's last pixels are one more
// step overlapping the one before, worked out from the row as it was before
// any store, so no load waits on a store; both steps select the same values
// where they overlap.
void KeyedRow(std::uint8_t* dest, const std::uint8_t* source, int width, std::uint8_t key) {
  Pixels16 keys = key - Pixels16{};
  bool overlapTail = width > 16 && width % 16 != 0;
  Pixels16 tail = {};
  if (overlapTail) tail = KeyedSelect(dest + width - 16, source + width - 16, keys);
  int x = 0;
  for (; x + 16 <= width; x += 16) {
    Pixels16 out = KeyedSelect(dest + x, source + x, keys);
    std::memcpy(dest + x, &out, 16);
  }
  if (overlapTail) {
    std::memcpy(dest + width - 16, &tail, 16);
    return;
  }
  for (; x < width; ++x)
    if (source[x] != key) dest[x] = source[x];
}

#if VORN_BLIT_AVX2

__attribute__((target("avx2"), always_inline)) inline __m256i KeyedSelect32(
    const std::uint8_t* dest, const std::uint8_t* source, __m256i keys) {
  __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source));
  __m256i out = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dest));
  return _mm256_blendv_epi8(in, out, _mm256_cmpeq_epi8(in, keys));
}

// KeyedRow for whole rows, 32 pixels a step, with the same overlapping last
// step; rows narrower than one step go the 16-pixel way.
__attribute__((target("avx2"))) void KeyedRowsAvx2(std::uint8_t* dest, const std::uint8_t* source,
                                                   int width, int rows, int destPitch,
                                                   int sourcePitch, std::uint8_t key) {
  const __m256i keys = _mm256_set1_epi8(static_cast<char>(key));
  const bool overlapTail = width % 32 != 0;
  for (int y = 0; y < rows; ++y, dest += destPitch, source += sourcePitch) {
    if (width < 32) {
      KeyedRow(dest, source, width, key);
      continue;
    }
    __m256i tail = keys;
    if (overlapTail) tail = KeyedSelect32(dest + width - 32, source + width - 32, keys);
    for (int x = 0; x + 32 <= width; x += 32) {
      __m256i out = KeyedSelect32(dest + x, source + x, keys);
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
  // A key beyond the 256 indices matches no pixel.
  bool keyed = job.keyed && job.source->sourceKey <= 255;
  std::uint8_t key = static_cast<std::uint8_t>(job.source->sourceKey);
#if VORN_BLIT_AVX2
  if (keyed && wideStepsAllowed && HaveAvx2()) {
    KeyedRowsAvx2(dest, source, width, rows, destPitch, sourcePitch, key);
    return;
  }
#endif
  for (int y = 0; y < rows; ++y, dest += destPitch, source += sourcePitch) {
    if (keyed)
      KeyedRow(dest, source, width, key);
    else
      std::memcpy(dest, source, width);
  }
}

HRESULT ColorFill(SoftSurface* self, const RECT* destRect, const DDBLTFX* effects) {
  if (effects == nullptr || effects->dwSize != sizeof(DDBLTFX)) return DDERR_INVALIDPARAMS;
  if (self->lost) return DDERR_SURFACELOST;
  if (self->locked) return DDERR_SURFACEBUSY;
  RECT whole = {0, 0, self->width, self->height};
  const RECT& rect = destRect != nullptr ? *destRect : whole;
  if (!SoftSurfaceHolds(*self, rect)) return DDERR_INVALIDRECT;
  FillRect(self, rect, static_cast<std::uint8_t>(effects->dwFillColor & 0xFF));
  return DD_OK;
}

HRESULT Copy(SoftSurface* self, const RECT* destRect, IDirectDrawSurface* source,
             const RECT* sourceRect, bool keyed) {
  if (source == nullptr) return DDERR_INVALIDPARAMS;
  SoftSurface* from = softSurfaces.Find(source);
  if (!SoftUsable(from)) return DDERR_INVALIDOBJECT;
  if (from == self) return DDERR_UNSUPPORTED;
  if (self->lost || from->lost) return DDERR_SURFACELOST;
  if (self->locked || from->locked) return DDERR_SURFACEBUSY;
  CopyJob job = {self, from, {0, 0, self->width, self->height},
                 {0, 0, from->width, from->height}, keyed};
  if (destRect != nullptr) job.destRect = *destRect;
  if (sourceRect != nullptr) job.sourceRect = *sourceRect;
  if (!SoftSurfaceHolds(*self, job.destRect) || !SoftSurfaceHolds(*from, job.sourceRect))
    return DDERR_INVALIDRECT;
  if (job.destRect.right - job.destRect.left != job.sourceRect.right - job.sourceRect.left ||
      job.destRect.bottom - job.destRect.top != job.sourceRect.bottom - job.sourceRect.top)
    return DDERR_NOSTRETCHHW;
  if (keyed && !from->hasSourceKey) return DDERR_NOCOLORKEY;
  CopyRects(job);
  return DD_OK;
}

// The opening with the call described in full, taken only while the trace
// is active: an untraced blit pays one test for its trace.
__attribute__((noinline)) HRESULT EnterTraced(IDirectDrawSurface* surface, SoftSurface** self,
                                              const RECT* destRect, IDirectDrawSurface* source,
                                              const RECT* sourceRect, DWORD flags,
                                              const DDBLTFX* effects) {
  const char* variant = (flags & DDBLT_COLORFILL) ? "COLORFILL"
                        : (flags & DDBLT_KEYSRC)  ? "KEYSRC"
                                                  : "COPY";
  return SoftEnter(surface, self, "Blt", variant, TraceRect("dest", destRect),
                   SoftArg("source", source), TraceRect("sourceRect", sourceRect),
                   TraceFlags("flags", flags), TraceGiven("fx", effects),
                   TraceNumber("fx.dwSize", effects != nullptr ? effects->dwSize : 0),
                   TraceFlags("fx.dwFillColor", effects != nullptr ? effects->dwFillColor : 0));
}

}  // namespace

void SoftDirectDrawAllowWideSteps(bool allow) { wideStepsAllowed = allow; }

// Called by the display's clear (colour fill) and by sprites (keyed copy).
HRESULT IDirectDrawSurface::Blt(LPRECT destRect, LPDIRECTDRAWSURFACE source, LPRECT sourceRect,
                                DWORD flags, LPDDBLTFX effects) {
  SoftSurface* self = nullptr;
  HRESULT opening = TraceActive()
                        ? EnterTraced(this, &self, destRect, source, sourceRect, flags, effects)
                        : SoftEnter(this, &self, "Blt", nullptr);
  if (opening != DD_OK) return opening;
  if (flags & ~kKnownFlags) return DDERR_UNSUPPORTED;
  if (flags & DDBLT_COLORFILL) {
    if (flags & DDBLT_KEYSRC) return DDERR_INVALIDPARAMS;
    return ColorFill(self, destRect, effects);
  }
  return Copy(self, destRect, source, sourceRect, (flags & DDBLT_KEYSRC) != 0);
}
