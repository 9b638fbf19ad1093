// Scan conversion shared by lines, polygons and clip polygons (included by Raster.h).
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

template <typename F>
void ForEachPolygonSpan(std::span<const TPoint> points, int top, int bottom, double at, F&& span) {
  const size_t n = points.size();
  if (n < 3) return;
  int minY = points[0].Y, maxY = points[0].Y;
  for (const TPoint& p : points) minY = std::min(minY, p.Y), maxY = std::max(maxY, p.Y);
  top = std::max(top, minY);
  bottom = std::min(bottom, maxY);
  std::vector<double> xs;
  for (int y = top; y < bottom; ++y) {
    const double yc = y + at;
    xs.clear();
    for (size_t i = 0; i < n; ++i) {
      const TPoint& a = points[i];
      const TPoint& b = points[(i + 1) % n];
      if ((a.Y <= yc) == (b.Y <= yc)) continue;  // edge does not cross this row's centre
      xs.push_back(a.X + (yc - a.Y) * (double(b.X) - a.X) / (double(b.Y) - a.Y));  // far points must not overflow
    }
    std::sort(xs.begin(), xs.end());
    for (size_t i = 0; i + 1 < xs.size(); i += 2) {
      const int x0 = int(std::ceil(xs[i] - at));
      const int x1 = int(std::ceil(xs[i + 1] - at));
      if (x1 > x0) span(y, x0, x1);
    }
  }
}

template <typename F>
void ForEachLinePixel(TPoint a, TPoint b, int lo, int hi, long long before, long long after, F&& plot) {
  const long long dx = (long long)b.X - a.X, dy = (long long)b.Y - a.Y;
  const long long adx = std::llabs(dx), ady = std::llabs(dy);
  const bool xMajor = adx >= ady;
  const long long n = xMajor ? adx : ady, minor = xMajor ? ady : adx;
  if (n == 0) return;
  const int sMaj = (xMajor ? dx : dy) < 0 ? -1 : 1;
  const int sMin = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const long long start = xMajor ? a.X : a.Y;
  // Steps -before .. n + after - 1, and of those only the ones whose major coordinate can be
  // seen: start + sMaj * k in [lo, hi).
  long long k0 = -before, k1 = n + after;
  if (sMaj > 0) k0 = std::max(k0, lo - start), k1 = std::min(k1, hi - start);
  else k0 = std::max(k0, start - (hi - 1)), k1 = std::min(k1, start - lo + 1);
  // GDI's octants, numbered clockwise from +x with y down: in 3, 5, 6 and 8 a minor step that
  // falls exactly half-way goes towards the end point, in the others towards the start.
  const int octant = dy > 0 ? (dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3))
                            : (dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7));
  const long long half = (octant == 3 || octant == 5 || octant == 6 || octant == 8) ? n : n - 1;
  if (k0 >= k1) return;
  // The minor coordinate of step k is floor((2 k minor + half) / 2n), the nearest pixel with
  // ties as above. It is divided out once for the first step and then carried as quotient and
  // remainder: each step adds 2 minor <= 2n, so the quotient grows by one at most.
  const long long den = 2 * n, inc = 2 * minor;
  const long long num0 = 2 * k0 * minor + half;
  long long m = num0 / den, rem = num0 % den;
  if (rem < 0) --m, rem += den;
  const long long minStart = xMajor ? a.Y : a.X;
  for (long long k = k0; k < k1; ++k) {
    const long long maj = start + sMaj * k;
    const long long min = minStart + sMin * m;
    if (xMajor) plot(int(maj), int(min), int(k));
    else plot(int(min), int(maj), int(k));
    rem += inc;
    if (rem >= den) rem -= den, ++m;
  }
}
