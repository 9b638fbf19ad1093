#include "platform/ui/Panel.h"

#include "platform/gfx/Canvas.h"
#include "platform/gfx/Font.h"
#include "platform/gfx/Frame3D.h"

namespace {

void Bevel(TCanvas& C, TRect& R, TBevelCut Cut, TColor Face, int Width) {
  switch (Cut) {
    case bvNone: return;
    case bvLowered: Frame3D(C, R, clBtnShadow, clBtnHighlight, Width); return;
    case bvRaised: Frame3D(C, R, clBtnHighlight, clBtnShadow, Width); return;
    case bvSpace: Frame3D(C, R, Face, Face, Width); return;
  }
}

}  // namespace

TPanel::TPanel(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle.Include(csOpaque);
  SetColor(clBtnFace);
  SetBounds(0, 0, 185, 41);
}

void TPanel::SetBevelOuter(TBevelCut value) {
  if (FBevelOuter == value) return;
  FBevelOuter = value;
  EdgesChanged();
}

void TPanel::SetBevelInner(TBevelCut value) {
  if (FBevelInner == value) return;
  FBevelInner = value;
  EdgesChanged();
}

void TPanel::SetBevelWidth(int value) {
  if (value < 1) value = 1;
  if (FBevelWidth == value) return;
  FBevelWidth = value;
  EdgesChanged();
}

void TPanel::SetBorderWidth(int value) {
  if (value < 0) value = 0;
  if (FBorderWidth == value) return;
  FBorderWidth = value;
  EdgesChanged();
}

void TPanel::SetAlignment(TAlignment value) {
  if (FAlignment == value) return;
  FAlignment = value;
  Invalidate();
}

void TPanel::EdgesChanged() {
  if (IsLoading()) return;
  AlignControls();
  Invalidate();
}

void TPanel::CMTextChanged() { Invalidate(); }

int TPanel::EdgeWidth() const {
  return (FBevelOuter != bvNone ? FBevelWidth : 0) + FBorderWidth + (FBevelInner != bvNone ? FBevelWidth : 0);
}

void TPanel::AdjustClientRect(TRect& R) const {
  const int e = EdgeWidth();
  R = Rect(R.Left + e, R.Top + e, R.Right - e, R.Bottom - e);
  if (R.IsEmpty()) R = Rect(R.Left, R.Top, R.Left, R.Top);
}

void TPanel::PaintWindow(const TPaintDC& DC) {
  TCanvas& c = *Canvas();
  c.SetTarget(DC.Surface, DC.Origin, DC.Clip);
  TRect r = ClientRect();
  Bevel(c, r, FBevelOuter, Color(), FBevelWidth);
  Frame3D(c, r, Color(), Color(), FBorderWidth);
  Bevel(c, r, FBevelInner, Color(), FBevelWidth);
  c.Brush()->SetColor(Color());
  c.FillRect(r);
  if (!Caption().empty() && !r.IsEmpty()) {
    c.SetFont(Font());
    c.Brush()->SetStyle(bsClear);
    const TTextFormatFlag h = FAlignment == taLeftJustify ? tfLeft : FAlignment == taRightJustify ? tfRight : tfCenter;
    c.DrawText(r, Caption(), TTextFormat{h, tfVerticalCenter, tfSingleLine});
  }
  c.SetTarget(nullptr, TPoint{}, TRect{});
}
