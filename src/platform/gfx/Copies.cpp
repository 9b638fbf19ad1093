// Pixel copies between surfaces: plain, scaled, mirrored and with a key colour.
#include <algorithm>
#include <vector>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Raster.h"

namespace {

// Where the pixels come from: a block of rows, and which of them exist.
struct TSource {
  const uint32_t* Pixels = nullptr;
  int Width = 0;
  int Height = 0;
  int Stride = 0;
};

TRect Ordered(const TRect& r) {
  return Rect(std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
              std::max(r.Top, r.Bottom));
}

// The source coordinate for each destination step: nearest pixel centre, mirrored on request.
std::vector<int> MapAxis(int destFrom, int destTo, int destLen, int srcFrom, int srcLen, bool mirror) {
  std::vector<int> map;
  map.reserve(size_t(std::max(0, destTo - destFrom)));
  for (int i = destFrom; i < destTo; ++i) {
    long long j = (2LL * i + 1) * srcLen / (2LL * destLen);
    if (mirror) j = srcLen - 1 - j;
    map.push_back(srcFrom + int(j));
  }
  return map;
}

// Copies Source's sr onto the canvas's dest (surface coordinates, both possibly reversed);
// put(dst, src) writes one pixel.
template <typename Put>
void StretchCopy(const TRaster& r, const TRect& dest, const TSource& src, const TRect& sr, Put&& put) {
  const TRect d = Ordered(dest), s = Ordered(sr);
  if (r.Empty() || d.IsEmpty() || s.IsEmpty() || !src.Pixels) return;
  const TRect vis = IntersectRect(d, r.Clip);
  if (vis.IsEmpty()) return;
  const bool mirrorX = (dest.Right < dest.Left) != (sr.Right < sr.Left);
  const bool mirrorY = (dest.Bottom < dest.Top) != (sr.Bottom < sr.Top);
  const std::vector<int> xs = MapAxis(vis.Left - d.Left, vis.Right - d.Left, d.Width(), s.Left, s.Width(), mirrorX);
  const std::vector<int> ys = MapAxis(vis.Top - d.Top, vis.Bottom - d.Top, d.Height(), s.Top, s.Height(), mirrorY);
  for (int row = 0; row < vis.Height(); ++row) {
    const int sy = ys[size_t(row)], y = vis.Top + row;
    if (sy < 0 || sy >= src.Height) continue;
    const uint32_t* in = src.Pixels + size_t(sy) * size_t(src.Stride);
    uint32_t* out = r.Row(y);
    for (int col = 0; col < vis.Width(); ++col) {
      const int sx = xs[size_t(col)], x = vis.Left + col;
      if (sx >= 0 && sx < src.Width && (!r.Mask || r.Mask->Contains(x, y))) put(out[x], in[sx]);
    }
  }
}

// A copy of the pixels when source and destination are one surface, so that an
// overlapping copy reads what was there before it began.
TSource Snapshot(const TBitmap& b, std::vector<uint32_t>& keep) {
  keep.assign(b.Pixels(), b.Pixels() + size_t(b.Stride()) * size_t(b.Height()));
  return TSource{keep.data(), b.Width(), b.Height(), b.Stride()};
}

TSource SourceOf(const TBitmap& b) { return TSource{b.Pixels(), b.Width(), b.Height(), b.Stride()}; }

}  // namespace

void TCanvas::CopyRect(const TRect& Dest, const TCanvas& Source, const TRect& SourceRect) {
  if (!Source.FSurface) return;
  const TRaster r(*this);
  std::vector<uint32_t> keep;
  const TSource src = Source.FSurface == FSurface ? Snapshot(*FSurface, keep) : SourceOf(*Source.FSurface);
  const TRect sr = OffsetRect(SourceRect, Source.FOrigin.X, Source.FOrigin.Y);
  StretchCopy(r, r.ToSurface(Dest), src, sr, [](uint32_t& d, uint32_t s) { d = s; });
}

void TCanvas::BrushCopy(const TRect& Dest, const TBitmap& Bitmap, const TRect& SourceRect, TColor KeyColor) {
  const TRaster r(*this);
  std::vector<uint32_t> keep;
  const TSource src = &Bitmap == FSurface ? Snapshot(Bitmap, keep) : SourceOf(Bitmap);
  const uint32_t key = ColorToPixel(KeyColor);
  const TRect d = r.ToSurface(Dest);
  if (FBrush.Style() == bsClear) {
    StretchCopy(r, d, src, SourceRect, [key](uint32_t& o, uint32_t s) {
      if (s != key) o = s;
    });
    return;
  }
  const uint32_t brush = ColorToPixel(FBrush.Color());
  StretchCopy(r, d, src, SourceRect, [key, brush](uint32_t& o, uint32_t s) { o = s == key ? brush : s; });
}

void TCanvas::Draw(int X, int Y, const TGraphic& Graphic) {
  Graphic.Draw(*this, Bounds(X, Y, Graphic.Width(), Graphic.Height()));
}

void TCanvas::StretchDraw(const TRect& R, const TGraphic& Graphic) { Graphic.Draw(*this, R); }

void TBitmap::Draw(TCanvas& ACanvas, const TRect& R) const {
  ACanvas.CopyRect(R, *FCanvas, Rect(0, 0, FWidth, FHeight));
}
