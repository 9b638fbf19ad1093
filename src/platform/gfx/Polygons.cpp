// Filled polygons and clip polygons, both by the alternate rule.
#include <vector>

#include "platform/gfx/Canvas.h"
#include "platform/gfx/Raster.h"

namespace {

std::vector<TPoint> ToSurface(const TRaster& r, std::span<const TPoint> points) {
  std::vector<TPoint> out;
  out.reserve(points.size());
  for (const TPoint& p : points) out.push_back(r.ToSurface(p.X, p.Y));
  return out;
}

}  // namespace

// The fill takes the pen's mode, as GDI's does. A wide outline is gathered first so that the
// fill leaves its pixels alone.
void TCanvas::Polygon(std::span<const TPoint> Points) {
  const TRaster r(*this);
  if (r.Empty() || Points.size() < 2) return;
  const std::vector<TPoint> pts = ToSurface(r, Points);
  const bool wide = FPen.Style() != psClear && FPen.Width() > 1;
  const TPixelMask outline = wide ? WidePenPixels(r, pts, FPen.Width(), true) : TPixelMask{};
  if (FBrush.Style() == bsSolid) {
    const uint32_t fill = ColorToPixel(FBrush.Color());
    ForEachPolygonSpan(pts, r.Clip.Top, r.Clip.Bottom, 0.0, [&](int y, int x0, int x1) {
      if (wide) SpanOutside(r, outline, y, x0, x1, fill, FPen.Mode());
      else r.Span(y, x0, x1, fill, FPen.Mode());
    });
  }
  if (wide) {
    PaintPixels(r, outline, ColorToPixel(FPen.Color()), FPen.Mode());
    return;
  }
  std::vector<TPoint> closed(Points.begin(), Points.end());
  closed.push_back(Points.front());
  Polyline(closed);
}

void TCanvas::ClipToPolygon(std::span<const TPoint> Points) {
  const TRaster r(*this);
  auto mask = std::make_shared<TPixelMask>();
  mask->Bounds = r.Empty() ? TRect{} : r.Clip;
  mask->Inside.assign(size_t(mask->Bounds.Width()) * size_t(mask->Bounds.Height()), 0);
  const std::vector<TPoint> pts = ToSurface(r, Points);
  const TRect b = mask->Bounds;
  ForEachPolygonSpan(pts, b.Top, b.Bottom, 0.0, [&](int y, int x0, int x1) {
    for (int x = std::max(x0, b.Left); x < std::min(x1, b.Right); ++x)
      if (!FMask || FMask->Contains(x, y)) mask->Inside[size_t(y - b.Top) * size_t(b.Width()) + size_t(x - b.Left)] = 1;
  });
  FMask = std::move(mask);
}

void TCanvas::RemoveClipRegion() { FMask.reset(); }
