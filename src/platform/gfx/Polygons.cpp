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

// A wide outline is gathered first so that the fill leaves its pixels alone.
void WidePolygon(const TRaster& r, const std::vector<TPoint>& pts, const TPen& pen, const TBrush& brush) {
  const TPixelMask outline = WidePenPixels(r, pts, pen.Width(), true);
  if (brush.Style() == bsSolid) {
    const uint32_t fill = ColorToPixel(brush.Color());
    ForEachPolygonSpan(pts, r.Clip.Top, r.Clip.Bottom, 0.0,
                       [&](int y, int x0, int x1) { SpanOutside(r, outline, y, x0, x1, fill, pen.Mode()); });
  }
  PaintPixels(r, outline, ColorToPixel(pen.Color()), pen.Mode());
}

}  // namespace

// The fill takes the pen's mode, as GDI's does.
void TCanvas::Polygon(std::span<const TPoint> Points) {
  const TRaster r(*this);
  if (r.Empty() || Points.size() < 2) return;
  if (FPen.Style() != psClear && FPen.Width() > 1) {
    WidePolygon(r, ToSurface(r, Points), FPen, FBrush);
    return;
  }
  if (FBrush.Style() == bsSolid) {
    const uint32_t fill = ColorToPixel(FBrush.Color());
    const std::vector<TPoint> pts = ToSurface(r, Points);
    ForEachPolygonSpan(pts, r.Clip.Top, r.Clip.Bottom, 0.0,
                       [&](int y, int x0, int x1) { r.Span(y, x0, x1, fill, FPen.Mode()); });
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
