#include "instruments/VrJogMeter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Font.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatFloat.h"

namespace {

const TTextFormat kLabelFormat{tfSingleLine, tfLeft, tfBottom, tfNoPrefix};

// Walks the series of step D over a window of A units starting at S0 on a scale L pixels
// long: Visit(i, p) for i = 0, 1, ... with the pixel p of tick i, the last call being the one
// whose p lies beyond L. Ticks left of the scale have p < 0. Returns false, visiting nothing,
// when the series is too dense to walk (more ticks than twice the pixels): the caller draws
// such a series as a solid run instead.
template <class F>
bool WalkSeries(double S0, double A, double D, int L, F&& Visit) {
  if (D == 0 || !std::isfinite(D) || !std::isfinite(S0) || !std::isfinite(A)) return true;
  const double count = std::trunc(A / D);
  if (std::isnan(count) || count < 0) return true;  // a negative step or window: no ticks at all
  if (A > 0 && count > 2.0 * (double(L) + 1)) return false;
  // With no window every tick lands on pixel 0; one of them shows them all.
  const double n = A > 0 ? count : (count > 2.0 * (double(L) + 1) ? 0 : count);
  const double k = std::trunc(S0 / D);
  const double first = k * D - S0;
  if (!std::isfinite(first)) return true;
  for (double i = 0; i <= n; ++i) {
    int p = 0;
    if (A > 0) {
      const double x = double(L) * (first + i * D) / A;
      if (std::isnan(x)) continue;
      p = x < -1 ? -1 : x > double(L) + 1 ? L + 1 : int(std::nearbyint(x));  // halves to even
    }
    Visit(int(i), p);
    if (p > L) break;
  }
  return true;
}

}  // namespace

// TVrJogMeterScale

void TVrJogMeterScale::SetColor(TColor value) {
  if (FColor == value) return;
  FColor = value;
  NotifyChange();
}

void TVrJogMeterScale::SetDecimals(int32_t value) {
  if (FDecimals == value) return;
  FDecimals = value;
  NotifyChange();
}

void TVrJogMeterScale::SetFormatText(const std::string& value) {
  if (FFormatText == value) return;
  FFormatText = value;
  NotifyChange();
}

void TVrJogMeterScale::SetApperture(double value) {
  if (FApperture == value) return;
  FApperture = value;
  NotifyChange();
}

void TVrJogMeterScale::SetPosition(TVrPosition value) {
  if (FPosition == value) return;
  FPosition = value;
  NotifyChange();
}

void TVrJogMeterScale::SetStep(double value) {
  if (FStep == value) return;
  FStep = value;
  NotifyChange();
}

void TVrJogMeterScale::SetSmallStep(double value) {
  if (FSmallStep == value) return;
  FSmallStep = value;
  NotifyChange();
}

void TVrJogMeterScale::SetHeightMax(int32_t value) {
  if (FHeightMax == value) return;
  FHeightMax = value;
  NotifyChange();
}

void TVrJogMeterScale::SetHeightMin(int32_t value) {
  if (FHeightMin == value) return;
  FHeightMin = value;
  NotifyChange();
}

void TVrJogMeterScale::SetVisible(bool value) {
  if (FVisible == value) return;
  FVisible = value;
  NotifyChange();
}

void TVrJogMeterScale::Assign(const TPersistent* Source) {
  const auto* other = dynamic_cast<const TVrJogMeterScale*>(Source);
  if (!other) {
    TVrPersistent::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    SetColor(other->FColor);
    SetStep(other->FStep);
    SetFormatText(other->FFormatText);
    SetApperture(other->FApperture);
    SetSmallStep(other->FSmallStep);
    SetHeightMax(other->FHeightMax);
    SetHeightMin(other->FHeightMin);
    SetVisible(other->FVisible);
    SetPosition(other->FPosition);
    SetDecimals(other->FDecimals);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

// TVrLiniarIndicator

TVrLiniarIndicator::TVrLiniarIndicator() : FBitmap(std::make_unique<TBitmap>()) {
  LoadDefaultGlyph();
  FBitmap->OnChange = [this](TObject*) { GlyphChanged(); };
}

TVrLiniarIndicator::~TVrLiniarIndicator() { FBitmap->OnChange = nullptr; }

void TVrLiniarIndicator::LoadDefaultGlyph() {
  if (!FBitmap->Empty()) return;
  // Loading is a change of its own; it must not announce itself a second time.
  TNotifyEvent saved = std::move(FBitmap->OnChange);
  FBitmap->OnChange = nullptr;
  try {
    FBitmap->LoadFromResourceName("TIWPIN");
  } catch (const std::exception&) {
    // Without the built-in pin the bitmap shape draws nothing.
  }
  FBitmap->OnChange = std::move(saved);
}

void TVrLiniarIndicator::GlyphChanged() {
  LoadDefaultGlyph();
  NotifyChange();
}

void TVrLiniarIndicator::SetValue(double value) {
  if (FValue == value) return;
  FValue = value;
  NotifyChange();
}

void TVrLiniarIndicator::SetBitmap(const TBitmap* value) {
  if (value == FBitmap.get()) {
    GlyphChanged();
    return;
  }
  FBitmap->Assign(value);
  if (FBitmap->Empty()) GlyphChanged();  // an empty picture given to an empty bitmap
}

void TVrLiniarIndicator::SetShape(TvrIndicatorShape value) {
  if (FShape == value) return;
  FShape = value;
  NotifyChange();
}

void TVrLiniarIndicator::SetColor(TColor value) {
  if (FColor == value) return;
  FColor = value;
  NotifyChange();
}

void TVrLiniarIndicator::SetVisible(bool value) {
  if (FVisible == value) return;
  FVisible = value;
  NotifyChange();
}

void TVrLiniarIndicator::Assign(const TPersistent* Source) {
  const auto* other = dynamic_cast<const TVrLiniarIndicator*>(Source);
  if (!other) {
    TVrPersistent::Assign(Source);
    return;
  }
  if (other == this) return;
  BeginUpdate();
  try {
    SetValue(other->FValue);
    SetBitmap(other->FBitmap.get());
    SetShape(other->FShape);
    SetColor(other->FColor);
    SetVisible(other->FVisible);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

// TVrJogMeter

TVrJogMeter::TVrJogMeter(TComponent* AOwner) : TVrGraphicImageControl(AOwner) {
  MarkOpaque(true);
  SetDrawsInPlace(true);
  SetBounds(0, 0, 160, 40);
  SetColor(clBlack);
  SetParentColor(false);
  SetTransparent(false);
  Font()->SetName("Arial");
  Font()->SetSize(8);
  Font()->SetColor(clBlack);
  SetShowCaption(false);
  FScale = std::make_unique<TVrJogMeterScale>();
  FScale->ChangeNotify = [this](TObject*) { ScaleChanged(); };
  FScale->SetApperture(60.0);
  FScale->SetStep(10.0);
  FScale->SetSmallStep(2.0);
  FScale->SetHeightMax(15);
  FScale->SetHeightMin(8);
  FScale->SetPosition(voBefore);
  FScale->FColor = clBlack;
  FToColor = clWhite;
  FFromColor = clBlack;
  FDirection = voHorizontal;
  FValue = std::make_unique<TVrLiniarIndicator>();
  FValue->ChangeNotify = [this](TObject*) { ValueChanged(); };
  FValue->FValue = 0.0;
  FValue->FVisible = true;
  FValue->FShape = voLine;
  FValue->FColor = clRed;
}

TVrJogMeter::~TVrJogMeter() {
  FScale.reset();
  FValue.reset();
}

void TVrJogMeter::ScaleChanged() { UpdateControl(); }
void TVrJogMeter::ValueChanged() { UpdateControl(); }

void TVrJogMeter::SetDirection(TVrDirection value) {
  if (FDirection == value) return;
  // The design stores the bounds in their final orientation already.
  if (!IsLoading()) SetBounds(Left(), Top(), Height(), Width());
  FDirection = value;
  UpdateControl();
}

void TVrJogMeter::SetShowCaption(bool value) {
  if (FShowCaption == value) return;
  FShowCaption = value;
  UpdateControl();
}

void TVrJogMeter::SetScale(const TVrJogMeterScale* value) { FScale->Assign(value); }
void TVrJogMeter::SetValue(const TVrLiniarIndicator* value) { FValue->Assign(value); }

void TVrJogMeter::SetFromColor(TColor value) {
  if (FFromColor == value) return;
  FFromColor = value;
  UpdateControl();
}

void TVrJogMeter::SetToColor(TColor value) {
  if (FToColor == value) return;
  FToColor = value;
  UpdateControl();
}

int TVrJogMeter::ScaleLength() const { return FDirection == voHorizontal ? Width() : Height(); }

int TVrJogMeter::ValueToPixel(double Offset) const {
  const double A = FScale->Apperture();
  if (!(A > 0)) return 0;
  const double x = double(ScaleLength()) * Offset / A;
  if (std::isnan(x)) return 0;
  if (x < INT32_MIN) return INT32_MIN;
  if (x > INT32_MAX) return INT32_MAX;
  return int(std::nearbyint(x));
}

std::string TVrJogMeter::FormatLabel(double X) const {
  // "%s", the usual pattern, gives the number as it is: a paint formats a few dozen labels.
  if (FScale->FormatText() == "%s") return FormatFixed(X, FScale->Decimals());
  return Format(FScale->FormatText(), {FormatFixed(X, FScale->Decimals())});
}

std::vector<TVrJogMeter::TTick> TVrJogMeter::TickSeries(double D) const {
  std::vector<TTick> ticks;
  ListTicks(D, ticks);
  return ticks;
}

void TVrJogMeter::ListTicks(double D, std::vector<TTick>& ticks) const {
  ticks.clear();
  const double A = FScale->Apperture();
  const int L = ScaleLength();
  ticks.reserve(size_t(std::max(L, 0)) + 2);  // at most one a pixel, but for the densest series
  const bool walked = WalkSeries(FValue->Value() - A / 2, A, D, L, [&](int i, int p) {
    if (p >= 0 && p <= L) ticks.push_back({i, p});
  });
  if (!walked)  // finer than the pixels: every position carries a tick
    for (int p = 0; p <= L; ++p) ticks.push_back({-1, p});
}

std::vector<TVrJogMeter::TLabel> TVrJogMeter::LabelLayout(TCanvas* ACanvas) const {
  std::vector<TLabel> labels;
  LayOutLabels(ACanvas, labels);
  return labels;
}

void TVrJogMeter::LayOutLabels(TCanvas* ACanvas, std::vector<TLabel>& labels) const {
  labels.clear();
  const double A = FScale->Apperture(), D = FScale->Step();
  const double S0 = FValue->Value() - A / 2;
  const double first = std::trunc(S0 / D) * D - S0;
  const int L = ScaleLength(), W = Width(), H = Height(), HMax = FScale->HeightMax();
  const bool before = FScale->Position() == voBefore;
  // Labels of a series too dense to walk would only smear into each other: none are drawn.
  WalkSeries(S0, A, D, L, [&](int i, int p) {
    std::string text = FormatLabel(S0 + first + i * D);  // formatted before the position test
    if (p < 0 || p > L) return;
    const TSize size = ACanvas->TextExtent(text);
    TRect r = Rect(0, 0, W, H);
    if (FDirection == voHorizontal) {
      r.Left = p - size.cx / 2;
      if (before) {
        r.Top = BaselineY + HMax;
        r.Bottom = r.Top + size.cy;
      } else {
        r.Bottom = BaselineY - HMax;
        r.Top = r.Bottom - size.cy;
      }
    } else {
      r.Top = p - size.cy / 2;
      r.Bottom = r.Top + size.cy;
      r.Left = before ? BaselineX + HMax : BaselineX - HMax - size.cx;
    }
    r.Right = W;
    labels.push_back({std::move(text), r});
  });
}

void TVrJogMeter::Paint() {
  // The meter draws in place: what can fail (a label's format) is done before the first
  // pixel, so that a failed paint leaves the screen as it was.
  CalcBaseline();
  if (FScale->Visible()) {
    TCanvas* image = ImageCanvas();
    image->SetFont(Font());
    LayOutLabels(image, FLabels);
  }
  PrepareImage();
  SetDrawCanvas(ImageCanvas());
  try {
    DrawBackground();
    DrawMeterCaption();
    DrawLabels();
    DrawTicks();
    if (FValue->Visible()) DrawIndicator();
  } catch (...) {
    SetDrawCanvas(Canvas());
    throw;
  }
  SetDrawCanvas(Canvas());
  TVrGraphicImageControl::Paint();
}

// The background copy covers every pixel of an opaque meter's image: the fill in the
// control's colour would only be overwritten. The brush is left as the fill leaves it.
void TVrJogMeter::PrepareImage() {
  TCanvas* image = ImageCanvas();
  if (Transparent() || image->HasClipRegion()) {
    TVrGraphicImageControl::PrepareImage();
    return;
  }
  image->Brush()->SetStyle(bsSolid);
  image->Brush()->SetColor(Color());
}

void TVrJogMeter::DrawBackground() {
  TCanvas* c = DrawCanvas();
  const TRect all = Rect(0, 0, Width(), Height());
  const int style = FDirection == voHorizontal ? 6 : 5;
  // Only over the control's own colour, as an opaque meter starts its image: beneath a
  // transparent one lies whatever its parent shows.
  if (Transparent() || c != ImageCanvas() || c->Brush()->Style() != bsSolid || c->HasClipRegion()) {
    GradientFill(*c, all, FFromColor, FToColor, style, 1);
    return;
  }
  const TGradientKey key{Width(), Height(), ColorToRGB(Color()), ColorToRGB(FFromColor), ColorToRGB(FToColor), style};
  if (!FGradient || !(key == FGradientKey)) {
    if (!FGradient) FGradient = std::make_unique<TBitmap>();
    FGradient->SetSize(key.Width, key.Height);
    TCanvas* g = FGradient->Canvas();
    g->Brush()->SetStyle(bsSolid);
    g->Brush()->SetColor(Color());
    g->FillRect(all);
    GradientFill(*g, all, FFromColor, FToColor, style, 1);
    FGradientKey = key;
  }
  c->CopyRect(all, *FGradient->Canvas(), all);
  c->Brush()->SetColor(FGradient->Canvas()->Brush()->Color());  // the last band's, as painting leaves it
}

void TVrJogMeter::CalcBaseline() {
  const bool after = FScale->Position() == voAfter;
  if (FDirection == voHorizontal)
    BaselineY = after ? Height() : 0;
  else
    BaselineX = after ? Width() : 0;
}

void TVrJogMeter::DrawMeterCaption() {
  if (!FShowCaption) return;
  TCanvas* c = DrawCanvas();
  LabelRect = ClientRect();
  c->Brush()->SetStyle(bsClear);
  c->SetFont(Font());
  const TSize size = c->TextExtent(Caption());
  LabelRect.Left = Width() / 2 - size.cx / 2;
  if (FDirection == voHorizontal && FScale->Position() == voBefore) {
    LabelRect.Top = Height() - size.cy;
    LabelRect.Bottom = Height();
  } else {
    LabelRect.Top = 0;
    LabelRect.Bottom = size.cy;
  }
  TRect r = LabelRect;
  c->DrawText(r, Caption(), kLabelFormat);
}

void TVrJogMeter::DrawLabels() {
  if (!FScale->Visible()) return;
  TCanvas* c = DrawCanvas();
  LabelRect = ClientRect();
  c->Brush()->SetStyle(bsClear);
  c->SetFont(Font());
  for (const TLabel& l : FLabels) {
    LabelRect = l.Rect;
    TRect r = LabelRect;
    c->DrawText(r, l.Text, kLabelFormat);
  }
}

void TVrJogMeter::DrawTicks() {
  if (!FScale->Visible()) return;
  TCanvas* c = DrawCanvas();
  c->Pen()->SetMode(pmCopy);
  c->Pen()->SetColor(FScale->Color());
  c->Pen()->SetWidth(1);
  const int sign = FScale->Position() == voBefore ? 1 : -1;
  const double steps[2] = {FScale->SmallStep(), FScale->Step()};
  const int lengths[2] = {FScale->HeightMin(), FScale->HeightMax()};
  for (int s = 0; s < 2; ++s) {
    const int len = sign * lengths[s];
    ListTicks(steps[s], FTicks);
    for (const TTick& t : FTicks) {
      if (FDirection == voHorizontal) {
        c->MoveTo(t.Pixel, BaselineY);
        c->LineTo(t.Pixel, BaselineY + len);
      } else {
        c->MoveTo(BaselineX, t.Pixel);
        c->LineTo(BaselineX + len, t.Pixel);
      }
    }
  }
}

void TVrJogMeter::DrawIndicator() {
  TCanvas* canvas = DrawCanvas();
  const int W = Width(), H = Height(), HMin = FScale->HeightMin();
  const bool horizontal = FDirection == voHorizontal;
  const bool before = FScale->Position() == voBefore;
  const int c = horizontal ? W / 2 : H / 2;
  switch (FValue->Shape()) {
    case voLine:
      canvas->Pen()->SetColor(FValue->Color());
      if (horizontal) {
        canvas->MoveTo(c, 0);
        canvas->LineTo(c, H);
      } else {
        canvas->MoveTo(W, c);
        canvas->LineTo(0, c);
      }
      break;
    case voTriangle: {
      TPoint p[3];
      if (horizontal && before)
        p[0] = {c, 0}, p[1] = {c - 5, HMin}, p[2] = {c + 5, HMin};
      else if (horizontal)
        p[0] = {c, H}, p[1] = {c - 5, H - HMin}, p[2] = {c + 5, H - HMin};
      else if (before)
        p[0] = {0, c}, p[1] = {HMin, c - 5}, p[2] = {HMin, c + 5};
      else
        p[0] = {W, c}, p[1] = {W - HMin, c - 5}, p[2] = {W - HMin, c + 5};
      canvas->Brush()->SetColor(FValue->Color());
      canvas->Pen()->SetColor(FScale->Color());
      canvas->Polygon(p);
      break;
    }
    case voBitmap: {
      const TBitmap& bmp = *FValue->Bitmap();
      if (bmp.Empty()) break;
      const int bw = bmp.Width(), bh = bmp.Height();
      TRect dest;
      if (horizontal) {
        const int x = c - bw / 2;
        dest = before ? Rect(x, 0, x + bw, bh) : Rect(x, H, x + bw, H - bh);  // upside down against the bottom
      } else {
        const int t = c - bh / 2;
        dest = before ? Rect(HMin, t, HMin - bw, t + bh)  // mirrored, its inner edge at HMin
                      : Rect(W - HMin, t, W - HMin + bw, t + bh);
      }
      canvas->BrushCopy(dest, bmp, BitmapBounds(bmp), bmp.TransparentColor());
      break;
    }
  }
}
