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

// The fill: each row of the lower half reaches out to its quadrant points' largest x; the
// upper half and the left side mirror it. span(y, x0, x1) in box coordinates.
template <typename F>
void FillRows(const std::vector<TPoint>& quadrant, int w, int h, F&& span) {
  std::vector<int> reach(size_t(h - h / 2), -1);
  for (const TPoint& p : quadrant) reach[size_t(p.Y - h / 2)] = std::max(reach[size_t(p.Y - h / 2)], p.X);
  for (int y = h / 2; y < h; ++y) {
    const int x = reach[size_t(y - h / 2)];
    if (x < 0) continue;
    span(y, w - 1 - x, x + 1);
    if (h - 1 - y != y) span(h - 1 - y, w - 1 - x, x + 1);
  }
}

// A wide pen is centred on the traced outline; the fill leaves its pixels alone.
void WideEllipse(const TRaster& r, const std::vector<TPoint>& quadrant, int w, int h, TPoint o, const TPen& pen,
                 const TBrush& brush) {
  std::vector<TPoint> path = Outline(w, h);
  for (TPoint& p : path) p = TPoint{p.X + o.X, p.Y + o.Y};
  const TPixelMask outline = WidePenPixels(r, path, pen.Width(), true);
  if (brush.Style() == bsSolid) {
    const uint32_t fill = ColorToPixel(brush.Color());
    FillRows(quadrant, w, h, [&](int y, int x0, int x1) {
      SpanOutside(r, outline, o.Y + y, o.X + x0, o.X + x1, fill, pen.Mode());
    });
  }
  PaintPixels(r, outline, ColorToPixel(pen.Color()), pen.Mode());
}

}  // namespace

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
  const TRaster r(*this);
  if (r.Empty()) return;
  const int w = std::abs(X2 - X1), h = std::abs(Y2 - Y1);
  if (w == 0 || h == 0) return;
  if (w <= 2 || h <= 2) {  // too small to round
    Rectangle(X1, Y1, X2, Y2);
    return;
  }
  const TPoint o = r.ToSurface(std::min(X1, X2), std::min(Y1, Y2));
  const std::vector<TPoint> quadrant = FirstQuadrant(w, h);
  if (FPen.Style() != psClear && FPen.Width() > 1) {
    WideEllipse(r, quadrant, w, h, o, FPen, FBrush);
    return;
  }
  if (FBrush.Style() == bsSolid) {
    const uint32_t fill = ColorToPixel(FBrush.Color());
    FillRows(quadrant, w, h, [&](int y, int x0, int x1) { r.Span(o.Y + y, o.X + x0, o.X + x1, fill, FPen.Mode()); });
  }
  if (FPen.Style() == psClear) return;
  if (FPen.Style() == psSolid) {
    // The closed path steps one pixel at a time, so its line paints each of its points once.
    const uint32_t ink = ColorToPixel(FPen.Color());
    for (const TPoint& p : quadrant) {
      const int xs[2] = {p.X, w - 1 - p.X}, ys[2] = {p.Y, h - 1 - p.Y};
      for (int i = 0; i < (xs[0] == xs[1] ? 1 : 2); ++i)
        for (int j = 0; j < (ys[0] == ys[1] ? 1 : 2); ++j) r.Plot(o.X + xs[i], o.Y + ys[j], ink, FPen.Mode());
    }
    return;
  }
  std::vector<TPoint> path = Outline(w, h);
  const TPoint at{o.X - FOrigin.X, o.Y - FOrigin.Y};
  for (TPoint& p : path) p = TPoint{p.X + at.X, p.Y + at.Y};
  path.push_back(path.front());
  Polyline(path);
}
