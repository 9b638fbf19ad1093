#include <gtest/gtest.h>

#include <iterator>

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

// Lines along a row or a column take a shorter path than slanted ones; they must cover the
// same pixels in every direction, under a clip rectangle, a clip region and every pen mode.
TEST_F(Lines, RowAndColumnLinesKeepTheirEndsClipsAndModesEitherWay) {
  c.MoveTo(3, 10);  // up a column: rows 10 down to 3, the end point (row 2) left out
  c.LineTo(3, 2);
  c.MoveTo(12, 8);  // leftwards along a row
  c.LineTo(5, 8);
  EXPECT_TRUE(All(b, Rect(3, 3, 4, 11), clBlack));
  EXPECT_TRUE(All(b, Rect(6, 8, 13, 9), clBlack));
  EXPECT_EQ(Count(b, Rect(0, 0, 16, 12), clBlack), 8 + 7);

  Fill(b, clWhite);
  c.IntersectClipRect(Rect(2, 2, 10, 9));
  c.MoveTo(4, -50);
  c.LineTo(4, 50);
  c.MoveTo(50, 5);
  c.LineTo(-50, 5);
  c.MoveTo(12, 1);  // wholly outside the clip
  c.LineTo(12, 11);
  EXPECT_TRUE(All(b, Rect(4, 2, 5, 9), clBlack));
  EXPECT_TRUE(All(b, Rect(2, 5, 10, 6), clBlack));
  EXPECT_EQ(Count(b, Rect(0, 0, 16, 12), clBlack), 7 + 8 - 1);

  Fill(b, clWhite);
  c.SetTarget(&b, TPoint{}, Rect(0, 0, 16, 12));
  const TPoint triangle[] = {{0, 0}, {12, 0}, {0, 12}};  // about the pixels with x + y < 12
  c.ClipToPolygon(triangle);
  c.MoveTo(2, 0);
  c.LineTo(2, 12);
  c.MoveTo(0, 4);
  c.LineTo(16, 4);
  EXPECT_TRUE(All(b, Rect(2, 0, 3, 8), clBlack));
  EXPECT_TRUE(All(b, Rect(2, 10, 3, 12), clWhite));
  EXPECT_TRUE(All(b, Rect(0, 4, 6, 5), clBlack));
  EXPECT_TRUE(All(b, Rect(8, 4, 16, 5), clWhite));
  c.RemoveClipRegion();

  Fill(b, clWhite);
  c.Pen()->SetMode(pmXor);
  c.Pen()->SetColor(clRed);
  c.MoveTo(6, 9);  // the two lines cross at (6, 6): xor'ed twice, it is white again
  c.LineTo(6, 1);
  c.MoveTo(1, 6);
  c.LineTo(9, 6);
  EXPECT_EQ(b.PixelColor(6, 6), clWhite);
  EXPECT_EQ(b.PixelColor(6, 2), clAqua);  // white xor red
  EXPECT_EQ(b.PixelColor(8, 6), clAqua);
  EXPECT_EQ(b.PixelColor(6, 1), clWhite);
}

// A slanted line that starts far outside the clip must step to the same pixels as the same
// line drawn whole: the clipped walk starts part-way through the line.
TEST_F(Lines, AClippedSlantedLineHasThePixelsOfTheWholeOne) {
  const TPoint from[] = {{-37, -5}, {-40, 30}, {50, -9}, {20, 45}, {-3, -60}};
  const TPoint to[] = {{45, 19}, {52, -7}, {-30, 14}, {-6, -33}, {12, 70}};
  for (size_t i = 0; i < std::size(from); ++i) {
    TBitmap whole(200, 200), part(16, 12);
    Fill(whole, clWhite);
    Fill(part, clWhite);
    TCanvas w(&whole, TPoint{100, 100}, Rect(0, 0, 200, 200));
    w.MoveTo(from[i].X, from[i].Y);
    w.LineTo(to[i].X, to[i].Y);
    part.Canvas()->MoveTo(from[i].X, from[i].Y);
    part.Canvas()->LineTo(to[i].X, to[i].Y);
    int drawn = 0;
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(part.PixelColor(x, y), whole.PixelColor(100 + x, 100 + y)) << i << ": " << x << "," << y;
        drawn += part.PixelColor(x, y) == clBlack;
      }
    EXPECT_GT(drawn, 0) << i;
  }
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
