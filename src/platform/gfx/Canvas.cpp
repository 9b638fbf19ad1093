#include "platform/gfx/Canvas.h"

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Font.h"
#include "platform/gfx/Raster.h"

TCanvas::TCanvas() : FFont(std::make_unique<TFont>()) {}

TCanvas::TCanvas(TBitmap* Surface, TPoint Origin, TRect Clip) : TCanvas() {
  SetTarget(Surface, Origin, Clip);
}

TCanvas::~TCanvas() = default;

void TCanvas::SetTarget(TBitmap* Surface, TPoint Origin, TRect Clip) {
  FSurface = Surface;
  FOrigin = Origin;
  FClip = Surface ? IntersectRect(Clip, Rect(0, 0, Surface->Width(), Surface->Height())) : TRect{};
  FMask.reset();
}

void TCanvas::Translate(int DX, int DY) {
  FOrigin.X += DX;
  FOrigin.Y += DY;
}

TRect TCanvas::ClipRect() const {
  if (!FSurface || FClip.IsEmpty()) return TRect{};
  return OffsetRect(FClip, -FOrigin.X, -FOrigin.Y);
}

void TCanvas::IntersectClipRect(const TRect& R) {
  FClip = IntersectRect(FClip, OffsetRect(R, FOrigin.X, FOrigin.Y));
}

void TCanvas::SetFont(const TFont* AFont) {
  if (AFont) FFont->Assign(*AFont);
}

TColor TCanvas::Pixel(int X, int Y) const {
  const TRaster r(*this);
  const TPoint p = r.ToSurface(X, Y);
  if (r.Empty() || !r.Visible(p.X, p.Y)) return clNone;
  return PixelToColor(r.Row(p.Y)[p.X]);
}

void TCanvas::SetPixel(int X, int Y, TColor Color) {
  const TRaster r(*this);
  const TPoint p = r.ToSurface(X, Y);
  if (!r.Empty()) r.Plot(p.X, p.Y, ColorToPixel(Color));
}

void TCanvas::Lock() {
  FLock.lock();
  ++FLockCount;
}

void TCanvas::Unlock() {
  if (FLockCount == 0) return;  // an unbalanced Unlock must not release someone else's lock
  --FLockCount;
  FLock.unlock();
}

TCanvasState::TCanvasState(TCanvas& ACanvas)
    : FCanvas(ACanvas), FSurface(ACanvas.FSurface), FOrigin(ACanvas.FOrigin), FClip(ACanvas.FClip),
      FMask(ACanvas.FMask) {}

TCanvasState::~TCanvasState() {
  FCanvas.FSurface = FSurface;
  FCanvas.FOrigin = FOrigin;
  FCanvas.FClip = FClip;
  FCanvas.FMask = FMask;
}
