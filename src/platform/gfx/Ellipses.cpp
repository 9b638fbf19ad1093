// Ellipses inscribed in a bounding box whose right and bottom edges lie outside.
#include <algorithm>
#include <cmath>

#include "platform/gfx/Canvas.h"
#include "platform/gfx/Raster.h"

namespace {

// The columns [x0, x1) of row y whose pixel centres lie inside the ellipse of box, or an
// empty span. Worked in doubled coordinates so that the result is exactly symmetric.
struct TSpan {
  int x0 = 0, x1 = 0;
};

TSpan EllipseRow(const TRect& box, int y) {
  using LD = long double;  // exact for boxes up to some 60000 pixels wide and high
  const long long a = box.Width(), b = box.Height();
  if (a <= 0 || b <= 0 || y < box.Top || y >= box.Bottom) return {};
  const long long ry = 2LL * y + 1 - box.Top - box.Bottom;  // doubled offset from the centre
  const LD bb = LD(b) * LD(b);
  const LD room = LD(a) * LD(a) * (bb - LD(ry) * LD(ry));  // m^2 * b^2 must not exceed it
  if (room < 0) return {};
  // The largest doubled offset m of the right parity with m^2 * b^2 <= room: doubled x
  // offsets are odd for an even width and even for an odd one.
  const long long parity = (a % 2 == 0) ? 1 : 0;
  long long m = (long long)std::sqrt(room / bb);
  while (m > 0 && LD(m) * LD(m) * bb > room) --m;
  while (LD(m + 1) * LD(m + 1) * bb <= room) ++m;
  if ((m % 2) != parity) --m;
  if (m < 0) return {};
  // x = (m_x + Left + Right - 1) / 2 for the doubled offsets -m .. m.
  const long long sum = (long long)box.Left + box.Right - 1;
  return TSpan{int((-m + sum) / 2), int((m + sum) / 2 + 1)};
}

}  // namespace

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
  const TRaster r(*this);
  if (r.Empty()) return;
  const TRect box = r.ToSurface(Rect(std::min(X1, X2), std::min(Y1, Y2), std::max(X1, X2), std::max(Y1, Y2)));
  const int w = FPen.Style() == psClear ? 0 : FPen.Width();
  const TRect inner{box.Left + w, box.Top + w, box.Right - w, box.Bottom - w};
  const uint32_t ink = ColorToPixel(FPen.Color()), fill = ColorToPixel(FBrush.Color());
  const int top = std::max(box.Top, r.Clip.Top), bottom = std::min(box.Bottom, r.Clip.Bottom);
  for (int y = top; y < bottom; ++y) {
    const TSpan o = EllipseRow(box, y);
    if (o.x1 <= o.x0) continue;
    const TSpan i = inner.IsEmpty() ? TSpan{} : EllipseRow(inner, y);
    if (i.x1 <= i.x0) {
      if (w > 0) r.Span(y, o.x0, o.x1, ink, FPen.Mode());
      else if (FBrush.Style() == bsSolid) r.Span(y, o.x0, o.x1, fill);
      continue;
    }
    if (FBrush.Style() == bsSolid) r.Span(y, i.x0, i.x1, fill);
    r.Span(y, o.x0, i.x0, ink, FPen.Mode());
    r.Span(y, i.x1, o.x1, ink, FPen.Mode());
  }
}
