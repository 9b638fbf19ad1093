#include "instruments/VrDigit.h"

#include <algorithm>

#include "instruments/VrSysUtils.h"
#include "platform/gfx/Canvas.h"

namespace {

struct TDigitMetrics {
  int U, H1, E, M;
};

TDigitMetrics Metrics(int W, int H) {
  TDigitMetrics m;
  m.U = W - W / 6;  // the rightmost sixth holds the decimal point
  m.H1 = H - 1;
  m.E = std::min(m.U / 12, m.H1 / 12);
  m.M = m.H1 / 2;
  return m;
}

TVrSegmentShape HorizontalBar(const TDigitMetrics& m, int y0) {
  const int E = m.E, U = m.U;
  return {{{{E + 2, y0 + E},
            {2 * E + 2, y0},
            {U - 2 * E - 2, y0},
            {U - E - 2, y0 + E},
            {U - 2 * E - 2, y0 + 2 * E},
            {2 * E + 2, y0 + 2 * E}}},
          6};
}

TVrSegmentShape VerticalBar(const TDigitMetrics& m, int x0, int y0) {
  const int E = m.E, M = m.M;
  return {{{{x0, y0 + 2 * E + 2},
            {x0 + E, y0 + E + 2},
            {x0 + 2 * E, y0 + 2 * E + 2},
            {x0 + 2 * E, y0 + M - E - 2},
            {x0 + E, y0 + M - 2},
            {x0, y0 + M - E - 2}}},
          6};
}

}  // namespace

TVrSegmentShape SegmentShape(TVrDigitSegment Segment, int Width, int Height) {
  const TDigitMetrics m = Metrics(Width, Height);
  const int right = m.U - 2 * m.E, lower = m.M - m.E;
  switch (Segment) {
    case seg1: return HorizontalBar(m, 0);
    case seg2: return HorizontalBar(m, m.M - m.E);
    case seg3: return HorizontalBar(m, m.H1 - 2 * m.E);
    case seg4: return VerticalBar(m, 0, 0);
    case seg5: return VerticalBar(m, right, 0);
    case seg6: return VerticalBar(m, 0, lower);
    case seg7: return VerticalBar(m, right, lower);
    case seg8: return {{{{m.U, m.H1 - 2 * m.E}, {m.U + 2 * m.E, m.H1}}}, 2};
  }
  return {};
}

void DrawSegments(TCanvas* ACanvas, const TRect& ClientRect, const TVrPalette& Palette, TColor OutlineColor,
                  uint8_t Segments, bool ActiveOnly, bool ShowDecimal) {
  const int W = RectWidth(ClientRect), H = RectHeight(ClientRect);
  ACanvas->Pen()->SetColor(OutlineColor);
  const int last = ShowDecimal ? seg8 : seg7;
  for (int s = seg1; s <= last; ++s) {
    const uint8_t mask = uint8_t(1u << s);
    const bool lit = (Segments & mask) == mask;
    if (ActiveOnly && !lit) continue;
    ACanvas->Brush()->SetColor(Palette.GetColor(lit ? 1 : 0));
    const TVrSegmentShape shape = SegmentShape(TVrDigitSegment(s), W, H);
    if (s == seg8)
      ACanvas->Rectangle(shape.Points[0].X, shape.Points[0].Y, shape.Points[1].X, shape.Points[1].Y);
    else
      ACanvas->Polygon(std::span<const TPoint>(shape.Points.data(), size_t(shape.Count)));
  }
}

TVrDigit::TVrDigit(TComponent* AOwner) : TVrGraphicImageControl(AOwner), FPalette(std::make_unique<TVrPalette>()) {
  MarkOpaque(true);
  SetDrawsInPlace(true);  // nothing in its paint can fail
  FControlStyle.Exclude(csSetCaption);
  SetBounds(Left(), Top(), 50, 60);
  SetColor(clBlack);
  SetParentColor(false);
  FPalette->ChangeNotify = [this](TObject*) { UpdateControl(); };
}

TVrDigit::~TVrDigit() = default;

void TVrDigit::SetBinaryValue(uint8_t value) {
  if (FBinaryValue == value) return;
  FBinaryValue = value;
  FSegments = TVrDigitSegments::FromByte(value);
  UpdateControl();
  FireChange();
}

void TVrDigit::SetSegments(TVrDigitSegments value) {
  if (FSegments == value) return;
  FSegments = value;
  SetBinaryValue(value.Byte());
}

void TVrDigit::SetShowDecimal(bool value) {
  if (FShowDecimal == value) return;
  FShowDecimal = value;
  const uint8_t pattern = DigitPatterns[FDigitIndex % DigitPatterns.size()];
  SetBinaryValue(value ? uint8_t(pattern | 0x80) : pattern);
  UpdateControl();
}

void TVrDigit::SetPalette(const TVrPalette* value) { FPalette->Assign(value); }

void TVrDigit::SetActiveOnly(bool value) {
  if (FActiveOnly == value) return;
  FActiveOnly = value;
  UpdateControl();
}

void TVrDigit::SetOutlineColor(TColor value) {
  if (FOutlineColor == value) return;
  FOutlineColor = value;
  UpdateControl();
}

void TVrDigit::FireChange() {
  if (OnChange) OnChange(this);
}

void TVrDigit::Paint() {
  PrepareImage();
  DrawSegments(ImageCanvas(), ClientRect(), *FPalette, FOutlineColor, FBinaryValue, FActiveOnly, FShowDecimal);
  TVrGraphicImageControl::Paint();
}
