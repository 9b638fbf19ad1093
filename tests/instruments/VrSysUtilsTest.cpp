#include <gtest/gtest.h>

#include <string>

#include "instruments/VrSysUtils.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Font.h"

namespace {

constexpr TColor kUnpainted = 0x123456;

// A surface wider and taller than the gradient's rectangle, so bands painted past its
// edges can be seen.
struct Gradient : ::testing::Test {
  TBitmap b{250, 170};
  TCanvas& c = *b.Canvas();
  void SetUp() override {
    c.Brush()->SetColor(kUnpainted);
    c.FillRect(Rect(0, 0, 250, 170));
  }
  uint8_t Grey(int x, int y) const { return GetRValue(b.PixelColor(x, y)); }
};

TEST_F(Gradient, MirroredLeftToRightIsDarkAtBothEndsAndWhiteAtTheMiddle) {
  GradientFill(c, Rect(0, 0, 240, 33), clBlack, clWhite, 6, 1);
  for (int y : {0, 32}) {
    EXPECT_EQ(b.PixelColor(0, y), clBlack);
    EXPECT_EQ(b.PixelColor(1, y), RGB(2, 2, 2));
    EXPECT_EQ(b.PixelColor(239, y), RGB(2, 2, 2));
    EXPECT_EQ(b.PixelColor(119, y), RGB(252, 252, 252));
    EXPECT_EQ(b.PixelColor(121, y), RGB(252, 252, 252));
    EXPECT_EQ(b.PixelColor(120, y), clWhite);
    EXPECT_EQ(b.PixelColor(240, y), clBlack);  // the 241st band, just outside
    EXPECT_EQ(b.PixelColor(241, y), kUnpainted);
  }
  for (int x = 0; x <= 240; ++x) EXPECT_EQ(Grey(x, 10), Grey(240 - x, 10)) << x;
  EXPECT_EQ(b.PixelColor(5, 33), kUnpainted);
  EXPECT_EQ(c.Brush()->Color(), clBlack);  // the last band's colour stays in the brush
}

TEST_F(Gradient, MirroredTopToBottomOfAVerticalMeter) {
  GradientFill(c, Rect(0, 0, 33, 161), clBlack, clWhite, 5, 1);
  EXPECT_EQ(b.PixelColor(16, 80), clWhite);
  EXPECT_EQ(b.PixelColor(16, 0), clBlack);
  EXPECT_EQ(b.PixelColor(16, 160), clBlack);
  EXPECT_EQ(b.PixelColor(16, 79), b.PixelColor(16, 81));
  EXPECT_EQ(b.PixelColor(0, 79), b.PixelColor(32, 79));  // each row is one band
  EXPECT_EQ(b.PixelColor(16, 161), kUnpainted);          // an odd height ends inside
  EXPECT_EQ(b.PixelColor(33, 50), kUnpainted);
}

TEST_F(Gradient, LinearStylesStepByBandAndLeftToRightPaintsOneBandMore) {
  GradientFill(c, Rect(0, 0, 10, 5), clBlack, clWhite, 1, 1);
  for (int y = 0; y < 5; ++y) EXPECT_EQ(Grey(3, y), 255 * y / 5) << y;
  EXPECT_EQ(b.PixelColor(3, 5), kUnpainted);

  GradientFill(c, Rect(20, 0, 28, 4), clBlack, clWhite, 2, 2);
  for (int x = 20; x < 30; ++x) EXPECT_EQ(Grey(x, 1), 255 * ((x - 20) / 2 * 2) / 8) << x;
  EXPECT_EQ(b.PixelColor(30, 1), kUnpainted);
}

TEST_F(Gradient, DiagonalStylesRunFromTheirCornerAndStayInTheRectangle) {
  // The corner is dark: the first band's, or the second's round end reaching over it, as GDI
  // draws them.
  GradientFill(c, Rect(10, 10, 40, 30), clBlack, clWhite, 3, 2);
  EXPECT_LT(Grey(10, 10), 16);
  EXPECT_GT(Grey(39, 29), 200);
  for (int x = 0; x < 60; ++x) {
    EXPECT_EQ(b.PixelColor(x, 9), kUnpainted);
    EXPECT_EQ(b.PixelColor(x, 30), kUnpainted);
  }
  EXPECT_EQ(c.Pen()->Width(), 2);

  GradientFill(c, Rect(100, 10, 130, 30), clBlack, clWhite, 4, 1);
  EXPECT_LT(Grey(100, 29), 10);
  EXPECT_GT(Grey(129, 10), 200);
  EXPECT_EQ(b.PixelColor(131, 20), kUnpainted);
}

TEST_F(Gradient, OtherStylesDrawNothing) {
  for (int style : {0, -1, 7, 100}) GradientFill(c, Rect(0, 0, 240, 33), clBlack, clWhite, style, 1);
  EXPECT_EQ(b.PixelColor(120, 10), kUnpainted);
}

TEST_F(Gradient, DegenerateRectanglesPaintTheFromColourAndNeverFault) {
  GradientFill(c, Rect(5, 5, 5, 20), clRed, clWhite, 2, 1);  // no width
  EXPECT_EQ(b.PixelColor(5, 10), clRed);
  GradientFill(c, Rect(30, 5, 31, 20), clBlue, clWhite, 6, 1);  // width 1: half is 0
  EXPECT_EQ(b.PixelColor(30, 10), clBlue);
  GradientFill(c, Rect(50, 5, 60, 5), clLime, clWhite, 5, 1);  // no height
  EXPECT_EQ(b.PixelColor(55, 5), clLime);
  GradientFill(c, Rect(70, 5, 70, 5), clLime, clWhite, 3, 1);
  GradientFill(c, Rect(70, 5, 70, 5), clLime, clWhite, 4, 1);
  GradientFill(c, Rect(90, 5, 80, 0), clLime, clWhite, 1, 1);  // reversed
  EXPECT_EQ(b.PixelColor(100, 100), kUnpainted);
}

TEST_F(Gradient, BandSizesThatOvershootStayGreyAndZeroDoesNotHang) {
  GradientFill(c, Rect(0, 0, 240, 33), clBlack, clWhite, 6, 7);
  for (int x = 0; x < 245; ++x) {
    const TColor p = b.PixelColor(x, 5);
    if (p == kUnpainted) continue;
    EXPECT_EQ(GetRValue(p), GetGValue(p)) << x;  // no channel spills into the next
    EXPECT_EQ(GetGValue(p), GetBValue(p)) << x;
  }
  GradientFill(c, Rect(0, 40, 20, 60), clBlack, clWhite, 1, 0);
  GradientFill(c, Rect(0, 40, 20, 60), clBlack, clWhite, 6, -3);
  EXPECT_EQ(b.PixelColor(0, 50), clBlack);
}

TEST(Colours, SystemColourIsResolvedBeforeSplitting) {
  EXPECT_EQ(ResolveColor(clBtnFace), RGB(240, 240, 240));
  EXPECT_EQ(ResolveColor(clWindowText), clBlack);
  EXPECT_EQ(ResolveColor(clRed), clRed);
  SetSysColor(15, RGB(10, 20, 30));
  uint8_t r = 0, g = 0, bl = 0;
  SplitRGB(clBtnFace, r, g, bl);
  ResetSysColors();
  EXPECT_EQ(r, 10);
  EXPECT_EQ(g, 20);
  EXPECT_EQ(bl, 30);
  SplitRGB(clAqua, r, g, bl);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(g, 255);
  EXPECT_EQ(bl, 255);
}

TEST(Rectangles, WidthHeightBoundsAndSameness) {
  const TRect r = Rect(3, 4, 10, 20);
  EXPECT_EQ(RectWidth(r), 7);
  EXPECT_EQ(RectHeight(r), 16);
  TBitmap b(90, 13);
  EXPECT_EQ(BitmapBounds(b), Rect(0, 0, 90, 13));
  EXPECT_TRUE(SameRect(r, Rect(3, 4, 10, 20)));
  EXPECT_FALSE(SameRect(r, Rect(3, 4, 10, 21)));
}

TEST(Bevel, ShrinksTheRectangleAndFramesItsEdges) {
  TBitmap b(17, 20);
  b.Canvas()->Brush()->SetColor(clMaroon);
  b.Canvas()->FillRect(Rect(0, 0, 17, 20));
  TRect r = Rect(0, 0, 17, 20);
  DrawBevel(*b.Canvas(), r, clWhite, clGray, 2);
  EXPECT_EQ(r, Rect(2, 2, 15, 18));
  EXPECT_EQ(b.PixelColor(0, 0), clWhite);
  EXPECT_EQ(b.PixelColor(15, 0), clWhite);
  EXPECT_EQ(b.PixelColor(16, 0), clGray);
  EXPECT_EQ(b.PixelColor(0, 18), clWhite);
  EXPECT_EQ(b.PixelColor(0, 19), clGray);
  EXPECT_EQ(b.PixelColor(16, 19), clGray);
  EXPECT_EQ(b.PixelColor(1, 1), clWhite);
  EXPECT_EQ(b.PixelColor(15, 17), clGray);
  for (int y = 2; y < 18; ++y)
    for (int x = 2; x < 15; ++x) ASSERT_EQ(b.PixelColor(x, y), clMaroon) << x << "," << y;
  TRect same = Rect(0, 0, 5, 5);
  DrawBevel(*b.Canvas(), same, clWhite, clGray, 0);
  EXPECT_EQ(same, Rect(0, 0, 5, 5));
}

// A caption that measures exactly w pixels on the canvas, built from digits and spaces.
std::string CaptionOfWidth(TCanvas& c, int w) {
  for (int digits = 0; digits <= 10; ++digits)
    for (int spaces = 0; spaces <= 20; ++spaces) {
      const std::string s = std::string(size_t(digits), '0') + std::string(size_t(spaces), ' ');
      if (!s.empty() && c.TextWidth(s) == w) return s;
    }
  return "";
}

TEST(ImageTextLayout, AutomaticMarginAndSpacingShareTheFreeSpace) {
  TBitmap b(1, 1);
  TCanvas& c = *b.Canvas();
  c.Font()->SetName("Arial");
  c.Font()->SetHeight(-12);  // a cell of 14 pixels
  const std::string caption = CaptionOfWidth(c, 40);
  ASSERT_FALSE(caption.empty());
  ASSERT_EQ(c.TextHeight(caption), 14);
  TPoint image;
  TRect text;
  CalcImageTextLayout(c, Rect(0, 0, 100, 20), Point(0, 0), caption, ImageLeft, -1, -1, Point(10, 10), image, text);
  EXPECT_EQ(image, Point(16, 5));
  EXPECT_EQ(text, Rect(42, 3, 82, 17));

  CalcImageTextLayout(c, Rect(10, 20, 110, 40), Point(1, 2), caption, ImageRight, 5, -1, Point(10, 10), image, text);
  EXPECT_EQ(image, Point(10 + 1 + 100 - 5 - 10, 20 + 2 + 5));
  EXPECT_EQ(text.Right, image.X - (100 - 15 - 40) / 2);
}

TEST(ImageTextLayout, EmptyCaptionCentresTheImage) {
  TBitmap b(1, 1);
  TPoint image;
  TRect text = Rect(1, 2, 3, 4);
  CalcImageTextLayout(*b.Canvas(), Rect(0, 0, 17, 20), Point(0, 0), "", ImageLeft, -1, -1, Point(11, 11), image, text);
  EXPECT_EQ(image.X, 3);
  EXPECT_EQ(text.Width(), 0);  // an empty rectangle, moved to where a caption would start
  EXPECT_EQ(text.Height(), 0);
  // The LED of the main window: margin 2, spacing 3, a 12 x 12 lamp.
  CalcImageTextLayout(*b.Canvas(), Rect(0, 0, 17, 20), Point(0, 0), "", ImageLeft, 2, 3, Point(12, 12), image, text);
  EXPECT_EQ(image, Point(2, 4));
}

TEST(ImageTextLayout, ImageAboveAndBelowACaptionOfTwoLines) {
  TBitmap b(1, 1);
  TCanvas& c = *b.Canvas();
  const int h = c.TextHeight("x");
  TPoint image;
  TRect text;
  CalcImageTextLayout(c, Rect(0, 0, 60, 80), Point(0, 0), "ab\nc", ImageTop, 4, 2, Point(20, 10), image, text);
  EXPECT_EQ(image, Point(20, 4));
  EXPECT_EQ(text.Top, 16);
  EXPECT_EQ(text.Height(), 2 * h);
  EXPECT_EQ(text.Left, (60 - c.TextWidth("ab") + 1) / 2);
  CalcImageTextLayout(c, Rect(0, 0, 60, 80), Point(0, 0), "ab\nc", ImageBottom, 4, 2, Point(20, 10), image, text);
  EXPECT_EQ(image.Y, 80 - 4 - 10);
  EXPECT_EQ(text.Bottom, image.Y - 2);
}

}  // namespace
