// Rectangles: right and bottom edges exclusive, a one-pixel outline inside the box, a wide one
// centred on its edge.
#include <algorithm>

#include "platform/gfx/Canvas.h"
#include "platform/gfx/Raster.h"

namespace {

void FillBox(const TRaster& r, TRect box, uint32_t pixel, TPenMode mode = pmCopy) {
  box = IntersectRect(box, r.Clip);
  if (box.IsEmpty()) return;
  if (r.Mask || mode != pmCopy) {
    for (int y = box.Top; y < box.Bottom; ++y) r.Span(y, box.Left, box.Right, pixel, mode);
    return;
  }
  // The common case, straight into the rows: gradients fill hundreds of thin bands a paint.
  const size_t w = size_t(box.Width());
  uint32_t* row = r.Row(box.Top) + box.Left;
  const size_t stride = size_t(r.Stride);
  if (w == 1) {  // a column
    for (int y = box.Top; y < box.Bottom; ++y, row += stride) *row = pixel;
    return;
  }
  for (int y = box.Top; y < box.Bottom; ++y, row += stride) std::fill_n(row, w, pixel);
}

// A frame `w` pixels thick along the inside of box.
void Frame(const TRaster& r, const TRect& box, int w, uint32_t pixel, TPenMode mode) {
  const int t = std::min(w, box.Height()), l = std::min(w, box.Width());
  FillBox(r, Rect(box.Left, box.Top, box.Right, box.Top + t), pixel, mode);
  FillBox(r, Rect(box.Left, std::max(box.Top + t, box.Bottom - t), box.Right, box.Bottom), pixel, mode);
  FillBox(r, Rect(box.Left, box.Top + t, box.Left + l, box.Bottom - t), pixel, mode);
  FillBox(r, Rect(std::max(box.Left + l, box.Right - l), box.Top + t, box.Right, box.Bottom - t), pixel, mode);
}

// A wide pen is centred on the outermost pixels, so half of it lies outside the box; the fill
// covers the box but its right column and bottom row, and not what the pen covers.
void WideRectangle(const TRaster& r, const TRect& box, const TPen& pen, const TBrush& brush) {
  const TPoint corners[] = {{box.Right - 1, box.Bottom - 1}, {box.Left, box.Bottom - 1}, {box.Left, box.Top},
                            {box.Right - 1, box.Top}};
  const TPixelMask outline = WidePenPixels(r, corners, pen.Width(), true);
  if (brush.Style() == bsSolid) {
    const TRect inside = IntersectRect(Rect(box.Left, box.Top, box.Right - 1, box.Bottom - 1), r.Clip);
    for (int y = inside.Top; y < inside.Bottom; ++y)
      SpanOutside(r, outline, y, inside.Left, inside.Right, ColorToPixel(brush.Color()), pen.Mode());
  }
  PaintPixels(r, outline, ColorToPixel(pen.Color()), pen.Mode());
}

}  // namespace

// As GDI: the outline is the closed path through the outermost pixels, which a 1 by 1 box
// does not have; the fill lies inside it, and without a pen it leaves the right and bottom
// edges out as well. Pen modes apply to the fill too.
void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  const TRaster r(*this);
  if (r.Empty()) return;
  const TRect box = r.ToSurface(Rect(std::min(X1, X2), std::min(Y1, Y2), std::max(X1, X2), std::max(Y1, Y2)));
  if (box.IsEmpty()) return;
  const bool outline = FPen.Style() != psClear;
  if (outline && FPen.Width() > 1) {
    WideRectangle(r, box, FPen, FBrush);
    return;
  }
  const int w = outline ? 1 : 0;
  const int lead = w, trail = 1;
  if (FBrush.Style() == bsSolid)
    FillBox(r, Rect(box.Left + lead, box.Top + lead, box.Right - trail, box.Bottom - trail),
            ColorToPixel(FBrush.Color()), FPen.Mode());
  if (!outline || (box.Width() == 1 && box.Height() == 1)) return;
  if (FPen.Style() == psDot) {  // a dotted frame follows the path like a polyline
    const TRect b = OffsetRect(box, -FOrigin.X, -FOrigin.Y);
    const TPoint path[] = {{b.Right - 1, b.Top}, {b.Left, b.Top}, {b.Left, b.Bottom - 1},
                           {b.Right - 1, b.Bottom - 1}, {b.Right - 1, b.Top}};
    Polyline(path);
    return;
  }
  Frame(r, box, w, ColorToPixel(FPen.Color()), FPen.Mode());
}

// Both paint with the brush alone: a clear brush paints nothing.
void TCanvas::FillRect(const TRect& R) {
  const TRaster r(*this);
  if (!r.Empty() && FBrush.Style() == bsSolid) FillBox(r, r.ToSurface(R), ColorToPixel(FBrush.Color()));
}

void TCanvas::FrameRect(const TRect& R) {
  const TRaster r(*this);
  if (!r.Empty() && !R.IsEmpty() && FBrush.Style() == bsSolid)
    Frame(r, r.ToSurface(R), 1, ColorToPixel(FBrush.Color()), pmCopy);
}
