#include <gtest/gtest.h>

#include <algorithm>
#include <vector>
#include <string>

#include "instruments/InstrumentTestSupport.h"
#include "instruments/VrBlinkLed.h"
#include "instruments/VrCounter.h"
#include "instruments/VrDigit.h"
#include "instruments/VrJogMeter.h"
#include "platform/gfx/Font.h"

namespace {

// One picture with every instrument control in several states, written beside the build for
// a person to look at, and checked where a fault would show in it: horizontal and vertical meters at 0, 7 and 359, each indicator shape,
// counters, the digits 0 to 9 and the minus sign, LEDs lit and dark, round and rectangular.
struct Sampler : InstrumentFixture {
  void SetUp() override {
    InstrumentFixture::SetUp();
    form->SetClientWidth(820);
    form->SetClientHeight(420);
    form->SetColor(clBtnFace);
    Pump();
  }

  static bool Contains(const TRect& r, int x, int y) {
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
  }
  int Count(const TRect& r, TColor c) const {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += At(x, y) == c;
    return n;
  }
  int Differing(const TRect& r, TColor c) const { return r.Width() * r.Height() - Count(r, c); }

  template <class T>
  T* Add(int left, int top, int width, int height) {
    T* c = new T(form);
    c->SetParent(form);
    c->SetBounds(left, top, width, height);
    return c;
  }

  TVrJogMeter* Meter(int left, int top, TVrDirection d, double value, TvrIndicatorShape shape, TVrPosition pos) {
    auto* m = new TVrJogMeter(form);
    m->BeginLoading();
    m->SetParent(form);
    m->SetDirection(d);
    if (d == voHorizontal)
      m->SetBounds(left, top, 240, 33);
    else
      m->SetBounds(left, top, 33, 161);
    m->Font()->SetHeight(-11);
    TVrJogMeterScale* s = m->Scale();
    s->SetApperture(50);
    s->SetStep(10);
    s->SetSmallStep(1);
    s->SetHeightMax(14);
    s->SetHeightMin(8);
    s->SetPosition(pos);
    m->Value()->SetShape(shape);
    m->Value()->SetValue(value);
    m->Loaded();
    m->Invalidate();
    return m;
  }
};

TEST_F(Sampler, EveryControlInSeveralStates) {
  // Horizontal meters at 0, 7 and 359 with the window's settings, then the other shapes.
  Meter(8, 8, voHorizontal, 0, voLine, voBefore);
  Meter(8, 48, voHorizontal, 7, voLine, voBefore);
  Meter(8, 88, voHorizontal, 359, voLine, voBefore);
  Meter(8, 128, voHorizontal, 0, voTriangle, voBefore);
  Meter(8, 168, voHorizontal, 0, voTriangle, voAfter);
  Meter(8, 208, voHorizontal, 0, voBitmap, voBefore);
  Meter(8, 248, voHorizontal, 0, voBitmap, voAfter);
  auto* captioned = Meter(8, 288, voHorizontal, 12.5, voLine, voBefore);
  captioned->SetCaption("AX-9 Roulis");
  captioned->SetShowCaption(true);
  auto* bare = Meter(8, 328, voHorizontal, 0, voBitmap, voBefore);
  bare->Scale()->SetVisible(false);

  // Vertical meters at 0, 7 and 359, then triangle and pin on either side.
  int x = 260;
  for (double v : {0.0, 7.0, 359.0}) {
    Meter(x, 8, voVertical, v, voLine, voBefore);
    x += 40;
  }
  Meter(x, 8, voVertical, 0, voTriangle, voBefore);
  Meter(x + 40, 8, voVertical, 0, voTriangle, voAfter);
  Meter(x + 80, 8, voVertical, 0, voBitmap, voBefore);
  Meter(x + 120, 8, voVertical, 0, voBitmap, voAfter);

  // Counters: the window's (transparent, 3 digits) at 0, 7 and -42, one with spacing 2,
  // one opaque and stretched, and ten digits auto-sized.
  int cy = 180;
  for (int v : {0, 7, -42}) {
    auto* c = Add<TVrCounter>(260, cy, 49, 17);
    c->SetDigits(3);
    c->SetTransparent(true);
    c->SetValue(v);
    cy += 22;
  }
  auto* spaced = Add<TVrCounter>(320, 180, 49, 17);
  spaced->SetDigits(3);
  spaced->SetSpacing(2);
  spaced->SetValue(1234);
  auto* stretched = Add<TVrCounter>(320, 202, 98, 34);
  stretched->SetDigits(3);
  stretched->SetStretch(true);
  stretched->SetValue(359);
  auto* ten = Add<TVrCounter>(260, 246, 10, 10);
  ten->SetAutoSize(true);
  ten->SetDigits(10);
  ten->SetValue(1234567890);

  // A sign digit over the left end of a counter, as in the window.
  auto* signed_ = Add<TVrCounter>(430, 180, 49, 17);
  signed_->SetDigits(3);
  signed_->SetTransparent(true);
  signed_->SetValue(45);
  auto* sign = Add<TVrDigit>(430, 180, 16, 17);
  sign->SetActiveOnly(true);
  sign->SetTransparent(true);
  sign->SetSegments(TVrDigitSegments{seg2});

  // Digits 0 to 9, the minus sign, and one with its point.
  for (int d = 0; d < 10; ++d) Add<TVrDigit>(8 + d * 32, 372, 30, 40)->SetBinaryValue(DigitPatterns[size_t(d)]);
  Add<TVrDigit>(8 + 10 * 32, 372, 30, 40)->SetSegments(TVrDigitSegments{seg2});
  Add<TVrDigit>(8 + 11 * 32, 372, 30, 40)->SetShowDecimal(true);
  auto* active = Add<TVrDigit>(8 + 12 * 32, 372, 30, 40);
  active->SetBinaryValue(DigitPatterns[7]);
  active->SetActiveOnly(true);

  // LEDs: lit and dark, round and rectangular, each colour pair, one with a caption.
  int lx = 500;
  for (TVrBlinkLedType t : {ltRounded, ltRectangle, ltLargeRect}) {
    for (bool dark : {false, true}) {
      auto* l = Add<TVrBlinkLed>(lx, 180, 17, 20);
      l->SetBlinkLedType(t);
      l->SetDark(dark);
      lx += 22;
    }
  }
  for (uint8_t i = 1; i <= 4; ++i) {
    auto* l = Add<TVrBlinkLed>(500 + (i - 1) * 22, 206, 17, 20);
    l->SetColorIndex(i);
  }
  auto* captionLed = Add<TVrBlinkLed>(500, 232, 90, 20);
  captionLed->SetCaption("KQ3 frais");
  auto* opaqueLed = Add<TVrBlinkLed>(600, 232, 50, 20);
  opaqueLed->SetTransparent(false);
  opaqueLed->SetBlinkLedType(ltRectangle);

  Pump();
  form->BackBuffer()->SaveToPNGFile(std::string(ORVEL_BUILD_DIR) + "/instruments-sampler.png");

  // Every control painted something of its own inside its bounds, and nothing reached
  // outside them: whatever no control covers is still the form's colour.
  const TColor face = ColorToRGB(clBtnFace);
  std::vector<TRect> covered;
  for (int i = 0; i < form->ControlCount(); ++i) {
    const TControl* c = form->Controls(i);
    const TRect r = c->BoundsRect();
    covered.push_back(r);
    EXPECT_GT(Differing(r, face), 0) << c->ClassName() << " at " << r.Left << "," << r.Top << " drew nothing";
  }
  int strays = 0;
  for (int y = 0; y < form->ClientHeight(); ++y)
    for (int x = 0; x < form->ClientWidth(); ++x) {
      const bool inside = std::any_of(covered.begin(), covered.end(), [&](const TRect& r) { return Contains(r, x, y); });
      strays += !inside && At(x, y) != face;
    }
  EXPECT_EQ(strays, 0) << "pixels painted outside every control";

  // The index line sits in the middle of every line meter, whatever the value.
  for (int top : {8, 48, 88, 288}) EXPECT_EQ(At(8 + 120, top + 20), clRed) << "horizontal meter at y " << top;
  for (int left : {260, 300, 340}) EXPECT_EQ(At(left + 16, 8 + 80), clRed) << "vertical meter at x " << left;
  // A lit LED shows its lamp colour, a dark one none of it.
  EXPECT_GT(Count(Bounds(500, 180, 17, 20), clRed), 0) << "the first LED is lit";
  EXPECT_EQ(Count(Bounds(522, 180, 17, 20), clRed), 0) << "the second LED is dark";
  // The lone minus sign lights only its middle bar (segments lit in the default lime).
  const TRect minus = Bounds(8 + 10 * 32, 372, 30, 40);
  EXPECT_EQ(Count(Bounds(minus.Left, minus.Top, 30, 14), clLime), 0) << "the top of the minus sign";
  EXPECT_EQ(Count(Bounds(minus.Left, minus.Top + 26, 30, 14), clLime), 0) << "the bottom of the minus sign";
  EXPECT_GT(Count(Bounds(minus.Left, minus.Top + 14, 30, 12), clLime), 0) << "the middle bar";
  EXPECT_GT(Count(Bounds(8, 372, 30, 40), clLime), 0) << "the digit 0 is lit";
}

}  // namespace
