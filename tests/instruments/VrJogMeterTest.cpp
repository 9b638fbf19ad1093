#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <vector>

#include "instruments/InstrumentTestSupport.h"
#include "instruments/VrJogMeter.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Font.h"
#include "platform/rtl/FormatFloat.h"

namespace {

class TProbeMeter : public TVrJogMeter {
 public:
  using TVrJogMeter::TVrJogMeter;
  using TVrJogMeter::LabelLayout;
  using TVrJogMeter::LabelRect;
  using TVrJogMeter::TickSeries;
  int Paints = 0;

  std::vector<int> Pixels(double step) const {
    std::vector<int> out;
    for (const TTick& t : TickSeries(step)) out.push_back(t.Pixel);
    return out;
  }

 protected:
  void Paint() override {
    ++Paints;
    TVrJogMeter::Paint();
  }
};

struct JogMeter : InstrumentFixture {
  // A meter with the main window's settings.
  TProbeMeter* WindowMeter(int left, int top, int width, int height, TVrDirection direction = voHorizontal) {
    auto* m = new TProbeMeter(form);
    m->BeginLoading();
    m->SetParent(form);
    m->SetBounds(left, top, width, height);
    m->SetDirection(direction);
    m->Font()->SetName("Arial");
    m->Font()->SetHeight(-11);
    TVrJogMeterScale* s = m->Scale();
    s->SetColor(clBlack);
    s->SetApperture(50);
    s->SetStep(10);
    s->SetSmallStep(1);
    s->SetHeightMax(14);
    s->SetHeightMin(8);
    s->SetPosition(voBefore);
    s->SetDecimals(0);
    s->SetFormatText("%s");
    m->Value()->SetShape(voLine);
    m->Loaded();
    m->Invalidate();
    Pump();
    return m;
  }

  // Checks each label's text, its centre along the scale (through the measured text size)
  // and its distance from the baseline.
  void ExpectLabels(TProbeMeter* m, const std::vector<std::string>& texts, const std::vector<int>& centres) {
    TCanvas* canvas = m->ImageCanvas();
    canvas->SetFont(m->Font());
    const auto labels = m->LabelLayout(canvas);
    ASSERT_EQ(labels.size(), texts.size());
    for (size_t i = 0; i < labels.size(); ++i) {
      EXPECT_EQ(labels[i].Text, texts[i]);
      const TSize size = canvas->TextExtent(texts[i]);
      if (m->Direction() == voHorizontal) {
        EXPECT_EQ(labels[i].Rect.Left, centres[i] - size.cx / 2) << texts[i];
        EXPECT_EQ(labels[i].Rect.Top, 14) << texts[i];
        EXPECT_EQ(labels[i].Rect.Bottom, 14 + size.cy) << texts[i];
      } else {
        EXPECT_EQ(labels[i].Rect.Top, centres[i] - size.cy / 2) << texts[i];
        EXPECT_EQ(labels[i].Rect.Left, 14) << texts[i];
      }
      EXPECT_EQ(labels[i].Rect.Right, m->Width());
    }
  }
};

TEST_F(JogMeter, KeepsItsOwnFontAndStartsWithThePinLoaded) {
  TVrJogMeter m(nullptr);
  EXPECT_EQ(m.Font()->Name(), "Arial");
  EXPECT_FALSE(m.ParentFont()) << "changing the font in the constructor ends ParentFont";
  EXPECT_TRUE(m.ControlStyle().Contains(csOpaque));
  EXPECT_EQ(m.Scale()->Color(), clBlack) << "stored without notification";
  EXPECT_EQ(m.Value()->Bitmap()->Width(), 6);
  EXPECT_EQ(m.Value()->Bitmap()->Height(), 9);
}

TEST_F(JogMeter, HorizontalAtZeroLabelsTicksAndIndexLine) {
  auto* m = WindowMeter(8, 16, 240, 33);
  ExpectLabels(m, {"-20", "-10", "0", "10", "20"}, {24, 72, 120, 168, 216});
  EXPECT_EQ(m->Pixels(10), (std::vector<int>{24, 72, 120, 168, 216}));
  std::vector<int> shortTicks;
  for (int k = 0; k <= 50; ++k) shortTicks.push_back(int(std::nearbyint(4.8 * k)));
  EXPECT_EQ(m->Pixels(1), shortTicks);
  EXPECT_EQ(shortTicks[3], 14);

  for (int y = 0; y <= 13; ++y) EXPECT_EQ(At(m, 24, y), clBlack) << "long tick row " << y;
  for (int y = 0; y <= 7; ++y) EXPECT_EQ(At(m, 5, y), clBlack) << "short tick row " << y;
  EXPECT_NE(At(m, 5, 8), clBlack) << "a short tick is 8 pixels long";
  EXPECT_NE(At(m, 6, 0), clBlack);
  for (int y = 0; y < 33; ++y) EXPECT_EQ(At(m, 120, y), clRed) << "index line row " << y;
  // The mirrored gradient: black at the ends, white under the index.
  EXPECT_EQ(At(m, 1, 20), RGB(2, 2, 2));
  EXPECT_EQ(At(m, 119, 32), RGB(252, 252, 252));
}

TEST_F(JogMeter, HorizontalAtSevenAndAtTheHeading359) {
  auto* m = WindowMeter(8, 16, 240, 33);
  m->Value()->SetValue(7);
  ExpectLabels(m, {"-10", "0", "10", "20", "30"}, {38, 86, 134, 182, 230});
  m->Value()->SetValue(359);
  ExpectLabels(m, {"340", "350", "360", "370", "380"}, {29, 77, 125, 173, 221});
}

TEST_F(JogMeter, VerticalAtZero) {
  auto* m = WindowMeter(216, 56, 33, 161, voVertical);
  EXPECT_EQ(m->BoundsRect(), Bounds(216, 56, 33, 161)) << "a loaded direction keeps the designed bounds";
  ExpectLabels(m, {"-20", "-10", "0", "10", "20"}, {16, 48, 80, 113, 145});
  for (int x = 1; x < 33; ++x) EXPECT_EQ(At(m, x, 80), clRed) << "index row at x " << x;
  for (int x = 0; x <= 13; ++x) EXPECT_EQ(At(m, x, 16), clBlack) << "long tick at x " << x;
}

TEST_F(JogMeter, AValueWrittenAgainPaintsNothingAndANewOnePaintsOnlyTheMeterAtOnce) {
  auto* roll = WindowMeter(8, 16, 240, 33);
  auto* pitch = WindowMeter(216, 56, 33, 161, voVertical);
  const int rollPaints = roll->Paints, pitchPaints = pitch->Paints, formPaints = form->BackgroundPaints;
  roll->Value()->SetValue(0);
  EXPECT_EQ(roll->Paints, rollPaints);
  roll->Value()->SetValue(7);
  EXPECT_EQ(roll->Paints, rollPaints + 1) << "painted before the setter returned";
  EXPECT_EQ(At(roll, 134, 5), clBlack) << "the long tick of 10 moved to x 134";
  Pump();
  EXPECT_EQ(roll->Paints, rollPaints + 1);
  EXPECT_EQ(pitch->Paints, pitchPaints);
  EXPECT_EQ(form->BackgroundPaints, formPaints);
  const auto& dirty = backend->FindWindow(form->WindowHandle())->LastDirty;
  EXPECT_EQ(dirty, (std::vector<TRect>{Bounds(8, 16, 240, 33)}));
}

// The background gradient is kept from paint to paint: a meter whose colours and size changed
// after it painted must look like one made that way.
TEST_F(JogMeter, TheKeptBackgroundFollowsColoursAndSize) {
  auto* kept = WindowMeter(8, 16, 240, 33);
  kept->Value()->SetValue(3);
  kept->SetFromColor(clRed);
  kept->SetToColor(clYellow);
  kept->SetBounds(8, 16, 200, 30);
  kept->SetColor(clNavy);
  kept->Value()->SetValue(4);
  Pump();
  auto* made = WindowMeter(8, 60, 200, 30);
  made->SetFromColor(clRed);
  made->SetToColor(clYellow);
  made->SetColor(clNavy);
  made->Value()->SetValue(4);
  Pump();
  ASSERT_EQ(kept->Width(), 200);
  int differing = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 200; ++x) differing += At(kept, x, y) != At(made, x, y);
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(At(kept, 0, 29), clRed) << "the gradient starts from the new colour";
}

TEST_F(JogMeter, CaptionAtTheBottomOnlyForAHorizontalMeterWithTheScaleBefore) {
  auto* m = WindowMeter(8, 16, 240, 33);
  m->SetCaption("AX-9 Roulis");
  m->Scale()->SetVisible(false);  // the labels would take over LabelRect
  m->SetShowCaption(true);
  TCanvas* canvas = m->ImageCanvas();
  const TSize size = canvas->TextExtent("AX-9 Roulis");
  EXPECT_EQ(m->LabelRect, Rect(120 - size.cx / 2, 33 - size.cy, 240, 33));
  m->Scale()->SetPosition(voAfter);
  EXPECT_EQ(m->LabelRect, Rect(120 - size.cx / 2, 0, 240, size.cy));
  auto* v = WindowMeter(216, 56, 33, 161, voVertical);
  v->SetCaption("AX9");
  v->Scale()->SetVisible(false);
  v->SetShowCaption(true);
  EXPECT_EQ(v->LabelRect.Top, 0);
}

TEST_F(JogMeter, DirectionSwapsTheBoundsOfALiveMeterOnly) {
  auto* m = Place<TProbeMeter>(0, 0, 160, 40);
  m->SetDirection(voVertical);
  EXPECT_EQ(m->Width(), 40);
  EXPECT_EQ(m->Height(), 160);
  m->SetDirection(voVertical);
  EXPECT_EQ(m->Width(), 40);
  auto* loading = new TProbeMeter(form);
  loading->BeginLoading();
  loading->SetBounds(0, 0, 33, 161);
  loading->SetDirection(voVertical);
  EXPECT_EQ(loading->BoundsRect(), Rect(0, 0, 33, 161));
}

TEST_F(JogMeter, TriangleCorners) {
  auto* m = WindowMeter(8, 16, 240, 33);
  m->Value()->SetShape(voTriangle);
  EXPECT_EQ(At(m, 120, 0), clBlack);
  EXPECT_EQ(At(m, 115, 8), clBlack);
  EXPECT_EQ(At(m, 125, 8), clBlack);
  EXPECT_EQ(At(m, 120, 5), clRed);
  EXPECT_NE(At(m, 114, 8), clBlack);
  EXPECT_NE(At(m, 126, 8), clBlack);
  EXPECT_NE(At(m, 120, 9), clRed);
}

TEST_F(JogMeter, PinTransparencyDependsOnScaleAndCaption) {
  auto* m = WindowMeter(8, 16, 240, 33);
  m->Value()->SetShape(voBitmap);
  // The pin stands at x 117..122, y 0..8; (117, 0) is silver, (119, 2) blue.
  EXPECT_EQ(At(m, 117, 0), RGB(248, 248, 248)) << "silver is see-through over the gradient";
  EXPECT_EQ(At(m, 119, 2), clBlue);
  m->Scale()->SetVisible(false);
  EXPECT_EQ(At(m, 117, 0), clBlack) << "with nothing else drawn silver takes FromColor";
  m->SetShowCaption(true);
  EXPECT_EQ(At(m, 117, 0), RGB(248, 248, 248));

  // Upside down against the bottom edge: the blue foot (rows 6 to 8) comes first there.
  m->SetShowCaption(false);
  m->Scale()->SetVisible(true);
  m->Scale()->SetPosition(voAfter);
  EXPECT_EQ(At(m, 119, 30), clBlue) << "source row 2 lands on row 30";
  EXPECT_EQ(At(m, 118, 26), clBlue) << "source row 6 lands on row 26";
  EXPECT_NE(At(m, 118, 30), clBlue);
  EXPECT_EQ(At(m, 119, 32), RGB(252, 252, 252)) << "the silver top row, see-through, is at the bottom";
}

TEST_F(JogMeter, ClearingTheIndicatorBitmapReloadsThePin) {
  auto* m = WindowMeter(8, 16, 240, 33);
  int notes = 0;
  m->Value()->ChangeNotify = [&](TObject*) { ++notes; };
  TBitmap empty;
  m->Value()->SetBitmap(&empty);
  EXPECT_EQ(m->Value()->Bitmap()->Width(), 6);
  EXPECT_EQ(m->Value()->Bitmap()->Height(), 9);
  EXPECT_EQ(notes, 1);
  m->Value()->SetBitmap(nullptr);
  EXPECT_EQ(m->Value()->Bitmap()->Width(), 6);
}

TEST_F(JogMeter, ABadFormatTextFailsThePaintAndKeepsThePicture) {
  SetDecimalSeparator('.');
  auto* m = WindowMeter(8, 16, 240, 33);
  const TColor before = At(m, 24, 5);
  m->Scale()->SetDecimals(1);  // moves nothing but the label texts
  EXPECT_THROW(m->Scale()->SetFormatText("%s %s"), EFormatError);
  EXPECT_EQ(m->DrawCanvas(), m->Canvas());
  EXPECT_EQ(At(m, 24, 5), before);
  EXPECT_THROW(m->Scale()->SetFormatText("%d"), EFormatError);
  m->Scale()->SetFormatText("%s\u00b0");
  EXPECT_EQ(m->LabelLayout(m->ImageCanvas())[0].Text, "-20.0\u00b0");
}

TEST_F(JogMeter, DegenerateStepsAndAperturesNeitherFaultNorHang) {
  auto* m = WindowMeter(8, 16, 240, 33);
  const auto start = std::chrono::steady_clock::now();
  TVrJogMeterScale* s = m->Scale();
  s->SetSmallStep(0);
  EXPECT_TRUE(m->Pixels(0).empty());
  s->SetSmallStep(1e-300);  // finer than the pixels: a solid run of short ticks
  EXPECT_EQ(m->Pixels(1e-300).size(), 241u);
  for (int x = 0; x < 240; ++x) ASSERT_EQ(At(m, x, 1) == clBlack || At(m, x, 1) == clRed, true) << x;
  s->SetStep(1e-12);
  s->SetStep(1e300);
  EXPECT_EQ(m->Pixels(1e300), (std::vector<int>{120}));
  s->SetStep(-10);
  EXPECT_TRUE(m->Pixels(-10).empty());
  s->SetStep(std::numeric_limits<double>::denorm_min());
  s->SetSmallStep(1);
  s->SetStep(10);
  s->SetApperture(0);
  EXPECT_EQ(m->Pixels(10), (std::vector<int>{0}));
  s->SetApperture(-50);
  EXPECT_TRUE(m->Pixels(10).empty());
  s->SetStep(-1e-300);  // negative window over a negative step: every tick at 0
  EXPECT_EQ(m->Pixels(-1e-300), (std::vector<int>{0}));
  s->SetApperture(50);
  m->Value()->SetValue(std::numeric_limits<double>::quiet_NaN());
  m->Value()->SetValue(1e300);
  m->Value()->SetValue(-std::numeric_limits<double>::infinity());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
