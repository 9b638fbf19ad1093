#include "platform/ui/Control.h"

#include "platform/gfx/Font.h"
#include "platform/ui/WinControl.h"

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FColor(clWindow), FFont(std::make_unique<TFont>()) {
  if (AOwner && AOwner->ComponentState().Contains(csLoading)) BeginLoading();
  FControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FFont->OnChange = [this](TObject*) { FontChangeHandler(); };
}

TControl::~TControl() {
  FFont->OnChange = nullptr;
  SetParent(nullptr);
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (FParent) {
    if (FParentColor) CMParentColorChanged();
    if (FParentFont) CMParentFontChanged();
  }
  if (FAutoSize) SetBounds(FLeft, FTop, FWidth, FHeight);
}

bool TControl::ProposeAutoSize(int&, int&) { return false; }

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (AWidth < 0) AWidth = 0;  // a negative extent would turn every clip inside out
  if (AHeight < 0) AHeight = 0;
  if (FAutoSize && !IsLoading() && FAlign != alClient && FAlign != alCustom) {
    int w = AWidth, h = AHeight;
    if (ProposeAutoSize(w, h)) {
      AWidth = w < 0 ? 0 : w;
      AHeight = h < 0 ? 0 : h;
    }
  }
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  const bool resized = AWidth != FWidth || AHeight != FHeight;
  InvalidateControl(FVisible);
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  InvalidateControl(FVisible);
  if (IsLoading()) return;
  if (FParent) FParent->ChildBoundsChanged(this);
  if (resized) Resize();
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::SetVisible(bool value) {
  if (FVisible == value) return;
  InvalidateControl(true);  // the area it covered (or will cover) is painted again
  FVisible = value;
  CMVisibleChanged();
}

void TControl::CMVisibleChanged() {
  if (FParent && FAlign != alNone && !IsLoading()) FParent->AlignControls();
}

void TControl::SetParent(TWinControl* AParent) {
  if (FParent == AParent) return;
  if (AParent && IsAncestorOf(this, AParent)) return;  // a control cannot hold its own parent
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

void TControl::SetColor(TColor value) {
  if (FColor == value) return;
  FColor = value;
  FParentColor = false;
  CMColorChanged();
}

void TControl::SetParentColor(bool value) {
  if (FParentColor == value) return;
  FParentColor = value;
  if (value && FParent && !IsLoading()) CMParentColorChanged();
}

void TControl::CMParentColorChanged() {
  if (!FParentColor || !FParent) return;
  if (FColor != FParent->Color()) {
    FColor = FParent->Color();
    CMColorChanged();
  }
}

void TControl::CMColorChanged() { Invalidate(); }

void TControl::SetFont(const TFont* value) {
  if (value) FFont->Assign(*value);
}

void TControl::FontChangeHandler() {
  if (!FTakingParentFont) FParentFont = false;
  CMFontChanged();
}

void TControl::SetParentFont(bool value) {
  if (FParentFont == value) return;
  FParentFont = value;
  if (value && FParent && !IsLoading()) CMParentFontChanged();
}

void TControl::CMParentFontChanged() {
  if (!FParentFont || !FParent) return;
  FTakingParentFont = true;
  try {
    FFont->Assign(*FParent->Font());
  } catch (...) {
    FTakingParentFont = false;
    throw;
  }
  FTakingParentFont = false;
}

void TControl::CMFontChanged() { Invalidate(); }

void TControl::CMSysColorChange() {
  if (IsSystemColor(FColor)) Invalidate();
}

void TControl::SetCaption(const std::string& value) {
  if (FCaption == value) return;
  FCaption = value;
  CMTextChanged();
}

void TControl::SetAlign(TAlign value) {
  if (FAlign == value) return;
  const TAlign old = FAlign;
  FAlign = value;
  if (FParent && !IsLoading() && (old != alNone || value != alNone)) FParent->AlignControls();
}

void TControl::SetAutoSize(bool value) {
  if (FAutoSize == value) return;
  FAutoSize = value;
  if (value && !IsLoading()) SetBounds(FLeft, FTop, FWidth, FHeight);
}

bool TControl::Showing() const {
  const TControl* c = this;
  while (c->FParent) {
    if (!c->ShownOrDesigned()) return false;
    c = c->FParent;
  }
  const auto* root = c->AsWinControl();
  return root && root->HandleAllocated() && c->ShownOrDesigned();
}

TPoint TControl::SurfaceOrigin() const {
  TPoint p{0, 0};
  for (const TControl* c = this; c->FParent; c = c->FParent) {
    p.X += c->FLeft;
    p.Y += c->FTop;
  }
  return p;
}

TRect TControl::SurfaceBounds() const {
  const TPoint o = SurfaceOrigin();
  TRect r = Bounds(o.X, o.Y, FWidth, FHeight);
  for (const TControl* p = FParent; p; p = p->FParent) {
    const TPoint po = p->SurfaceOrigin();
    r = IntersectRect(r, Bounds(po.X, po.Y, p->FWidth, p->FHeight));
  }
  return r;
}

void TControl::InvalidateControl(bool IsVisible) {
  if (!(IsVisible || IsDesigning()) || !FParent || IsLoading()) return;
  FParent->InvalidateRect(BoundsRect());
}

void TControl::Invalidate() { InvalidateControl(FVisible); }

void TControl::Repaint() {
  if (!ShownOrDesigned() || !FParent || !FParent->Showing() || IsLoading()) return;
  if (FControlStyle.Contains(csOpaque)) {
    const TPoint po = FParent->SurfaceOrigin();
    TRect clip = Bounds(po.X + FLeft, po.Y + FTop, FWidth, FHeight);
    clip = IntersectRect(clip, FParent->SurfaceBounds());
    if (clip.IsEmpty()) return;
    FParent->PaintControls(clip, this);
    FParent->RepaintAboveInAncestors(clip);
  } else {
    Invalidate();
    FParent->Update();
  }
}

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::MouseDown(int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, X, Y);
}

void TControl::MouseMove(int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, X, Y);
}

void TControl::MouseUp(int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, X, Y);
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}
