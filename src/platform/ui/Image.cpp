#include "platform/ui/Image.h"

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Picture.h"

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>()) {
  FPicture->OnChange = [this](TObject*) { PictureChanged(); };
  SetBounds(0, 0, 105, 105);
}

TImage::~TImage() { FPicture->OnChange = nullptr; }

void TImage::SetPicture(const TPicture* value) { FPicture->Assign(value); }

void TImage::SetCenter(bool value) {
  if (FCenter == value) return;
  FCenter = value;
  PictureChanged();
}

void TImage::SetStretch(bool value) {
  if (FStretch == value) return;
  FStretch = value;
  PictureChanged();
}

void TImage::SetTransparent(bool value) {
  if (FTransparent == value) return;
  FTransparent = value;
  PictureChanged();
}

bool TImage::ProposeAutoSize(int& NewWidth, int& NewHeight) {
  if (FPicture->Empty()) return false;
  NewWidth = FPicture->Width();
  NewHeight = FPicture->Height();
  return true;
}

TRect TImage::DestRect() const {
  if (FStretch) return ClientRect();
  const int w = FPicture->Width(), h = FPicture->Height();
  if (!FCenter) return Rect(0, 0, w, h);
  const int x = (Width() - w) / 2, y = (Height() - h) / 2;
  return Bounds(x, y, w, h);
}

void TImage::UpdateOpacity() {
  const TRect d = DestRect();
  const bool keyed = FTransparent && dynamic_cast<const TBitmap*>(FPicture->Graphic());
  const bool covers = !FPicture->Empty() && d.Left <= 0 && d.Top <= 0 && d.Right >= Width() && d.Bottom >= Height();
  if (covers && !keyed)
    FControlStyle.Include(csOpaque);
  else
    FControlStyle.Exclude(csOpaque);
}

void TImage::PictureChanged() {
  // The new size first: SetBounds paints what the old, larger picture left uncovered.
  if (AutoSize() && !IsLoading()) SetBounds(Left(), Top(), Width(), Height());
  UpdateOpacity();
  Invalidate();
}

void TImage::Loaded() {
  TGraphicControl::Loaded();
  UpdateOpacity();
}

void TImage::Resize() {
  UpdateOpacity();
  TGraphicControl::Resize();
}

void TImage::Paint() {
  const TGraphic* g = FPicture->Graphic();
  if (!g || g->Empty()) return;
  TCanvas& c = *Canvas();
  const TRect d = DestRect();
  const auto* bitmap = dynamic_cast<const TBitmap*>(g);
  if (FTransparent && bitmap) {
    c.Brush()->SetStyle(bsClear);
    c.BrushCopy(d, *bitmap, Rect(0, 0, bitmap->Width(), bitmap->Height()), bitmap->TransparentColor());
  } else {
    c.StretchDraw(d, *g);
  }
}
