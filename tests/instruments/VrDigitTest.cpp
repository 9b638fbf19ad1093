#include <gtest/gtest.h>

#include <vector>

#include "instruments/InstrumentTestSupport.h"
#include "instruments/VrDigit.h"
#include "platform/gfx/Canvas.h"

namespace {

std::vector<TPoint> Points(const TVrSegmentShape& s) { return {s.Points.begin(), s.Points.begin() + s.Count}; }

TEST(DigitGeometry, TheWorkedHexagonsAndThePoint) {
  EXPECT_EQ(Points(SegmentShape(seg2, 50, 60)),
            (std::vector<TPoint>{{5, 29}, {8, 26}, {34, 26}, {37, 29}, {34, 32}, {8, 32}}));
  EXPECT_EQ(Points(SegmentShape(seg4, 50, 60)),
            (std::vector<TPoint>{{0, 8}, {3, 5}, {6, 8}, {6, 24}, {3, 27}, {0, 24}}));
  EXPECT_EQ(Points(SegmentShape(seg8, 50, 60)), (std::vector<TPoint>{{42, 53}, {48, 59}}));
  EXPECT_EQ(Points(SegmentShape(seg2, 16, 17)),
            (std::vector<TPoint>{{3, 8}, {4, 7}, {10, 7}, {11, 8}, {10, 9}, {4, 9}}));
  // Too small for a bar: E = 0 and every bar is flat.
  const auto flat = Points(SegmentShape(seg1, 10, 10));
  for (const TPoint& p : flat) EXPECT_EQ(p.Y, 0);
}

using Digit = InstrumentFixture;

TEST_F(Digit, SegmentsAndBinaryValueAreOneByte) {
  auto* d = Place<TCounted<TVrDigit>>(0, 0, 50, 60);
  int changes = 0;
  d->OnChange = [&](TObject*) { ++changes; };
  const int paints = d->Paints;
  d->SetSegments(TVrDigitSegments{seg2});
  EXPECT_EQ(d->BinaryValue(), 2);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(d->Paints, paints + 1);
  d->SetBinaryValue(2);
  d->SetSegments(TVrDigitSegments{seg2});
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(d->Paints, paints + 1);
  d->SetBinaryValue(DigitPatterns[4]);
  EXPECT_TRUE(d->Segments().Contains(seg5));
  EXPECT_FALSE(d->Segments().Contains(seg1));
}

TEST_F(Digit, ShowDecimalWritesThePatternOfDigitIndex) {
  auto* d = Place<TVrDigit>(0, 0, 50, 60);
  d->SetSegments(TVrDigitSegments{seg2});
  int changes = 0;
  d->OnChange = [&](TObject*) { ++changes; };
  d->SetShowDecimal(true);
  EXPECT_EQ(d->BinaryValue(), 0xFD);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(At(d, 45, 56), clLime) << "the lit point";
  d->SetShowDecimal(false);
  EXPECT_EQ(d->BinaryValue(), 0x7D);
  EXPECT_EQ(At(d, 45, 56), clBlack) << "no point cell at all";
}

TEST_F(Digit, LitAndUnlitBarsAndTheOutline) {
  auto* d = Place<TVrDigit>(0, 0, 50, 60);
  d->SetBinaryValue(0x02);
  EXPECT_EQ(At(d, 20, 29), clLime) << "middle bar lit";
  EXPECT_EQ(At(d, 20, 26), clBlack) << "its outline";
  EXPECT_EQ(At(d, 20, 2), clGreen) << "top bar unlit in Low";
  EXPECT_EQ(At(d, 3, 16), clGreen) << "upper left bar unlit";
  d->SetActiveOnly(true);
  EXPECT_EQ(At(d, 20, 2), clBlack) << "unlit bars left out";
  EXPECT_EQ(At(d, 20, 29), clLime);
  d->SetOutlineColor(clRed);
  EXPECT_EQ(At(d, 20, 26), clRed);
  TVrPalette p;
  p.SetHigh(clYellow);
  d->SetPalette(&p);
  EXPECT_EQ(At(d, 20, 29), clYellow) << "a palette assignment repaints";
}

TEST_F(Digit, TheTransparentSignOverACounterShowsOnlyTheMiddleBar) {
  auto* d = Place<TVrDigit>(100, 0, 16, 17);
  d->SetActiveOnly(true);
  d->SetTransparent(true);
  d->SetBinaryValue(0);
  Pump();
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(At(d, x, y), kFormColor) << "empty set shows the window " << x << "," << y;
  const int formPaints = form->BackgroundPaints;
  d->SetSegments(TVrDigitSegments{seg2});
  EXPECT_EQ(form->BackgroundPaints, formPaints);
  EXPECT_EQ(At(d, 7, 8), clLime);
  EXPECT_EQ(At(d, 7, 3), kFormColor);
  d->SetSegments(TVrDigitSegments{});
  EXPECT_EQ(At(d, 7, 8), kFormColor);
}

TEST_F(Digit, PointWithoutShowDecimalIsNotDrawn) {
  auto* d = Place<TVrDigit>(0, 0, 50, 60);
  d->SetBinaryValue(0x80);
  EXPECT_EQ(At(d, 45, 56), clBlack);
  EXPECT_EQ(At(d, 20, 29), clGreen) << "the seven bars unlit";
}

}  // namespace
