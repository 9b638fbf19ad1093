#include "platform/ui/Label.h"

#include "platform/gfx/Canvas.h"
#include "platform/gfx/Font.h"

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle.Include(csOpaque);
  SetBounds(0, 0, 65, 17);
  SetAutoSize(true);
}

void TLabel::SetTransparent(bool value) {
  if (FTransparent == value) return;
  FTransparent = value;
  // An opaque label repaints alone; a transparent one needs what lies beneath painted first.
  if (value)
    FControlStyle.Exclude(csOpaque);
  else
    FControlStyle.Include(csOpaque);
  Invalidate();
}

void TLabel::SetAlignment(TAlignment value) {
  if (FAlignment == value) return;
  FAlignment = value;
  Invalidate();
}

void TLabel::SetShowAccelChar(bool value) {
  if (FShowAccelChar == value) return;
  FShowAccelChar = value;
  AdjustBounds();
  Invalidate();
}

TTextFormat TLabel::TextFormat() const {
  TTextFormat f{tfSingleLine};
  f.Include(FAlignment == taLeftJustify ? tfLeft : FAlignment == taRightJustify ? tfRight : tfCenter);
  if (!FShowAccelChar) f.Include(tfNoPrefix);
  return f;
}

bool TLabel::ProposeAutoSize(int& NewWidth, int& NewHeight) {
  // Measured with a canvas of its own: the label's canvas may be in the middle of a paint.
  TCanvas measure;
  measure.SetFont(Font());
  TTextFormat f = TextFormat();
  f.Include(tfCalcRect);
  TRect r = Rect(0, 0, 0, 0);
  measure.DrawText(r, Caption().empty() ? std::string(" ") : Caption(), f);
  NewWidth = r.Width();
  NewHeight = r.Height();
  return true;
}

void TLabel::AdjustBounds() {
  if (!AutoSize() || IsLoading()) return;
  int w = Width(), h = Height();
  if (!ProposeAutoSize(w, h)) return;
  const int left = FAlignment == taRightJustify ? Left() + Width() - w : Left();
  SetBounds(left, Top(), w, h);
}

void TLabel::CMTextChanged() {
  Invalidate();
  AdjustBounds();
}

void TLabel::CMFontChanged() {
  TGraphicControl::CMFontChanged();
  AdjustBounds();
}

void TLabel::Paint() {
  TCanvas& c = *Canvas();
  const TRect r = ClientRect();
  if (!FTransparent) {
    c.Brush()->SetColor(Color());
    c.Brush()->SetStyle(bsSolid);
    c.FillRect(r);
  }
  if (Caption().empty()) return;
  c.SetFont(Font());
  c.Brush()->SetStyle(bsClear);
  TRect text = r;
  c.DrawText(text, Caption(), TextFormat());
}
