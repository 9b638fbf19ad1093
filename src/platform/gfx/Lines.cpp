// Lines and polylines: the start point is painted, the end point is not (for the one-pixel
// pen; a wide pen covers both ends).
#include <algorithm>
#include <vector>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Raster.h"

namespace {

// A dotted pen's pattern, as GDI's cosmetic dots: 3 pixels on, 3 off, along the path.
constexpr int kDotCycle = 6;

bool XMajor(TPoint a, TPoint b) { return std::llabs((long long)b.X - a.X) >= std::llabs((long long)b.Y - a.Y); }

// A wide pen: the path's pixels gathered, then painted once.
void StrokeWide(const TRaster& r, const TPen& pen, std::span<const TPoint> path, bool closed) {
  PaintPixels(r, WidePenPixels(r, path, pen.Width(), closed), ColorToPixel(pen.Color()), pen.Mode());
}

// A solid one-pixel line along a row or a column (the meters draw hundreds of them a paint):
// the same pixels as the general walk, clipped once as a run. False for any other line.
bool StrokeStraight(const TRaster& r, uint32_t ink, TPenMode mode, TPoint a, TPoint b) {
  if (a.X != b.X && a.Y != b.Y) return false;
  const bool alongRow = a.Y == b.Y;
  const long long from = alongRow ? a.X : a.Y, to = alongRow ? b.X : b.Y;
  // From the start point up to the end point, which is left out, whichever way the line runs.
  long long lo = from < to ? from : to + 1, hi = from < to ? to : from + 1;
  if (alongRow) {
    lo = std::max<long long>(lo, r.Clip.Left), hi = std::min<long long>(hi, r.Clip.Right);
    if (lo < hi) r.Span(a.Y, int(lo), int(hi), ink, mode);
    return true;
  }
  if (a.X < r.Clip.Left || a.X >= r.Clip.Right) return true;
  lo = std::max<long long>(lo, r.Clip.Top), hi = std::min<long long>(hi, r.Clip.Bottom);
  if (lo >= hi) return true;
  uint32_t* p = r.Row(int(lo)) + a.X;
  const size_t stride = size_t(r.Stride);
  if (!r.Mask && mode == pmCopy) {
    for (long long y = lo; y < hi; ++y, p += stride) *p = ink;
    return true;
  }
  for (long long y = lo; y < hi; ++y, p += stride)
    if (!r.Mask || r.Mask->Contains(a.X, int(y))) TRaster::Apply(*p, ink, mode);
  return true;
}

// The one-pixel pen: start point in, end point out; phase is where a dotted pen is in its
// pattern, whose gaps take a solid brush's colour.
void StrokeThin(const TRaster& r, const TPen& pen, const TBrush& brush, TPoint a, TPoint b, int phase) {
  const uint32_t ink = ColorToPixel(pen.Color());
  const bool dotted = pen.Style() == psDot;
  if (!dotted && StrokeStraight(r, ink, pen.Mode(), a, b)) return;
  const bool fillGaps = dotted && brush.Style() == bsSolid;
  const uint32_t gap = fillGaps ? ColorToPixel(brush.Color()) : 0;
  const bool xMajor = XMajor(a, b);
  const int lo = xMajor ? r.Clip.Left : r.Clip.Top, hi = xMajor ? r.Clip.Right : r.Clip.Bottom;
  ForEachLinePixel(a, b, lo, hi, 0, 0, [&](int x, int y, int k) {
    if (!dotted || (phase + k) % kDotCycle < kDotCycle / 2) r.Plot(x, y, ink, pen.Mode());
    else if (fillGaps) r.Plot(x, y, gap);
  });
}

// Steps along a segment, modulo the dotted pattern's length.
int SegmentPhase(TPoint a, TPoint b) {
  return int(std::max(std::llabs((long long)b.X - a.X), std::llabs((long long)b.Y - a.Y)) % kDotCycle);
}

}  // namespace

void TCanvas::MoveTo(int X, int Y) { FPenPos = TPoint{X, Y}; }

// Each line starts a dotted pen's pattern afresh, as GDI does; a polyline carries it on.
void TCanvas::LineTo(int X, int Y) {
  const TRaster r(*this);
  if (!r.Empty() && FPen.Style() != psClear) {
    const TPoint a = r.ToSurface(FPenPos.X, FPenPos.Y), b = r.ToSurface(X, Y);
    if (FPen.Width() > 1) {
      const TPoint ends[] = {a, b};
      StrokeWide(r, FPen, ends, false);
    } else {
      StrokeThin(r, FPen, FBrush, a, b, 0);
    }
  }
  FPenPos = TPoint{X, Y};
}

void TCanvas::Polyline(std::span<const TPoint> Points) {
  const TRaster r(*this);
  if (r.Empty() || FPen.Style() == psClear || Points.size() < 2) return;
  if (FPen.Width() > 1) {
    std::vector<TPoint> path;
    path.reserve(Points.size());
    for (const TPoint& p : Points) path.push_back(r.ToSurface(p.X, p.Y));
    StrokeWide(r, FPen, path, false);
    return;
  }
  int phase = 0;
  for (size_t i = 1; i < Points.size(); ++i) {
    const TPoint a = Points[i - 1], b = Points[i];
    StrokeThin(r, FPen, FBrush, r.ToSurface(a.X, a.Y), r.ToSurface(b.X, b.Y), phase);
    phase = (phase + SegmentPhase(a, b)) % kDotCycle;
  }
}
