#include "platform/gfx/Raster.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/gfx/Bitmap.h"

void TRaster::Span(int y, int x0, int x1, uint32_t pixel, TPenMode mode) const {
  if (y < Clip.Top || y >= Clip.Bottom) return;
  x0 = std::max(x0, Clip.Left);
  x1 = std::min(x1, Clip.Right);
  if (x0 >= x1) return;
  uint32_t* row = Row(y);
  if (Mask) {
    for (int x = x0; x < x1; ++x)
      if (Mask->Contains(x, y)) Apply(row[x], pixel, mode);
  } else if (mode == pmCopy) {
    std::fill(row + x0, row + x1, pixel);
  } else {
    for (int x = x0; x < x1; ++x) Apply(row[x], pixel, mode);
  }
}

void TRaster::Blend(int x, int y, uint32_t pixel, unsigned coverage) const {
  if (coverage == 0 || !Visible(x, y)) return;
  uint32_t& d = Row(y)[x];
  d = coverage >= 255 ? pixel : Mix(d, pixel, coverage);
}

// Kept out of line: inlined into the copies, whose straight path the compiler guesses to be
// rare, these loops would not be vectorised.
void CopyRowExceptKey(uint32_t* out, const uint32_t* in, size_t n, uint32_t key) {
  for (size_t i = 0; i < n; ++i) out[i] = in[i] != key ? in[i] : out[i];
}

void CopyRowKeyAsBrush(uint32_t* out, const uint32_t* in, size_t n, uint32_t key, uint32_t brush) {
  for (size_t i = 0; i < n; ++i) out[i] = in[i] == key ? brush : in[i];
}

#if defined(__SSE2__)

namespace {

// Two or four pixels at once, each channel in a 16-bit lane: ink * a + dst * (255 - a) + 127 is
// at most 65152 and the division by 255 adds at most 255 more, so no lane overflows and every
// pixel comes out as TRaster::Mix makes it.
struct TSseBlend {
  __m128i Ink;  // two pixels' channels, 16 bits each
  __m128i Zero = _mm_setzero_si128();

  explicit TSseBlend(uint32_t ink) : Ink(_mm_unpacklo_epi8(_mm_set1_epi32(int(ink)), _mm_setzero_si128())) {}

  __m128i Mix(__m128i dst, __m128i a) const {
    const __m128i inv = _mm_sub_epi16(_mm_set1_epi16(255), a);
    __m128i v = _mm_add_epi16(_mm_mullo_epi16(Ink, a), _mm_mullo_epi16(dst, inv));
    v = _mm_add_epi16(v, _mm_set1_epi16(127));
    v = _mm_add_epi16(_mm_add_epi16(v, _mm_set1_epi16(1)), _mm_srli_epi16(v, 8));
    return _mm_srli_epi16(v, 8);
  }

  // Each pixel's coverage in all four of its bytes.
  static __m128i Spread(uint32_t coverage) {
    __m128i a = _mm_cvtsi32_si128(int(coverage));
    a = _mm_unpacklo_epi8(a, a);
    return _mm_unpacklo_epi16(a, a);
  }

  // The mixed pixels where a has coverage, those of d elsewhere.
  __m128i Select(__m128i d, __m128i a, __m128i mixed) const {
    const __m128i none = _mm_cmpeq_epi32(a, Zero);
    mixed = _mm_and_si128(mixed, _mm_set1_epi32(0x00FFFFFF));
    return _mm_or_si128(_mm_and_si128(none, d), _mm_andnot_si128(none, mixed));
  }

  void Four(uint32_t* out, uint32_t coverage) const {
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out)), a = Spread(coverage);
    const __m128i m = _mm_packus_epi16(Mix(_mm_unpacklo_epi8(d, Zero), _mm_unpacklo_epi8(a, Zero)),
                                       Mix(_mm_unpackhi_epi8(d, Zero), _mm_unpackhi_epi8(a, Zero)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), Select(d, a, m));
  }

  void Two(uint32_t* out, uint32_t coverage) const {
    const __m128i d = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(out)), a = Spread(coverage);
    const __m128i m = _mm_packus_epi16(Mix(_mm_unpacklo_epi8(d, Zero), _mm_unpacklo_epi8(a, Zero)), Zero);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), Select(d, a, m));
  }
};

}  // namespace

void BlendRow(uint32_t* out, const uint8_t* coverage, size_t n, uint32_t ink) {
  const TSseBlend blend(ink);
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    uint32_t a;
    std::memcpy(&a, coverage + i, 4);
    blend.Four(out + i, a);
  }
  if (i + 2 <= n) {
    blend.Two(out + i, uint32_t(coverage[i]) | uint32_t(coverage[i + 1]) << 8);
    i += 2;
  }
  if (i < n) {
    const uint32_t mixed = TRaster::Mix(out[i], ink, coverage[i]);
    out[i] = coverage[i] ? mixed : out[i];
  }
}

#else

// Without branches on the coverage, which varies too much from pixel to pixel to guess:
// the mix of full coverage is the ink itself, and no coverage keeps the pixel as it was.
void BlendRow(uint32_t* out, const uint8_t* coverage, size_t n, uint32_t ink) {
  for (size_t i = 0; i < n; ++i) {
    const uint32_t mixed = TRaster::Mix(out[i], ink, coverage[i]);
    out[i] = coverage[i] ? mixed : out[i];
  }
}

#endif
