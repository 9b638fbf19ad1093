// Pixel copies between surfaces: plain, scaled, mirrored and with a key colour.
#include <algorithm>
#include <cstring>
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

// The pixels a copy's rectangle covers: along an axis whose second corner lies before its
// first, those from the second + 1 to the first, as GDI takes a negative extent.
TRect Covered(const TRect& r) {
  TRect o = r;
  if (r.Right < r.Left) o.Left = r.Right + 1, o.Right = r.Left + 1;
  if (r.Bottom < r.Top) o.Top = r.Bottom + 1, o.Bottom = r.Top + 1;
  return o;
}

// For each of a destination's d pixels, counted from its first corner, the one of the source's
// s pixels it shows, counted from the source's first corner: GDI walks the two axes as a
// Bresenham line through the pixel centres. Where it shrinks, a destination row shows the
// first source row that falls on it, and a destination column the last source column.
std::vector<int> AxisMap(int s, int d, bool last) {
  std::vector<int> map(size_t(std::max(0, d)), 0);
  if (s <= d) {
    long long err = 3LL * s - 2LL * d;
    for (int i = 0, j = 0; i < d; ++i) {
      map[size_t(i)] = j;
      if (err > 0) ++j, err += 2LL * s - 2LL * d;
      else err += 2LL * s;
    }
    return map;
  }
  long long err = 3LL * d - 2LL * s;
  bool fresh = true;
  for (int j = 0, i = 0; j < s && i < d; ++j) {
    if (fresh || last) map[size_t(i)] = j, fresh = false;
    if (err > 0) ++i, fresh = true, err += 2LL * d - 2LL * s;
    else err += 2LL * d;
  }
  return map;
}

// Copies Source's sr onto the canvas's dest (surface coordinates, both possibly reversed);
// put(dst, src) writes one pixel, put.Row(out, in, n) a run of n.
// A copy that takes the source pixel as it is.
struct TPlainPut {
  void operator()(uint32_t& d, uint32_t s) const { d = s; }
  void Row(uint32_t* out, const uint32_t* in, size_t n) const { std::memmove(out, in, n * sizeof *out); }
};

// The key colour left out.
struct TKeyPut {
  uint32_t Key;
  void operator()(uint32_t& d, uint32_t s) const { d = s != Key ? s : d; }
  void Row(uint32_t* out, const uint32_t* in, size_t n) const { CopyRowExceptKey(out, in, n, Key); }
};

// The key colour painted in the brush's.
struct TKeyBrushPut {
  uint32_t Key, Brush;
  void operator()(uint32_t& d, uint32_t s) const { d = s == Key ? Brush : s; }
  void Row(uint32_t* out, const uint32_t* in, size_t n) const { CopyRowKeyAsBrush(out, in, n, Key, Brush); }
};

// The common copy, the same size both ways up and no clip polygon: row for row, with no
// per-pixel lookups. Source pixels that do not exist are left out, as in the general walk.
template <typename Put>
void StraightCopy(const TRaster& r, const TRect& vis, const TRect& dest, const TSource& src, const TRect& sr,
                  const Put& put) {
  const int dx = sr.Left - dest.Left, dy = sr.Top - dest.Top;
  const int x0 = std::max(vis.Left, -dx), x1 = std::min(vis.Right, src.Width - dx);
  const int y0 = std::max(vis.Top, -dy), y1 = std::min(vis.Bottom, src.Height - dy);
  if (x1 <= x0 || y1 <= y0) return;
  const size_t n = size_t(x1 - x0);
  if (size_t(r.Stride) == n && size_t(src.Stride) == n) {  // whole rows both sides: one run
    put.Row(r.Row(y0), src.Pixels + size_t(y0 + dy) * n, n * size_t(y1 - y0));
    return;
  }
  uint32_t* out = r.Row(y0) + x0;
  const uint32_t* in = src.Pixels + size_t(y0 + dy) * size_t(src.Stride) + (x0 + dx);
  for (int y = y0; y < y1; ++y, out += r.Stride, in += src.Stride) put.Row(out, in, n);
}

template <typename Put>
void StretchCopy(const TRaster& r, const TRect& dest, const TSource& src, const TRect& sr, const Put& put) {
  const TRect d = Covered(dest), s = Covered(sr);
  if (r.Empty() || d.IsEmpty() || s.IsEmpty() || !src.Pixels) return;
  const TRect vis = IntersectRect(d, r.Clip);
  if (vis.IsEmpty()) return;
  if (!r.Mask && dest.Right > dest.Left && dest.Bottom > dest.Top && sr.Right > sr.Left && sr.Bottom > sr.Top &&
      d.Width() == s.Width() && d.Height() == s.Height()) {
    StraightCopy(r, vis, dest, src, sr, put);
    return;
  }
  // Source coordinates for the visible columns and rows, each axis walked from the first
  // corners, so that a reversed rectangle mirrors the copy.
  auto axis = [](int visFrom, int visTo, int dFirst, bool dBack, int sFirst, bool sBack, int sLen, int dLen,
                 bool last) {
    const std::vector<int> map = sLen == dLen ? std::vector<int>{} : AxisMap(sLen, dLen, last);
    std::vector<int> out;
    out.reserve(size_t(std::max(0, visTo - visFrom)));
    for (int v = visFrom; v < visTo; ++v) {
      const int i = dBack ? dFirst - v : v - dFirst;
      const int j = map.empty() ? i : map[size_t(i)];  // the same size: pixel for pixel
      out.push_back(sBack ? sFirst - j : sFirst + j);
    }
    return out;
  };
  const std::vector<int> xs = axis(vis.Left, vis.Right, dest.Left, dest.Right < dest.Left, sr.Left,
                                   sr.Right < sr.Left, s.Width(), d.Width(), true);
  const std::vector<int> ys = axis(vis.Top, vis.Bottom, dest.Top, dest.Bottom < dest.Top, sr.Top,
                                   sr.Bottom < sr.Top, s.Height(), d.Height(), false);
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
  StretchCopy(r, r.ToSurface(Dest), src, sr, TPlainPut{});
}

void TCanvas::BrushCopy(const TRect& Dest, const TBitmap& Bitmap, const TRect& SourceRect, TColor KeyColor) {
  const TRaster r(*this);
  std::vector<uint32_t> keep;
  const TSource src = &Bitmap == FSurface ? Snapshot(Bitmap, keep) : SourceOf(Bitmap);
  const uint32_t key = ColorToPixel(KeyColor);
  const TRect d = r.ToSurface(Dest);
  const uint32_t brush = ColorToPixel(FBrush.Color());
  if (FBrush.Style() == bsClear)
    StretchCopy(r, d, src, SourceRect, TKeyPut{key});
  else if (brush == key)  // the key painted in its own colour: a plain copy
    StretchCopy(r, d, src, SourceRect, TPlainPut{});
  else
    StretchCopy(r, d, src, SourceRect, TKeyBrushPut{key, brush});
}

void TCanvas::Draw(int X, int Y, const TGraphic& Graphic) {
  Graphic.Draw(*this, Bounds(X, Y, Graphic.Width(), Graphic.Height()));
}

void TCanvas::StretchDraw(const TRect& R, const TGraphic& Graphic) { Graphic.Draw(*this, R); }

void TBitmap::Draw(TCanvas& ACanvas, const TRect& R) const {
  ACanvas.CopyRect(R, *FCanvas, Rect(0, 0, FWidth, FHeight));
}
