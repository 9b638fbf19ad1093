// The main window as the program starts it, read back from its back buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>

#include "app/posix/SensorSupport.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Picture.h"
#include "platform/ui/Image.h"

namespace {

class WindowTest : public TProgramStartTest {
 protected:
  void TearDown() override {
    // A failing picture is kept beside the build for a person to look at.
    if (HasFailure() && frmAX9) {
      const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
      frmAX9->BackBuffer()->SaveToPNGFile(std::string(ORVEL_BUILD_DIR) + "/WindowTest." + name + ".png");
    }
    TProgramStartTest::TearDown();
  }

  // Shows the window as the message loop does and paints what is pending.
  void ShowWindow() {
    frmAX9->Show();
    FApp->ProcessMessages();
    FPhoto.Assign(frmAX9->ImageKQ3->Picture()->Graphic());
  }

  TColor At(int x, int y) const { return frmAX9->BackBuffer()->PixelColor(x, y); }

  // Whether every pixel of r (window coordinates) shows the photograph as it is.
  bool ShowsPhotograph(const TRect& r) const {
    const TImage* img = frmAX9->ImageKQ3;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x)
        if (At(x, y) != FPhoto.PixelColor(x - img->Left(), y - img->Top())) return false;
    return true;
  }

  // How many pixels of r differ from the colour c.
  int PixelsOtherThan(const TRect& r, TColor c) const {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += At(x, y) != c;
    return n;
  }

  // The digit cells of a counter (9 by 13, centred on it) hold the cells of the strip
  // for the digits of `text`; columns left of `fromX` (under a sign digit) are not looked at.
  void ExpectCounterShows(const TVrCounter* c, const std::string& text, int fromX = 0) {
    SCOPED_TRACE(c->Name() + " " + text);
    TBitmap strip;
    strip.LoadFromResourceName("BMCOUNTER");
    const int cellW = strip.Width() / 10, cellH = strip.Height();
    const int left = c->Left() + (c->Width() - cellW * int(text.size())) / 2;
    const int top = c->Top() + (c->Height() - cellH) / 2;
    for (size_t i = 0; i < text.size(); ++i) {
      int wrong = 0;
      for (int y = 0; y < cellH; ++y)
        for (int x = 0; x < cellW; ++x) {
          const int wx = left + int(i) * cellW + x;
          if (wx >= fromX) wrong += At(wx, top + y) != strip.PixelColor((text[i] - '0') * cellW + x, y);
        }
      EXPECT_EQ(wrong, 0) << "cell " << i;
    }
  }

  // Pixels of colour `lit` within a control, left of `toX`: a sign digit draws its segments
  // in clLime (as green as the counter's digits beside it), an LED its lit lamp in clRed.
  int LitPixels(const TControl* c, TColor lit = clLime, int toX = INT_MAX) const {
    int n = 0;
    for (int y = c->Top(); y < c->Top() + c->Height(); ++y)
      for (int x = c->Left(); x < std::min(c->Left() + c->Width(), toX); ++x) n += At(x, y) == lit;
    return n;
  }
  // The lit pixels of a sign digit that lies over the left end of a counter: those left of
  // the counter's first digit cell.
  int SignPixels(const TVrDigit* d, const TVrCounter* c) const {
    return LitPixels(d, clLime, c->Left() + (c->Width() - 27) / 2);
  }

  void ExpectNothingShownIn(const TLabel* l) {
    EXPECT_EQ(PixelsOtherThan(l->BoundsRect(), ColorToRGB(clBtnFace)), 0) << l->Name();
  }

  TBitmap FPhoto;
};

TEST_F(WindowTest, BeforeAnyDataTheCountersShowZerosAndNothingElseShows) {
  FAnswering = false;  // no frame at all; start-up waits out its five attempts
  MapCom(7);
  Start("7");
  ShowWindow();
  TfrmAX9& w = *frmAX9;
  for (TVrCounter* c : {w.CompteurRoulis, w.CompteurTangage, w.CompteurCompas}) ExpectCounterShows(c, "000");
  EXPECT_EQ(SignPixels(w.SigneRoulis, w.CompteurRoulis), 0);
  EXPECT_EQ(SignPixels(w.SigneTangage, w.CompteurTangage), 0);
  EXPECT_EQ(LitPixels(w.SigneCompas), 0);
  ExpectNothingShownIn(w.ModeAX9);
  ExpectNothingShownIn(w.ModeKQ3);
  EXPECT_TRUE(ShowsPhotograph(w.BLedAX9->BoundsRect())) << "the AX-9 LED is hidden";
  EXPECT_TRUE(ShowsPhotograph(w.BLedKQ3->BoundsRect())) << "the KQ3 LED is hidden";
  EXPECT_EQ(w.ComDisp->Caption(), "Com7");
  EXPECT_FALSE(ShowsPhotograph(w.ComDisp->BoundsRect())) << "the port label is drawn over the photograph";
  EXPECT_GT(w.ComDisp->Width(), 20);
}

TEST_F(WindowTest, WhenStartUpEndsEarlyTheWindowShowsItsDesignState) {
  MapCom(1);
  Start("COM1\n");  // letters: no port, no start command
  ShowWindow();
  TfrmAX9& w = *frmAX9;
  ExpectDesignState();
  ExpectNothingShownIn(w.ModeAX9);
  ExpectNothingShownIn(w.ModeKQ3);
  EXPECT_TRUE(ShowsPhotograph(w.ComDisp->BoundsRect())) << "the port label is empty";
  // Both LEDs blink: each shows its lamp over the photograph, lit and dark by turns.
  for (TVrBlinkLed* led : {w.BLedAX9, w.BLedKQ3}) {
    SCOPED_TRACE(led->Name());
    EXPECT_FALSE(ShowsPhotograph(led->BoundsRect()));
    const bool dark = led->Dark();
    EXPECT_TRUE(PumpUntil([&] { return led->Dark() != dark; }, 1000)) << "the LED does not blink";
    FApp->ProcessMessages();
    EXPECT_EQ(LitPixels(led, clRed) == 0, led->Dark());
  }
}

TEST_F(WindowTest, TheSampleFramesShowTheirValuesAtTheirPlaces) {
  MapCom(1);
  Start("1");
  ShowWindow();
  TfrmAX9& w = *frmAX9;
  FSensor->Send(Concat({AttitudeSample, HeadingSample}));
  ASSERT_TRUE(PumpUntil([] { return DisplayState.HeadingValue == 360; }, 2000));
  FApp->ProcessMessages();

  // Roll -5: the minus sign over the counter's left end, 005, the scale moved to -5.
  EXPECT_GT(SignPixels(w.SigneRoulis, w.CompteurRoulis), 0);
  ExpectCounterShows(w.CompteurRoulis, "005", w.SigneRoulis->Left() + w.SigneRoulis->Width());
  // Pitch 10: no sign, 010. Heading 360, and the heading's sign digit never lights.
  EXPECT_EQ(SignPixels(w.SigneTangage, w.CompteurTangage), 0);
  ExpectCounterShows(w.CompteurTangage, "010");
  ExpectCounterShows(w.CompteurCompas, "360");
  EXPECT_EQ(LitPixels(w.SigneCompas), 0);
  EXPECT_FALSE(ShowsPhotograph(w.BLedAX9->BoundsRect()));
  EXPECT_FALSE(ShowsPhotograph(w.BLedKQ3->BoundsRect()));
  EXPECT_EQ(w.ModeAX9->Caption(), "Gyro");
  EXPECT_EQ(w.ModeKQ3->Caption(), "3D");
  EXPECT_GT(PixelsOtherThan(w.ModeAX9->BoundsRect(), ColorToRGB(clBtnFace)), 0);
  EXPECT_GT(PixelsOtherThan(w.ModeKQ3->BoundsRect(), ColorToRGB(clBtnFace)), 0);

  // Each meter's picture is the one a window of the same design paints for those values
  // given directly, and not the one it paints at 0.
  auto* ref = new TfrmAX9(FApp.get());
  ref->Show();
  FApp->ProcessMessages();
  auto region = [](TForm* f, const TControl* c) {
    std::vector<TColor> px;
    for (int y = c->Top(); y < c->Top() + c->Height(); ++y)
      for (int x = c->Left(); x < c->Left() + c->Width(); ++x) px.push_back(f->BackBuffer()->PixelColor(x, y));
    return px;
  };
  const auto zeroRoll = region(ref, ref->VrJogMeterRoulisAX9);
  const auto zeroPitch = region(ref, ref->VrJogMeterTangageAX9);
  const auto zeroHeading = region(ref, ref->VrJogMeterCompasKQ3);
  ref->VrJogMeterRoulisAX9->Value()->SetValue(-5);
  ref->VrJogMeterTangageAX9->Value()->SetValue(10);
  ref->VrJogMeterCompasKQ3->Value()->SetValue(360);
  ref->SigneRoulis->SetSegments(TVrDigitSegments{seg2});
  ref->CompteurRoulis->SetValue(5);
  ref->CompteurTangage->SetValue(10);
  ref->CompteurCompas->SetValue(360);
  FApp->ProcessMessages();
  EXPECT_EQ(region(&w, w.VrJogMeterRoulisAX9), region(ref, ref->VrJogMeterRoulisAX9));
  EXPECT_EQ(region(&w, w.VrJogMeterTangageAX9), region(ref, ref->VrJogMeterTangageAX9));
  EXPECT_EQ(region(&w, w.VrJogMeterCompasKQ3), region(ref, ref->VrJogMeterCompasKQ3));
  EXPECT_NE(region(&w, w.VrJogMeterRoulisAX9), zeroRoll);
  EXPECT_NE(region(&w, w.VrJogMeterTangageAX9), zeroPitch);
  EXPECT_NE(region(&w, w.VrJogMeterCompasKQ3), zeroHeading);
}

// The labels of fixed caption measure in the design's font as the design sizes them, so none
// paints over a meter beyond its design rectangle (the roll label's own rectangle takes the
// roll meter's last row, and its background covers that much by design).
TEST_F(WindowTest, TheFixedLabelsFitTheirDesignSizesAndLeaveTheMetersAlone) {
  MapCom(1);
  Start("COM1\n");
  ShowWindow();
  TfrmAX9& w = *frmAX9;
  const struct {
    TLabel* Label;
    TRect Design;
  } fixed[] = {{w.LabelRoulis, Bounds(112, 48, 29, 13)},
               {w.LabelTangage, Bounds(168, 144, 43, 13)},
               {w.LabelCap, Bounds(120, 208, 19, 13)}};
  for (const auto& f : fixed) {
    EXPECT_LE(f.Label->Width(), f.Design.Width()) << f.Label->Name();
    EXPECT_LE(f.Label->Height(), f.Design.Height()) << f.Label->Name();
    EXPECT_GT(PixelsOtherThan(f.Label->BoundsRect(), ColorToRGB(clBtnFace)), 0) << f.Label->Name();
  }
  // A meter's pixels outside the labels' design rectangles, with the labels and without.
  auto meterPixels = [&](const TControl* m) {
    std::vector<TColor> px;
    for (int y = m->Top(); y < m->Top() + m->Height(); ++y)
      for (int x = m->Left(); x < m->Left() + m->Width(); ++x)
        if (std::none_of(std::begin(fixed), std::end(fixed), [&](const auto& f) {
              return x >= f.Design.Left && x < f.Design.Right && y >= f.Design.Top && y < f.Design.Bottom;
            }))
          px.push_back(At(x, y));
    return px;
  };
  const TVrJogMeter* meters[] = {w.VrJogMeterRoulisAX9, w.VrJogMeterTangageAX9, w.VrJogMeterCompasKQ3};
  std::vector<std::vector<TColor>> withLabels;
  for (const TVrJogMeter* m : meters) withLabels.push_back(meterPixels(m));
  for (const auto& f : fixed) f.Label->SetVisible(false);
  FApp->ProcessMessages();
  for (size_t i = 0; i < std::size(meters); ++i) EXPECT_EQ(meterPixels(meters[i]), withLabels[i]) << meters[i]->Name();
}

}  // namespace
