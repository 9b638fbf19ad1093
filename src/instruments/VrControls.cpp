#include "instruments/VrControls.h"

#include <optional>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/ui/Cursors.h"

namespace {

// The library's start-up: its hand cursor joins the screen's cursors.
const bool kCursorRegistered = [] {
  RegisterCursorResource(crVrHandPoint, "VRCURSORHANDPOINT");
  return true;
}();

}  // namespace

// TVrGraphicControl

TVrGraphicControl::TVrGraphicControl(TComponent* AOwner) : TGraphicControl(AOwner) { (void)kCursorRegistered; }

void TVrGraphicControl::UpdateControl() {
  if (!IsLoading()) Repaint();
}

void TVrGraphicControl::AdjustSizeAndUpdate() {
  const TAlign a = Align();
  if (AutoSize() && a != alClient && a != alCustom) {
    const TRect before = BoundsRect();
    if (!IsLoading()) SetBounds(Left(), Top(), Width(), Height());
    if (SameRect(before, BoundsRect())) UpdateControl();
  } else {
    UpdateControl();
  }
}

void TVrGraphicControl::ReapplyBoundsAndUpdate() {
  if (IsLoading()) return;
  const TRect before = BoundsRect();
  SetBounds(Left(), Top(), Width(), Height());
  if (SameRect(before, BoundsRect())) UpdateControl();
}

void TVrGraphicControl::CMMouseEnter() {
  TGraphicControl::CMMouseEnter();
  DoMouseEnter();
}

void TVrGraphicControl::CMMouseLeave() {
  TGraphicControl::CMMouseLeave();
  DoMouseLeave();
}

void TVrGraphicControl::CMFontChanged() {
  TGraphicControl::CMFontChanged();
  DoFontChanged();
}

void TVrGraphicControl::CMTextChanged() {
  TGraphicControl::CMTextChanged();
  DoTextChanged();
}

void TVrGraphicControl::DoMouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
}

void TVrGraphicControl::DoMouseLeave() {
  if (OnMouseLeave) OnMouseLeave(this);
}

void TVrGraphicControl::DoFontChanged() {
  if (OnFontChanged) OnFontChanged(this);
}

void TVrGraphicControl::DoTextChanged() {
  if (OnTextChanged) OnTextChanged(this);
}

void TVrGraphicControl::DrawDesignFrame(TCanvas* ACanvas) {
  if (!IsDesigning() || !ACanvas) return;
  ACanvas->Pen()->SetStyle(psDot);
  ACanvas->Pen()->SetColor(clBlack);
  ACanvas->Brush()->SetStyle(bsClear);
  ACanvas->Rectangle(0, 0, Width(), Height());
}

// TVrGraphicImageControl

TVrGraphicImageControl::TVrGraphicImageControl(TComponent* AOwner)
    : TVrGraphicControl(AOwner),
      FBackgroundBitmap(std::make_unique<TBitmap>()),
      FImageBitmap(std::make_unique<TBitmap>()),
      FDrawCanvas(Canvas()) {}

TVrGraphicImageControl::~TVrGraphicImageControl() = default;

TCanvas* TVrGraphicImageControl::ImageCanvas() const { return FImageBitmap->Canvas(); }

void TVrGraphicImageControl::MarkOpaque(bool value) {
  TControlStyle style = ControlStyle();
  if (value)
    style.Include(csOpaque);
  else
    style.Exclude(csOpaque);
  SetControlStyle(style);
}

void TVrGraphicImageControl::SetTransparent(bool value) {
  if (FTransparent == value) return;
  FTransparent = value;
  MarkOpaque(!value);
  // A picture saved during an earlier transparent spell may no longer be what lies beneath
  // (the parent or the control may have changed since): let the parent paint first.
  if (value) {
    FBackgroundBitmap->SetSize(0, 0);
    FNeedBackground = true;
  }
  if (IsDesigning())
    Invalidate();
  else
    UpdateControl();
}

void TVrGraphicImageControl::UpdateControl() {
  // The cheap path: a transparent control that holds a picture of what lies beneath it
  // repaints over that picture alone.
  const bool reuse = !IsDesigning() && FTransparent && !FBackgroundBitmap->Empty();
  if (reuse) {
    FNeedBackground = false;
    MarkOpaque(true);
  }
  try {
    TVrGraphicControl::UpdateControl();
  } catch (...) {
    if (reuse) ResumeCapturing();
    throw;
  }
  // Hidden, loading or off the parent: nothing was painted, and the picture saved may be
  // stale by the time the control paints again, so the next paint must capture.
  if (reuse && !FNeedBackground) ResumeCapturing();
}

void TVrGraphicImageControl::ResumeCapturing() {
  FNeedBackground = true;
  MarkOpaque(false);
}

void TVrGraphicImageControl::PaintRequest(const TPaintDC* DC) {
  if (!DC || !DC->Surface) return;
  TCanvas* canvas = Canvas();
  canvas->Lock();
  TCanvas* image = nullptr;
  try {
    if (FImageBitmap->Width() != Width() || FImageBitmap->Height() != Height())
      FImageBitmap->SetSize(Width(), Height());
    image = ImageCanvas();
    image->Lock();
    AttachDC(*DC);
    std::optional<TCanvasState> keep;  // the image canvas back on its bitmap afterwards
    if (FDrawsInPlace) {
      keep.emplace(*image);
      image->SetTarget(DC->Surface, DC->Origin,
                       IntersectRect(DC->Clip, OffsetRect(ClientRect(), DC->Origin.X, DC->Origin.Y)));
      FDrawingInPlace = true;
    }
    try {
      Paint();
    } catch (...) {
      FDrawingInPlace = false;
      DetachDC();
      throw;
    }
    FDrawingInPlace = false;
    DetachDC();
  } catch (...) {
    if (image) image->Unlock();
    canvas->Unlock();
    throw;
  }
  image->Unlock();
  canvas->Unlock();
}

void TVrGraphicImageControl::PrepareImage() {
  TCanvas* image = ImageCanvas();
  image->Brush()->SetStyle(bsSolid);
  if (FTransparent) {
    if (FNeedBackground) CaptureBackground();
    RestoreBackground();
  } else {
    image->Brush()->SetColor(Color());
    image->FillRect(BitmapBounds(*FImageBitmap));
  }
}

void TVrGraphicImageControl::CaptureBackground() {
  if (FBackgroundBitmap->Width() != Width() || FBackgroundBitmap->Height() != Height())
    FBackgroundBitmap->SetSize(Width(), Height());
  const TRect clip = Canvas()->ClipRect();
  FBackgroundBitmap->Canvas()->CopyRect(clip, *Canvas(), clip);
}

void TVrGraphicImageControl::RestoreBackground() {
  const TRect all = BitmapBounds(*FImageBitmap);
  ImageCanvas()->CopyRect(all, *FBackgroundBitmap->Canvas(), all);
}

void TVrGraphicImageControl::Paint() {
  if (!FDrawingInPlace) Canvas()->Draw(0, 0, *FImageBitmap);
  if (FTransparent) ResumeCapturing();
}
