#include <gtest/gtest.h>

#include "instruments/InstrumentTestSupport.h"
#include "instruments/VrCounter.h"
#include "platform/gfx/Canvas.h"

namespace {

struct Counter : InstrumentFixture {
  TBitmap strip;  // the built-in strip, for comparing cells
  void SetUp() override {
    InstrumentFixture::SetUp();
    strip.LoadFromResourceName("BMCOUNTER");
  }

  TCounted<TVrCounter>* WindowCounter(int left, int top) {
    auto* c = Place<TCounted<TVrCounter>>(left, top, 49, 17);
    c->SetDigits(3);
    c->SetTransparent(true);
    c->SetColor(clBtnFace);
    Pump();
    return c;
  }

  // The cell of `digit` drawn with its top-left corner at (x, y) of the form.
  ::testing::AssertionResult CellAt(int digit, int x, int y) {
    for (int j = 0; j < 13; ++j)
      for (int i = 0; i < 9; ++i)
        if (At(x + i, y + j) != strip.PixelColor(digit * 9 + i, j))
          return ::testing::AssertionFailure() << "digit " << digit << " differs at " << i << "," << j;
    return ::testing::AssertionSuccess();
  }
};

TEST_F(Counter, TheWindowsCounterShowsThreeCellsCentredOverTheWindow) {
  auto* c = WindowCounter(104, 0);
  EXPECT_EQ(c->DigitStrip()->Width(), 27);
  c->SetValue(7);
  EXPECT_TRUE(CellAt(0, 104 + 11, 2));
  EXPECT_TRUE(CellAt(0, 104 + 20, 2));
  EXPECT_TRUE(CellAt(7, 104 + 29, 2));
  EXPECT_EQ(At(c, 10, 2), kFormColor) << "left of the row the window shows through";
  EXPECT_EQ(At(c, 11, 1), kFormColor);
  EXPECT_EQ(At(c, 38, 2), kFormColor);
  EXPECT_EQ(At(c, 11, 15), kFormColor);
  c->SetValue(0);
  EXPECT_TRUE(CellAt(0, 104 + 29, 2));
}

TEST_F(Counter, MoreDigitsThanCellsShowsTheFirstOnesAndANegativeValueItsDigits) {
  auto* c = WindowCounter(0, 0);
  c->SetValue(1234);
  EXPECT_TRUE(CellAt(1, 11, 2));
  EXPECT_TRUE(CellAt(2, 20, 2));
  EXPECT_TRUE(CellAt(3, 29, 2));
  EXPECT_EQ(At(c, 38, 5), kFormColor);
  c->SetValue(-7);
  EXPECT_TRUE(CellAt(0, 11, 2));
  EXPECT_TRUE(CellAt(7, 29, 2));
  c->SetValue(INT32_MIN);  // its absolute value does not fit 32 bits
  EXPECT_TRUE(CellAt(2, 11, 2));
}

TEST_F(Counter, SpacingLeavesGapsOfTheColourThatAreSeeThroughWhenTransparent) {
  auto* c = WindowCounter(0, 0);
  c->SetSpacing(2);
  EXPECT_EQ(c->DigitStrip()->Width(), 31);
  const int left = (49 - 31) / 2;
  EXPECT_TRUE(CellAt(0, left, 2));
  EXPECT_TRUE(CellAt(0, left + 11, 2));
  EXPECT_EQ(At(c, left + 9, 5), kFormColor);
  EXPECT_EQ(At(c, left + 10, 5), kFormColor);
  c->SetTransparent(false);
  EXPECT_EQ(At(c, left + 9, 5), GetSysColor(15));
  EXPECT_EQ(At(c, 0, 0), GetSysColor(15));
}

TEST_F(Counter, TenDigitsWithAutoSizeSizeTheControlToTheRow) {
  auto* c = WindowCounter(0, 0);
  c->SetAutoSize(true);
  c->SetDigits(10);
  EXPECT_EQ(c->DigitStrip()->Width(), 90);
  EXPECT_EQ(c->Width(), 90);
  EXPECT_EQ(c->Height(), 13);
  c->SetValue(1234567890);
  Pump();
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(CellAt((i + 1) % 10, 9 * i, 0));
}

TEST_F(Counter, AnEmptyBitmapBringsBackTheBuiltInStrip) {
  auto* c = WindowCounter(0, 0);
  TBitmap small(20, 13);
  c->SetBitmap(&small);
  EXPECT_EQ(c->DigitWidth(), 2);
  TBitmap empty;
  c->SetBitmap(&empty);
  EXPECT_EQ(c->Bitmap()->Width(), 90);
  EXPECT_EQ(c->DigitWidth(), 9);
  c->SetBitmap(nullptr);
  EXPECT_EQ(c->Bitmap()->Width(), 90);
  TBitmap narrow(9, 13);
  c->SetBitmap(&narrow);
  EXPECT_EQ(c->DigitWidth(), 0);
  EXPECT_EQ(c->DigitStrip()->Width(), 0);
  Pump();
  EXPECT_EQ(At(c, 20, 8), kFormColor) << "no cells, only the background";
}

TEST_F(Counter, AStripWiderThanTenCellsNeverShowsItsLastColumns) {
  auto* c = WindowCounter(0, 0);
  TBitmap wide(95, 13);
  wide.Canvas()->Brush()->SetColor(clRed);
  wide.Canvas()->FillRect(Rect(0, 0, 95, 13));
  wide.Canvas()->CopyRect(Rect(0, 0, 90, 13), *strip.Canvas(), Rect(0, 0, 90, 13));
  c->SetBitmap(&wide);
  EXPECT_EQ(c->DigitWidth(), 9);
  c->SetValue(999);
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 49; ++x) ASSERT_NE(At(c, x, y), clRed) << x << "," << y;
  EXPECT_TRUE(CellAt(9, 29, 2));
}

TEST_F(Counter, StretchScalesTheRowUnlessAutoSizeIsOn) {
  auto* c = WindowCounter(0, 0);
  c->SetTransparent(false);
  c->SetValue(8);
  c->SetStretch(true);
  EXPECT_EQ(At(c, 0, 0), c->DigitStrip()->PixelColor(0, 0));
  EXPECT_EQ(At(c, 48, 16), c->DigitStrip()->PixelColor(26, 12));
  EXPECT_NE(At(c, 0, 0), GetSysColor(15)) << "no margin left around a stretched row";
  c->SetAutoSize(true);
  EXPECT_EQ(c->Width(), 27);
  Pump();  // a change of bounds is painted by the next pass
  EXPECT_TRUE(CellAt(8, 18, 0));
}

TEST_F(Counter, OnChangeFiresOncePerNewValueAndAnEqualValuePaintsNothing) {
  auto* c = WindowCounter(0, 0);
  int changes = 0;
  c->OnChange = [&](TObject* s) { changes += s == c; };
  const int paints = c->Paints;
  c->SetValue(5);
  c->SetValue(5);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(c->Paints, paints + 1);
}

TEST_F(Counter, ATransparentCounterRepaintsOverItsSavedBackgroundAlone) {
  auto* c = WindowCounter(0, 0);
  const int formPaints = form->BackgroundPaints;
  c->SetValue(42);
  c->SetValue(43);
  EXPECT_EQ(form->BackgroundPaints, formPaints);
  EXPECT_TRUE(CellAt(3, 29, 2));
  EXPECT_EQ(At(c, 0, 0), kFormColor);
}

}  // namespace
