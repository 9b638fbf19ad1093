#include "platform/gfx/Raster.h"

#include <algorithm>

#include "platform/gfx/Bitmap.h"

TRaster::TRaster(const TCanvas& c) : Origin(c.FOrigin), Clip(c.FClip), Mask(c.FMask.get()) {
  if (!c.FSurface || c.FSurface->Empty()) return;
  Pixels = c.FSurface->Pixels();
  Stride = c.FSurface->Stride();
  Clip = IntersectRect(Clip, Rect(0, 0, c.FSurface->Width(), c.FSurface->Height()));
}

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
  if (coverage >= 255) {
    d = pixel;
    return;
  }
  const unsigned inv = 255 - coverage;
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const unsigned s = (pixel >> shift) & 0xFF, t = (d >> shift) & 0xFF;
    out |= ((s * coverage + t * inv + 127) / 255) << shift;
  }
  d = out;
}
