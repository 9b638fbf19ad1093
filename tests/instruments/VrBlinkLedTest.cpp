#include <gtest/gtest.h>

#include "instruments/InstrumentTestSupport.h"
#include "instruments/VrBlinkLed.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Font.h"
#include "platform/kernel/Sleep.h"
#include "platform/kernel/Tick.h"
#include "platform/ui/Timer.h"
#include "support/Pump.h"

namespace {

struct BlinkLed : InstrumentFixture {
  TCounted<TVrBlinkLed>* WindowLed(int left, int top) {
    auto* l = Place<TCounted<TVrBlinkLed>>(left, top, 17, 20);
    l->Font()->SetName("Tahoma");
    l->Font()->SetHeight(-11);
    l->SetBlinkSpeed(150);
    Pump();
    return l;
  }
};

TEST_F(BlinkLed, TheWindowsLedIsARedDiscThatTurnsBlackAfterOneTick) {
  auto* l = WindowLed(48, 136);
  EXPECT_EQ(l->ImageRect(), Rect(2, 4, 14, 16));
  EXPECT_EQ(At(l, 4 + 3, 6 + 3), clRed);
  EXPECT_EQ(At(l, 8, 7), clRed) << "the disc (4, 6, 12, 14)";
  EXPECT_EQ(At(l, 8, 15), clBlack) << "the rim";
  EXPECT_EQ(At(l, 0, 0), kFormColor) << "transparent around the lamp";
  EXPECT_EQ(At(l, 4, 7), clWhite) << "the white upper-left half of the ring";
  EXPECT_EQ(At(l, 11, 12), clGray) << "the grey lower-right half";
  int changes = 0;
  l->OnChange = [&](TObject* s) { changes += s == l; };
  const uint64_t start = GetTickCount64();
  l->SetEnableBlinking(true);
  ASSERT_TRUE(PumpUntil([&] { return changes == 1; }));
  EXPECT_GE(GetTickCount64() - start, 140u);
  EXPECT_TRUE(l->Dark());
  EXPECT_EQ(At(l, 8, 10), clBlack);
  EXPECT_EQ(l->CurrentColor(), clBlack);
  ASSERT_TRUE(PumpUntil([&] { return changes == 2; }));
  EXPECT_EQ(At(l, 8, 10), clRed);
}

TEST_F(BlinkLed, BlinkSpeedZeroStopsTheTicksAndAnotherValueResumesThem) {
  auto* l = WindowLed(0, 0);
  int changes = 0;
  l->OnChange = [&](TObject*) { ++changes; };
  l->SetEnableBlinking(true);
  l->SetBlinkSpeed(0);
  EXPECT_FALSE(l->Timer()->Running());
  PumpFor(400);
  EXPECT_EQ(changes, 0);
  l->SetBlinkSpeed(-5);
  EXPECT_FALSE(l->Timer()->Running()) << "a negative period never ticks";
  l->SetBlinkSpeed(50);
  EXPECT_TRUE(PumpUntil([&] { return changes >= 1; }));
  l->SetEnableBlinking(false);
  const bool phase = l->Dark();
  const int seen = changes;
  for (int i = 0; i < 10; ++i) {
    app.ProcessMessages();
    app.WaitMessage(15);
  }
  EXPECT_EQ(changes, seen);
  EXPECT_EQ(l->Dark(), phase) << "stopping keeps the phase";
}

TEST_F(BlinkLed, ColorIndexOutOfRangeIsRefusedAndFourSwitchesAtOnce) {
  auto* l = WindowLed(0, 0);
  int changes = 0;
  l->OnChange = [&](TObject*) { ++changes; };
  for (uint8_t bad : {uint8_t(0), uint8_t(5)}) {
    try {
      l->SetColorIndex(bad);
      FAIL() << "accepted " << int(bad);
    } catch (const EVrException& e) {
      EXPECT_EQ(e.Message(), "Out of range! ColorIndex=[1..4]");
    }
  }
  EXPECT_EQ(l->ColorIndex(), 1);
  EXPECT_EQ(At(l, 8, 10), clRed);
  l->SetColorIndex(4);
  EXPECT_EQ(At(l, 8, 10), clLime);
  EXPECT_FALSE(l->Dark());
  l->SetBlinkLedType(ltRectangle);
  l->SetMargin(3);
  l->SetColorIndex(4);
  EXPECT_EQ(changes, 0) << "property writes never fire OnChange";
}

TEST_F(BlinkLed, RectangularLampsTakeTwoThirdsOrAllOfTheSpace) {
  // ImageRect comes back from the bevel as the frame's interior.
  auto* l = Place<TVrBlinkLed>(0, 0, 50, 20);
  l->SetBlinkLedType(ltRectangle);
  EXPECT_EQ(l->ImageRect(), Rect(2 + 1, 5 + 1, 2 + 30 - 1, 5 + 10 - 1)) << "30 x 10 at (2, 5)";
  EXPECT_EQ(At(l, 10, 10), clRed);
  EXPECT_EQ(At(l, 2, 10), clWhite) << "raised bevel, light on the left";
  EXPECT_EQ(At(l, 31, 10), clGray) << "dark on the right";
  EXPECT_EQ(At(l, 1, 10), kFormColor);
  l->SetBlinkLedType(ltLargeRect);
  EXPECT_EQ(l->ImageRect(), Rect(2 + 2, 3 + 2, 2 + 45 - 2, 3 + 15 - 2)) << "45 x 15 at (2, 3)";
  EXPECT_EQ(At(l, 3, 10), clWhite) << "two pixels of bevel";
  EXPECT_EQ(At(l, 45, 10), clGray);
}

TEST_F(BlinkLed, ACaptionRepaintsAndPushesTheLampAside) {
  auto* l = Place<TCounted<TVrBlinkLed>>(0, 0, 120, 40);
  const TRect before = l->ImageRect();
  const int paints = l->Paints;
  l->SetCaption("AX-9");
  EXPECT_EQ(l->Paints, paints + 1);
  const TSize text = l->ImageCanvas()->TextExtent("AX-9");
  const int sx = 120 - text.cx - 2 - 3, sy = 40 - text.cy - 2 - 3;
  EXPECT_EQ(l->ImageRect().Width(), std::min(sx, sy));
  EXPECT_LT(l->ImageRect().Width(), before.Width());
  EXPECT_EQ(l->TextRect().Left, l->ImageRect().Right + 3);
  l->SetBounds(0, 0, 8, 8);  // too small: the normalised lamp rectangle is drawn anyway
  Pump();
  EXPECT_LE(l->ImageRect().Left, l->ImageRect().Right);
  EXPECT_LE(l->ImageRect().Top, l->ImageRect().Bottom);
}

TEST_F(BlinkLed, AnAmpersandInTheCaptionIsMeasuredAndDrawnAsItIs) {
  auto* l = Place<TCounted<TVrBlinkLed>>(0, 0, 200, 40);
  l->SetCaption("&&&&&&&&");
  const int all = l->ImageCanvas()->TextExtent("&&&&&&&&").cx;
  const int half = l->ImageCanvas()->TextExtent("&&&&").cx;
  ASSERT_GT(all, half);
  const TRect t = l->TextRect();
  EXPECT_EQ(t.Width(), all) << "eight characters, not four";
  int inkRight = -1;  // the LED is transparent: the caption is all that differs from the form
  for (int x = t.Left; x < t.Right; ++x)
    for (int y = t.Top; y < t.Bottom; ++y)
      if (At(l, x, y) != kFormColor) inkRight = x;
  EXPECT_GE(inkRight, t.Left + half) << "all eight are drawn";
}

TEST_F(BlinkLed, EditingAPaletteInPlaceRepaints) {
  auto* l = WindowLed(0, 0);
  l->Palette1()->SetHigh(clBlue);
  EXPECT_EQ(At(l, 8, 10), clBlue);
  TVrPalette p;
  p.SetHigh(clYellow);
  l->SetPalette1(&p);
  EXPECT_EQ(l->Palette1()->High(), clYellow);
  EXPECT_EQ(At(l, 8, 10), clYellow);
}

TEST_F(BlinkLed, AHiddenLedPaintsNothingAndShowsItsLampWhenShownAgain) {
  auto* l = WindowLed(0, 0);
  l->SetVisible(false);
  Pump();
  EXPECT_EQ(At(l, 8, 10), kFormColor);
  const int paints = l->Paints;
  l->SetDark(true);
  EXPECT_EQ(l->Paints, paints);
  l->SetVisible(true);
  Pump();
  EXPECT_EQ(At(l, 8, 10), clBlack);
}

}  // namespace
