#include "platform/gfx/Raster.h"

#include <algorithm>

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
