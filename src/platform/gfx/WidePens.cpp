// Pens wider than one pixel, as GDI's geometric pens draw them: the pixels covered by the
// whole path are gathered first and painted once, so overlapping segments and joins do not
// paint twice (which would show under the not and xor modes).
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/gfx/Raster.h"

namespace {

void AddSpan(TPixelMask& m, int y, int x0, int x1) {
  const TRect& b = m.Bounds;
  if (y < b.Top || y >= b.Bottom) return;
  x0 = std::max(x0, b.Left);
  x1 = std::min(x1, b.Right);
  if (x0 >= x1) return;
  uint8_t* row = m.Inside.data() + size_t(y - b.Top) * size_t(b.Width());
  std::fill(row + (x0 - b.Left), row + (x1 - b.Left), uint8_t(1));
}

void AddRect(TPixelMask& m, const TRect& r) {
  for (int y = std::max(r.Top, m.Bounds.Top); y < std::min(r.Bottom, m.Bounds.Bottom); ++y) AddSpan(m, y, r.Left, r.Right);
}

// The pen's round tip: an ellipse region `width` across whose box starts width / 2 above and
// left of the point, so an even width leans up and left as the bands do. Rows are given as
// [left, right) offsets from the point, top row first.
struct TDisc {
  int Top = 0;
  std::vector<std::pair<int, int>> Rows;
};

TDisc MakeDisc(int width) {
  TDisc d;
  const int n = width, left = -(width / 2), right = left + n;
  d.Top = left;
  d.Rows.assign(size_t(n), {left, right});
  if (n < 2) return d;
  // The lower half by a midpoint walk from the middle row down, each row narrowed by the
  // columns stepped so far; the upper half mirrors it.
  const long long a = n - 1, b = n - 1, asq = 8 * a * a, bsq = 8 * b * b;
  long long dx = 4 * b * b * (1 - a), dy = 4 * a * a * (1 + b % 2);
  long long err = dx + dy + a * a * (b % 2);
  int x = 0, y = n / 2;
  while (x <= n / 2) {
    const long long e2 = 2 * err;
    if (e2 >= dx) ++x, err += dx += bsq;
    if (e2 <= dy) {
      ++y, err += dy += asq;
      if (y < n) d.Rows[size_t(y)] = {left + x, right - x};
    }
  }
  for (int i = 0; i < n / 2; ++i) d.Rows[size_t(i)] = d.Rows[size_t(b - i)];
  return d;
}

void AddDisc(TPixelMask& m, const TDisc& d, TPoint at) {
  for (size_t i = 0; i < d.Rows.size(); ++i)
    AddSpan(m, at.Y + d.Top + int(i), at.X + d.Rows[i].first, at.X + d.Rows[i].second);
}

int RoundHalfUp(double v) { return int(v + 0.5); }  // v >= 0

// The band of the segment from a to b (not a point). Straight ones are rectangles from the
// lesser end to the greater, exclusive; slanted ones a four-cornered polygon whose corners lie
// half the pen's width across the line from each end, the halves rounded to whole pixels (the
// larger one on the left of the direction of travel).
void AddBand(TPixelMask& m, TPoint a, TPoint b, int width) {
  const long long dx = (long long)b.X - a.X, dy = (long long)b.Y - a.Y;
  if (dy == 0) {
    AddRect(m, Rect(std::min(a.X, b.X), a.Y - width / 2, std::max(a.X, b.X), a.Y - width / 2 + width));
    return;
  }
  if (dx == 0) {
    AddRect(m, Rect(a.X - width / 2, std::min(a.Y, b.Y), a.X - width / 2 + width, std::max(a.Y, b.Y)));
    return;
  }
  const double len = std::hypot(double(dx), double(dy));
  const double acrossX = width * double(std::llabs(dy)) / len, acrossY = width * double(std::llabs(dx)) / len;
  TPoint narrow{RoundHalfUp(acrossX / 2), RoundHalfUp(acrossY / 2)};
  TPoint wide{RoundHalfUp((acrossX + 1) / 2), RoundHalfUp((acrossY + 1) / 2)};
  if (dx < 0) narrow.Y = -narrow.Y, wide.Y = -wide.Y;
  if (dy < 0) {
    std::swap(narrow, wide);
    narrow.X = -narrow.X, wide.X = -wide.X;
  }
  const TPoint corners[4] = {{a.X - narrow.X, a.Y + narrow.Y}, {a.X + wide.X, a.Y - wide.Y},
                             {b.X + wide.X, b.Y - wide.Y}, {b.X - narrow.X, b.Y + narrow.Y}};
  ForEachPolygonSpan(std::span<const TPoint>(corners), m.Bounds.Top, m.Bounds.Bottom, 0.0,
                     [&](int y, int x0, int x1) { AddSpan(m, y, x0, x1); });
}

}  // namespace

TPixelMask WidePenPixels(const TRaster& r, std::span<const TPoint> path, int width, bool closed) {
  TPixelMask m;
  if (path.empty() || r.Empty()) return m;
  TRect reach{path[0].X, path[0].Y, path[0].X, path[0].Y};
  for (const TPoint& p : path)
    reach = Rect(std::min(reach.Left, p.X), std::min(reach.Top, p.Y), std::max(reach.Right, p.X),
                 std::max(reach.Bottom, p.Y));
  // Far-away points must not overflow: the reach is cut to the clip anyway.
  const auto grow = [](int v, long long by) { return int(std::clamp<long long>(v + by, INT_MIN, INT_MAX)); };
  m.Bounds = IntersectRect(Rect(grow(reach.Left, -width), grow(reach.Top, -width), grow(reach.Right, width + 1),
                                grow(reach.Bottom, width + 1)),
                           r.Clip);
  if (m.Bounds.IsEmpty()) return TPixelMask{};
  m.Inside.assign(size_t(m.Bounds.Width()) * size_t(m.Bounds.Height()), 0);
  const TDisc disc = MakeDisc(width);
  const size_t n = path.size();
  for (size_t i = 0; i < n; ++i) {
    AddDisc(m, disc, path[i]);
    if (i + 1 < n || (closed && n > 1)) {
      const TPoint a = path[i], b = path[(i + 1) % n];
      if (a != b) AddBand(m, a, b, width);
    }
  }
  return m;
}

void PaintPixels(const TRaster& r, const TPixelMask& set, uint32_t pixel, TPenMode mode) {
  const TRect& b = set.Bounds;
  for (int y = b.Top; y < b.Bottom; ++y) {
    const uint8_t* row = set.Inside.data() + size_t(y - b.Top) * size_t(b.Width());
    for (int x = 0; x < b.Width();) {
      if (!row[x]) {
        ++x;
        continue;
      }
      const int x0 = x;
      while (x < b.Width() && row[x]) ++x;
      r.Span(y, b.Left + x0, b.Left + x, pixel, mode);
    }
  }
}

void SpanOutside(const TRaster& r, const TPixelMask& except, int y, int x0, int x1, uint32_t pixel, TPenMode mode) {
  x0 = std::max(x0, r.Clip.Left);
  x1 = std::min(x1, r.Clip.Right);
  for (int x = x0; x < x1;) {
    if (except.Contains(x, y)) {
      ++x;
      continue;
    }
    const int from = x;
    while (x < x1 && !except.Contains(x, y)) ++x;
    r.Span(y, from, x, pixel, mode);
  }
}
