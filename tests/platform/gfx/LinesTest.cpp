#include <gtest/gtest.h>

#include "PixelSupport.h"

namespace {

struct Lines : ::testing::Test {
  TBitmap b{16, 12};
  TCanvas& c = *b.Canvas();
  void SetUp() override {
    Fill(b, clWhite);
    c.Pen()->SetColor(clBlack);
  }
};

TEST_F(Lines, PaintTheStartPointAndLeaveTheEndPoint) {
  c.MoveTo(2, 3);
  c.LineTo(8, 3);
  EXPECT_TRUE(All(b, Rect(2, 3, 8, 4), clBlack));
  EXPECT_EQ(b.PixelColor(8, 3), clWhite);
  EXPECT_EQ(Count(b, Rect(0, 0, 12, 12), clBlack), 6);
  EXPECT_EQ(c.PenPos(), Point(8, 3));

  c.MoveTo(5, 9);  // a line going up-left leaves its end point too
  c.LineTo(5, 5);
  EXPECT_TRUE(All(b, Rect(5, 6, 6, 10), clBlack));
  EXPECT_EQ(b.PixelColor(5, 5), clWhite);
}

TEST_F(Lines, DiagonalStepsOnePixelPerColumn) {
  c.MoveTo(1, 1);
  c.LineTo(7, 4);
  EXPECT_EQ(Count(b, Rect(0, 0, 12, 12), clBlack), 6);
  for (int x = 1; x < 7; ++x) EXPECT_EQ(Count(b, Rect(x, 0, x + 1, 12), clBlack), 1) << x;
  EXPECT_EQ(b.PixelColor(1, 1), clBlack);
  EXPECT_EQ(b.PixelColor(7, 4), clWhite);
}

TEST_F(Lines, PolylineJoinsWithoutGapsAndLeavesItsLastPoint) {
  const TPoint path[] = {{1, 1}, {6, 1}, {6, 6}, {1, 6}};
  c.Polyline(path);
  EXPECT_TRUE(All(b, Rect(1, 1, 7, 2), clBlack));
  EXPECT_TRUE(All(b, Rect(6, 1, 7, 7), clBlack));
  EXPECT_TRUE(All(b, Rect(2, 6, 7, 7), clBlack));
  EXPECT_EQ(b.PixelColor(1, 6), clWhite);
}

// GDI's cosmetic dots: 3 pixels on, 3 off.
TEST_F(Lines, DottedPenPaintsThreeOnThreeOffAndFillsGapsOnlyUnderASolidBrush) {
  c.Pen()->SetStyle(psDot);
  c.Brush()->SetStyle(bsClear);
  c.MoveTo(0, 2);
  c.LineTo(10, 2);
  for (int x = 0; x < 10; ++x) EXPECT_EQ(b.PixelColor(x, 2), x % 6 < 3 ? clBlack : clWhite) << x;

  c.Brush()->SetColor(clRed);  // makes the brush solid: its colour goes into the gaps
  c.MoveTo(0, 5);
  c.LineTo(10, 5);
  for (int x = 0; x < 10; ++x) EXPECT_EQ(b.PixelColor(x, 5), x % 6 < 3 ? clBlack : clRed) << x;
}

// A polyline carries the pattern round its corners; each LineTo starts it afresh.
TEST_F(Lines, DottedPatternRunsOnAlongAPolylineAndRestartsAtEachLine) {
  c.Pen()->SetStyle(psDot);
  c.Brush()->SetStyle(bsClear);
  const TPoint path[] = {{0, 0}, {4, 0}, {4, 6}};  // 4 steps: on on on off; then off off on on
  c.Polyline(path);
  EXPECT_EQ(b.PixelColor(4, 0), clWhite);
  EXPECT_EQ(b.PixelColor(4, 1), clWhite);
  EXPECT_EQ(b.PixelColor(4, 2), clBlack);
  EXPECT_EQ(b.PixelColor(4, 3), clBlack);
  c.MoveTo(10, 0);
  c.LineTo(14, 0);
  c.LineTo(14, 6);
  EXPECT_EQ(b.PixelColor(14, 0), clBlack);
  EXPECT_EQ(b.PixelColor(14, 2), clBlack);
  EXPECT_EQ(b.PixelColor(14, 3), clWhite);
}

// Width across the line, round ends reaching half the pen past both end points; a line of no
// length leaves the pen's dot. (The GDI comparison checks the exact pixels of every width.)
TEST_F(Lines, WidePenCoversItsWidthAcrossTheLineWithRoundEnds) {
  c.Pen()->SetWidth(3);
  c.MoveTo(2, 5);
  c.LineTo(8, 5);
  EXPECT_EQ(Extent(b, clWhite), Rect(1, 4, 10, 7));
  EXPECT_TRUE(All(b, Rect(2, 4, 9, 7), clBlack));
  for (TPoint corner : {TPoint{1, 4}, TPoint{1, 6}, TPoint{9, 4}, TPoint{9, 6}})
    EXPECT_EQ(b.PixelColor(corner.X, corner.Y), clWhite) << corner.X << "," << corner.Y;
  Fill(b, clWhite);
  c.MoveTo(5, 5);
  c.LineTo(5, 5);
  EXPECT_EQ(Extent(b, clWhite), Rect(4, 4, 7, 7));
  EXPECT_EQ(b.PixelColor(4, 4), clWhite);
  EXPECT_EQ(b.PixelColor(5, 5), clBlack);
}

TEST_F(Lines, PenModesInvertAndXor) {
  c.Pen()->SetMode(pmNot);
  c.MoveTo(0, 0);
  c.LineTo(4, 0);
  EXPECT_TRUE(All(b, Rect(0, 0, 4, 1), clBlack));
  c.Pen()->SetMode(pmXor);
  c.Pen()->SetColor(clRed);
  c.MoveTo(0, 0);
  c.LineTo(2, 0);
  EXPECT_EQ(b.PixelColor(0, 0), clRed);
  EXPECT_EQ(b.PixelColor(2, 0), clBlack);
}

TEST_F(Lines, FarAwayEndPointsDrawOnlyWhatIsVisibleAndReturnAtOnce) {
  c.MoveTo(-2000000000, 6);
  c.LineTo(2000000000, 6);
  EXPECT_TRUE(All(b, Rect(0, 6, 12, 7), clBlack));
  EXPECT_EQ(Count(b, Rect(0, 0, 12, 12), clBlack), 12);
  c.Pen()->SetWidth(3);
  c.MoveTo(-2000000000, -2000000000);
  c.LineTo(2000000000, 2000000000);
  EXPECT_EQ(b.PixelColor(3, 3), clBlack);
  EXPECT_EQ(b.PixelColor(9, 2), clWhite);
}

}  // namespace
