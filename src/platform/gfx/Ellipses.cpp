// Ellipses inscribed in a bounding box whose right and bottom edges lie outside, traced as
// GDI traces them: a closed path of neighbouring pixels (a midpoint walk of the first quadrant,
// mirrored), filled row by row between its ends, then outlined with the pen.
#include <algorithm>
#include <vector>

#include "platform/gfx/Canvas.h"
#include "platform/gfx/Raster.h"

namespace {

// The outline's pixels for the quadrant right of and below the centre of a w by h box, from
// the right end of the middle row down to the bottom, relative to the box.
std::vector<TPoint> FirstQuadrant(int w, int h) {
  const long long a = w - 1, b = h - 1;
  const long long asq = 8 * a * a, bsq = 8 * b * b;
  long long dx = 4 * b * b * (1 - a), dy = 4 * a * a * (1 + b % 2);
  long long err = dx + dy + a * a * (b % 2);
  std::vector<TPoint> pts;
  TPoint p{int(a), h / 2};
  while (p.X >= w / 2) {
    const long long e2 = 2 * err;
    pts.push_back(p);
    if (e2 >= dx) --p.X, err += dx += bsq;
    if (e2 <= dy) ++p.Y, err += dy += asq;
  }
  return pts;
}

// The whole outline, in box coordinates: the quadrant mirrored left and up, each middle
// point once.
std::vector<TPoint> Outline(int w, int h) {
  std::vector<TPoint> q = FirstQuadrant(w, h);
  for (TPoint& p : q) p.Y = h - 1 - p.Y;  // the upper right quadrant, from the middle up
  std::vector<TPoint> half(q);
  for (size_t i = q.size(); i-- > 0;) {
    if (i == q.size() - 1 && w % 2 && q[i].X == w - 1 - q[i].X) continue;
    half.push_back(TPoint{w - 1 - q[i].X, q[i].Y});
  }
  std::vector<TPoint> all(half);
  for (size_t i = half.size(); i-- > 0;) {
    if (i == half.size() - 1 && h % 2 && half[i].Y == h - 1 - half[i].Y) continue;
    all.push_back(TPoint{half[i].X, h - 1 - half[i].Y});
  }
  return all;
}

}  // namespace

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
  const TRaster r(*this);
  if (r.Empty()) return;
  const int left = std::min(X1, X2), top = std::min(Y1, Y2);
  const int w = std::abs(X2 - X1), h = std::abs(Y2 - Y1);
  if (w == 0 || h == 0) return;
  if (w <= 2 || h <= 2) {  // too small to round
    Rectangle(X1, Y1, X2, Y2);
    return;
  }
  std::vector<TPoint> path = Outline(w, h);
  for (TPoint& p : path) p = TPoint{p.X + left, p.Y + top};
  if (FBrush.Style() == bsSolid) {
    std::vector<int> lo(size_t(h), w + left), hi(size_t(h), left - 1);
    for (const TPoint& p : path) {
      const size_t row = size_t(p.Y - top);
      lo[row] = std::min(lo[row], p.X);
      hi[row] = std::max(hi[row], p.X);
    }
    const uint32_t fill = ColorToPixel(FBrush.Color());
    for (int y = 0; y < h; ++y)
      if (hi[size_t(y)] >= lo[size_t(y)]) {
        const TPoint a = r.ToSurface(lo[size_t(y)], top + y);
        r.Span(a.Y, a.X, a.X + hi[size_t(y)] - lo[size_t(y)] + 1, fill, FPen.Mode());
      }
  }
  if (FPen.Style() == psClear) return;
  path.push_back(path.front());
  Polyline(path);
}
