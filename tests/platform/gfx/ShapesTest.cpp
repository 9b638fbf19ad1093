#include <gtest/gtest.h>

#include "PixelSupport.h"

namespace {

struct Shapes : ::testing::Test {
  TBitmap b{16, 16};
  TCanvas& c = *b.Canvas();
  void SetUp() override {
    Fill(b, clWhite);
    c.Pen()->SetColor(clBlack);
    c.Brush()->SetColor(clRed);
  }
};

TEST_F(Shapes, RectangleLeavesItsRightAndBottomEdgesAndOutlinesInside) {
  c.Rectangle(2, 3, 10, 8);
  EXPECT_EQ(Extent(b, clWhite), Rect(2, 3, 10, 8));
  EXPECT_TRUE(All(b, Rect(2, 3, 10, 4), clBlack));  // top
  EXPECT_TRUE(All(b, Rect(2, 7, 10, 8), clBlack));  // bottom, on row 7
  EXPECT_TRUE(All(b, Rect(9, 3, 10, 8), clBlack));  // right, on column 9
  EXPECT_TRUE(All(b, Rect(3, 4, 9, 7), clRed));     // inside
}

TEST_F(Shapes, RectangleWithAClearBrushOrAClearPen) {
  c.Brush()->SetStyle(bsClear);
  c.Rectangle(2, 2, 8, 8);
  EXPECT_TRUE(All(b, Rect(3, 3, 7, 7), clWhite));
  // Without a pen GDI leaves the right and bottom edges out of the fill too.
  c.Pen()->SetStyle(psClear);
  c.Brush()->SetColor(clBlue);
  c.Rectangle(10, 10, 14, 14);
  EXPECT_EQ(Extent(b, clWhite), Rect(2, 2, 13, 13));
  EXPECT_TRUE(All(b, Rect(10, 10, 13, 13), clBlue));
  // A 1 by 1 box has no outline and no inside: nothing at all.
  c.Pen()->SetStyle(psSolid);
  c.Rectangle(16, 16, 17, 17);
  c.Ellipse(16, 16, 17, 17);
  EXPECT_EQ(Extent(b, clWhite), Rect(2, 2, 13, 13));
}

TEST_F(Shapes, DottedFrameAlternatesAlongItsEdges) {
  c.Pen()->SetStyle(psDot);
  c.Brush()->SetStyle(bsClear);
  c.Rectangle(0, 0, 8, 6);
  EXPECT_EQ(Extent(b, clWhite), Rect(0, 0, 8, 6));
  // The path starts at the top right corner and runs left, 3 on and 3 off.
  for (int x = 0; x < 8; ++x) EXPECT_EQ(b.PixelColor(7 - x, 0), x % 6 < 3 ? clBlack : clWhite) << x;
  EXPECT_TRUE(All(b, Rect(1, 1, 7, 5), clWhite));
}

TEST_F(Shapes, FillRectUsesTheBrushOnly) {
  c.FillRect(Rect(1, 1, 4, 3));
  EXPECT_EQ(Extent(b, clWhite), Rect(1, 1, 4, 3));
  EXPECT_TRUE(All(b, Rect(1, 1, 4, 3), clRed));
  c.FillRect(Rect(8, 8, 5, 5));  // reversed: nothing
  EXPECT_EQ(Extent(b, clWhite), Rect(1, 1, 4, 3));
  c.Brush()->SetStyle(bsClear);  // a clear brush fills and frames nothing
  c.FillRect(Rect(0, 0, 16, 16));
  c.FrameRect(Rect(0, 0, 16, 16));
  EXPECT_EQ(Extent(b, clWhite), Rect(1, 1, 4, 3));
  c.Brush()->SetColor(clBlue);  // and a colour makes it solid again
  c.FrameRect(Rect(6, 6, 10, 9));
  EXPECT_EQ(Count(b, Rect(6, 6, 10, 9), clBlue), 10);
  EXPECT_EQ(b.PixelColor(7, 7), clWhite);
}

TEST_F(Shapes, EllipseIsInscribedAndSymmetricWithinTheBox) {
  c.Ellipse(2, 2, 12, 10);
  EXPECT_EQ(Extent(b, clWhite), Rect(2, 2, 12, 10));
  for (int y = 2; y < 10; ++y)
    for (int x = 2; x < 12; ++x) {
      EXPECT_EQ(b.PixelColor(x, y), b.PixelColor(13 - x, y)) << x << "," << y;
      EXPECT_EQ(b.PixelColor(x, y), b.PixelColor(x, 11 - y)) << x << "," << y;
    }
  EXPECT_EQ(b.PixelColor(2, 2), clWhite);  // corners stay out
  EXPECT_EQ(b.PixelColor(7, 6), clRed);    // the centre is filled
  EXPECT_EQ(b.PixelColor(2, 5), clBlack);  // the outline touches the left edge
}

TEST_F(Shapes, SmallCircleOfTheLampHasARingAndAFilledMiddle) {
  c.Ellipse(4, 6, 12, 14);
  EXPECT_EQ(Extent(b, clWhite), Rect(4, 6, 12, 14));
  EXPECT_TRUE(All(b, Rect(6, 8, 10, 12), clRed));
  EXPECT_EQ(b.PixelColor(4, 9), clBlack);
  EXPECT_EQ(b.PixelColor(11, 10), clBlack);
}

TEST_F(Shapes, FilledPolygonUsesTheAlternateRuleAndIsOutlined) {
  const TPoint square[] = {{2, 2}, {10, 2}, {10, 10}, {2, 10}};
  c.Polygon(square);
  EXPECT_EQ(Extent(b, clWhite), Rect(2, 2, 11, 11));  // the outline runs over the vertices
  EXPECT_TRUE(All(b, Rect(3, 3, 10, 10), clRed));
  EXPECT_TRUE(All(b, Rect(10, 2, 11, 11), clBlack));

  Fill(b, clWhite);
  // A five-pointed star drawn in one stroke: its centre is covered twice, so stays empty.
  const TPoint star[] = {{8, 0}, {13, 15}, {0, 5}, {15, 5}, {3, 15}};
  c.Pen()->SetStyle(psClear);
  c.Polygon(star);
  EXPECT_EQ(b.PixelColor(7, 8), clWhite);
  EXPECT_EQ(b.PixelColor(8, 3), clRed);   // a point of the star
  EXPECT_EQ(b.PixelColor(2, 5), clRed);
}

TEST_F(Shapes, SlantedPolygonEdgesMeetTheirOutlineWithoutAGap) {
  // Each row of a convex shape is one unbroken run of outline and fill.
  const auto rowsAreSolid = [&] {
    for (int y = 0; y < b.Height(); ++y) {
      int first = -1, last = -1, painted = 0;
      for (int x = 0; x < b.Width(); ++x)
        if (b.PixelColor(x, y) != clWhite) last = x, first = first < 0 ? x : first, ++painted;
      if (painted && painted != last - first + 1) return false;
    }
    return true;
  };
  const TPoint corner[] = {{1, 1}, {12, 1}, {1, 12}};
  c.Polygon(corner);
  EXPECT_TRUE(rowsAreSolid()) << Picture(b, clWhite);
  EXPECT_EQ(b.PixelColor(11, 2), clBlack);  // on the slanted edge
  EXPECT_EQ(b.PixelColor(10, 2), clRed);    // just inside it
  EXPECT_EQ(b.PixelColor(12, 2), clWhite);  // just outside it
  EXPECT_EQ(Extent(b, clWhite), Rect(1, 1, 13, 13));

  Fill(b, clWhite);
  const TPoint diamond[] = {{7, 1}, {13, 7}, {7, 13}, {1, 7}};  // a segment's pointed end
  c.Polygon(diamond);
  EXPECT_TRUE(rowsAreSolid()) << Picture(b, clWhite);
  EXPECT_EQ(Count(b, Rect(0, 0, 16, 16), clBlack), 24);
  EXPECT_EQ(b.PixelColor(7, 7), clRed);
  EXPECT_EQ(b.PixelColor(1, 1), clWhite);
}

TEST_F(Shapes, TriangleIndicatorCornersArePainted) {
  const TPoint tri[] = {{8, 0}, {3, 8}, {13, 8}};
  c.Polygon(tri);
  EXPECT_EQ(b.PixelColor(8, 0), clBlack);
  EXPECT_EQ(b.PixelColor(3, 8), clBlack);
  EXPECT_EQ(b.PixelColor(13, 8), clBlack);
  EXPECT_EQ(b.PixelColor(8, 5), clRed);
  EXPECT_EQ(Extent(b, clWhite), Rect(3, 0, 14, 9));
}

}  // namespace
