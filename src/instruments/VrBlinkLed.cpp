#include "instruments/VrBlinkLed.h"

#include <algorithm>
#include <utility>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Font.h"
#include "platform/ui/Timer.h"

namespace {

constexpr TColor kPaletteHigh[4] = {clRed, clAqua, clYellow, clLime};

}  // namespace

TVrCustomBlinkLed::TVrCustomBlinkLed(TComponent* AOwner) : TVrGraphicImageControl(AOwner) {
  TControlStyle style = ControlStyle();
  style.Include(csClickEvents);
  style.Exclude(csDoubleClicks);  // a double click arrives as two clicks
  style.Exclude(csSetCaption);
  SetControlStyle(style);
  SetBounds(Left(), Top(), 50, 20);
  SetParentColor(false);
  SetColor(clMaroon);
  Font()->SetColor(clWhite);
  SetTransparent(true);
  for (int i = 0; i < 4; ++i) {
    FPalettes[i] = std::make_unique<TVrPalette>();
    FPalettes[i]->SetHigh(kPaletteHigh[i]);
    FPalettes[i]->SetLow(clBlack);
    FPalettes[i]->ChangeNotify = [this](TObject*) { UpdateControl(); };
  }
  FTimer = std::make_unique<TTimer>(nullptr);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(uint32_t(FBlinkSpeed));
  FTimer->SetOnTimer([this](TObject*) { TimerTick(); });
}

TVrCustomBlinkLed::~TVrCustomBlinkLed() {
  FTimer->SetEnabled(false);
  FTimer.reset();
  for (auto& p : FPalettes) p.reset();
}

void TVrCustomBlinkLed::SetPalette(int index, const TVrPalette* value) {
  FPalettes[index]->Assign(value);
  UpdateControl();
}

void TVrCustomBlinkLed::SetBlinkLedType(TVrBlinkLedType value) {
  if (FBlinkLedType == value) return;
  FBlinkLedType = value;
  UpdateControl();
}

void TVrCustomBlinkLed::SetLayout(TVrImageTextLayout value) {
  if (FLayout == value) return;
  FLayout = value;
  UpdateControl();
}

void TVrCustomBlinkLed::SetMargin(int32_t value) {
  if (FMargin == value) return;
  FMargin = value;
  UpdateControl();
}

void TVrCustomBlinkLed::SetSpacing(int32_t value) {
  if (FSpacing == value) return;
  FSpacing = value;
  UpdateControl();
}

void TVrCustomBlinkLed::SetColorIndex(uint8_t value) {
  if (value < 1 || value > 4) throw EVrException("Out of range! ColorIndex=[1..4]");
  if (FColorIndex == value) return;
  FColorIndex = value;
  UpdateControl();
}

void TVrCustomBlinkLed::SetEnableBlinking(bool value) {
  FEnableBlinking = value;
  FTimer->SetEnabled(value);
}

void TVrCustomBlinkLed::SetBlinkSpeed(int32_t value) {
  FBlinkSpeed = value;
  FTimer->SetInterval(value > 0 ? uint32_t(value) : 0);  // a negative period ticks never
}

void TVrCustomBlinkLed::TimerTick() { SetDark(!FDark); }

void TVrCustomBlinkLed::SetDark(bool value) {
  if (FDark == value) return;
  FDark = value;
  UpdateControl();
  FireChange();
}

void TVrCustomBlinkLed::FireChange() {
  if (OnChange) OnChange(this);
}

TColor TVrCustomBlinkLed::CurrentColor() const {
  const TVrPalette& p = *FPalettes[std::clamp<int>(FColorIndex, 1, 4) - 1];
  return FDark ? p.Low() : p.High();
}

void TVrCustomBlinkLed::CMTextChanged() {
  TVrGraphicImageControl::CMTextChanged();
  UpdateControl();
}

void TVrCustomBlinkLed::CMSysColorChange() {
  TVrGraphicImageControl::CMSysColorChange();
  UpdateControl();
}

void TVrCustomBlinkLed::CalcLayout() {
  TCanvas* canvas = ImageCanvas();
  canvas->SetFont(Font());
  const TSize text = canvas->TextExtent(Caption());
  int sx = Width() - text.cx - FMargin - FSpacing;
  int sy = Height() - text.cy - FMargin - FSpacing;
  switch (FBlinkLedType) {
    case ltRounded: sx = sy = std::min(sx, sy); break;
    case ltRectangle:
      sx -= sx / 3;
      sy -= sy / 3;
      break;
    case ltLargeRect: break;
  }
  TPoint pos;
  CalcImageTextLayout(*canvas, ClientRect(), TPoint{0, 0}, Caption(), FLayout, FMargin, FSpacing, TPoint{sx, sy}, pos,
                      FTextRect);
  FImageRect = Rect(pos.X, pos.Y, pos.X + sx, pos.Y + sy);
  if (FImageRect.Left > FImageRect.Right) std::swap(FImageRect.Left, FImageRect.Right);
  if (FImageRect.Top > FImageRect.Bottom) std::swap(FImageRect.Top, FImageRect.Bottom);
}

void TVrCustomBlinkLed::DrawRoundLamp() {
  TCanvas* c = ImageCanvas();
  const TRect r = FImageRect;
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetColor(clGray);
  c->Ellipse(r);
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetColor(clWhite);
  const TPoint corner[3] = {{r.Left, r.Top}, {r.Left, r.Bottom}, {r.Right, r.Top}};
  c->ClipToPolygon(corner);
  c->Ellipse(r);
  c->RemoveClipRegion();
  const TColor lamp = CurrentColor();
  c->Pen()->SetColor(lamp);
  c->Brush()->SetColor(lamp);
  c->Ellipse(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2);
}

void TVrCustomBlinkLed::DrawRectLamp() {
  TCanvas* c = ImageCanvas();
  const TColor lamp = CurrentColor();
  c->Pen()->SetColor(lamp);
  c->Brush()->SetColor(lamp);
  c->Rectangle(FImageRect);
  DrawBevel(*c, FImageRect, clWhite, clGray, FBlinkLedType == ltRectangle ? 1 : 2);
}

void TVrCustomBlinkLed::DrawCaption() {
  TCanvas* c = ImageCanvas();
  c->SetFont(Font());
  c->Brush()->SetStyle(bsClear);
  TRect r = FTextRect;
  c->DrawText(r, Caption(), TTextFormat{tfSingleLine, tfLeft, tfVerticalCenter, tfNoPrefix});  // "&" shows as it is
}

void TVrCustomBlinkLed::Paint() {
  PrepareImage();
  CalcLayout();
  if (FBlinkLedType == ltRounded)
    DrawRoundLamp();
  else
    DrawRectLamp();
  DrawCaption();
  TVrGraphicImageControl::Paint();
}
