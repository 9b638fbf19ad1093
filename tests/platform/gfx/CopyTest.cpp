#include <gtest/gtest.h>

#include <memory>

#include "PixelSupport.h"

namespace {

// A 4 x 3 picture whose pixels are all different: colour = x + 10 * y in the red channel.
std::unique_ptr<TBitmap> Numbered() {
  auto b = std::make_unique<TBitmap>(4, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) b->Canvas()->SetPixel(x, y, RGB(uint8_t(x + 10 * y), 0, 0));
  return b;
}

uint8_t Red(const TBitmap& b, int x, int y) { return GetRValue(b.PixelColor(x, y)); }

TEST(Copy, PlainCopyPutsEveryPixelInPlace) {
  const auto holder = Numbered();
  const TBitmap& src = *holder;
  TBitmap dst(10, 10);
  Fill(dst, clWhite);
  dst.Canvas()->Draw(3, 2, src);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.PixelColor(3 + x, 2 + y), src.PixelColor(x, y));
  EXPECT_EQ(Extent(dst, clWhite), Rect(3, 2, 7, 5));
}

TEST(Copy, ScaledCopyRepeatsEachPixel) {
  const auto holder = Numbered();
  const TBitmap& src = *holder;
  TBitmap dst(8, 6);
  dst.Canvas()->CopyRect(Rect(0, 0, 8, 6), *src.Canvas(), Rect(0, 0, 4, 3));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(Red(dst, x, y), x / 2 + 10 * (y / 2)) << x << "," << y;
}

TEST(Copy, ReversedDestinationMirrorsTheCopy) {
  const auto holder = Numbered();
  const TBitmap& src = *holder;
  TBitmap dst(8, 6);
  Fill(dst, clWhite);
  // Second corner left of the first: mirrored left to right over the columns from the
  // second corner + 1 to the first, 2-5, as GDI takes a negative width.
  dst.Canvas()->CopyRect(Rect(5, 0, 1, 3), *src.Canvas(), Rect(0, 0, 4, 3));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Red(dst, 2 + x, y), 3 - x + 10 * y);
  EXPECT_EQ(Extent(dst, clWhite), Rect(2, 0, 6, 3));
  // Second corner above the first, and scaled: upside down at twice the size, rows 1-6 of
  // which the picture holds 1-5.
  TBitmap big(8, 6);
  Fill(big, clWhite);
  big.Canvas()->CopyRect(Rect(0, 5, 8, -1), *src.Canvas(), Rect(0, 0, 4, 3));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(Red(big, x, y), x / 2 + 10 * (2 - y / 2)) << x << "," << y;
}

TEST(Copy, CopyBetweenOverlappingPartsOfOneSurface) {
  const auto holder = Numbered();
  TBitmap& b = *holder;
  b.Canvas()->CopyRect(Rect(1, 0, 4, 3), *b.Canvas(), Rect(0, 0, 3, 3));
  for (int x = 1; x < 4; ++x) EXPECT_EQ(Red(b, x, 1), x - 1 + 10);
}

// A 3 x 2 bitmap with key colour silver at (0, 1), the bottom-left pixel.
std::unique_ptr<TBitmap> Keyed() {
  auto b = std::make_unique<TBitmap>(3, 2);
  Fill(*b, clSilver);
  b->Canvas()->SetPixel(1, 0, clBlue);
  b->Canvas()->SetPixel(2, 1, clBlue);
  return b;
}

TEST(Copy, KeyColourIsLeftOutUnderAClearBrushAndPaintedUnderASolidOne) {
  const auto holder = Keyed();
  const TBitmap& src = *holder;
  ASSERT_EQ(src.TransparentColor(), clSilver);
  TBitmap dst(3, 2);
  Fill(dst, clWhite);
  dst.Canvas()->Brush()->SetStyle(bsClear);
  dst.Canvas()->BrushCopy(Rect(0, 0, 3, 2), src, Rect(0, 0, 3, 2), src.TransparentColor());
  EXPECT_EQ(Count(dst, Rect(0, 0, 3, 2), clWhite), 4);
  EXPECT_EQ(dst.PixelColor(1, 0), clBlue);

  dst.Canvas()->Brush()->SetColor(clRed);  // solid now
  dst.Canvas()->BrushCopy(Rect(0, 0, 3, 2), src, Rect(0, 0, 3, 2), src.TransparentColor());
  EXPECT_EQ(Count(dst, Rect(0, 0, 3, 2), clRed), 4);
  EXPECT_EQ(dst.PixelColor(2, 1), clBlue);
}

// Same-size copies go by runs of pixels, whole rows as one run when both sides are exactly as
// wide as the copy: every width, into a bitmap of that width and into a wider one, each
// pixel where it belongs, the key colour left out, painted or (brush = key) kept.
TEST(Copy, RunsOfEveryWidthCopyEachPixelOnceAndKeyItAlike) {
  for (int w = 1; w < 20; ++w) {
    TBitmap src(w, 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < w; ++x)
        src.Canvas()->SetPixel(x, y, (x + y) % 3 == 0 ? clSilver : RGB(uint8_t(x), uint8_t(y), 7));
    auto expect = [&](const TBitmap& dst, int left, TColor keyShows, const char* what) {
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < dst.Width(); ++x) {
          const bool in = x >= left && x < left + w;
          const TColor want = !in ? clWhite : (x - left + y) % 3 == 0 ? keyShows : src.PixelColor(x - left, y);
          ASSERT_EQ(dst.PixelColor(x, y), want) << what << " width " << w << " at " << x << "," << y;
        }
    };
    for (int extra : {0, 5}) {
      TBitmap dst(w + extra, 3);
      const TRect at = Bounds(extra ? 2 : 0, 0, w, 3);
      Fill(dst, clWhite);
      dst.Canvas()->CopyRect(at, *src.Canvas(), Rect(0, 0, w, 3));
      expect(dst, at.Left, clSilver, "plain");
      Fill(dst, clWhite);
      dst.Canvas()->Brush()->SetStyle(bsClear);
      dst.Canvas()->BrushCopy(at, src, Rect(0, 0, w, 3), clSilver);
      expect(dst, at.Left, clWhite, "key left out");
      dst.Canvas()->Brush()->SetColor(clRed);  // solid again
      dst.Canvas()->BrushCopy(at, src, Rect(0, 0, w, 3), clSilver);
      expect(dst, at.Left, clRed, "key painted");
      Fill(dst, clWhite);
      dst.Canvas()->Brush()->SetColor(clSilver);
      dst.Canvas()->BrushCopy(at, src, Rect(0, 0, w, 3), clSilver);
      expect(dst, at.Left, clSilver, "key painted in its own colour");
    }
  }
}

TEST(Copy, KeyCopyScalesAndMirrors) {
  const auto holder = Keyed();
  const TBitmap& src = *holder;
  TBitmap dst(6, 4);
  Fill(dst, clWhite);
  dst.Canvas()->Brush()->SetStyle(bsClear);
  dst.Canvas()->BrushCopy(Rect(5, 0, -1, 4), src, Rect(0, 0, 3, 2), clSilver);
  // Mirrored: the blue pixel of column 1 stays in the middle, that of column 2 goes left.
  EXPECT_EQ(Picture(dst, clBlue), "..##..\n..##..\n##....\n##....\n");
}

TEST(Copy, SystemColourKeyIsResolvedFirst) {
  TBitmap src(2, 1);
  Fill(src, clBtnFace);
  src.Canvas()->SetPixel(1, 0, clBlack);
  EXPECT_EQ(src.PixelColor(0, 0), RGB(240, 240, 240));
  TBitmap dst(2, 1);
  Fill(dst, clWhite);
  dst.Canvas()->Brush()->SetStyle(bsClear);
  dst.Canvas()->BrushCopy(Rect(0, 0, 2, 1), src, Rect(0, 0, 2, 1), clBtnFace);
  EXPECT_EQ(dst.PixelColor(0, 0), clWhite);
  EXPECT_EQ(dst.PixelColor(1, 0), clBlack);
}

TEST(Copy, CopyIsClippedAndSkipsWhatLiesOutsideTheSource) {
  const auto holder = Numbered();
  const TBitmap& src = *holder;
  TBitmap dst(6, 6);
  Fill(dst, clWhite);
  TCanvas c(&dst, TPoint{}, Rect(0, 0, 2, 6));
  c.CopyRect(Rect(0, 0, 6, 6), *src.Canvas(), Rect(-2, 0, 4, 6));  // reaches left of and below src
  EXPECT_EQ(Extent(dst, clWhite), TRect{});
  c.CopyRect(Rect(0, 0, 4, 3), *src.Canvas(), Rect(0, 0, 4, 3));
  EXPECT_EQ(Extent(dst, clWhite), Rect(0, 0, 2, 3));
}

// A same-size copy goes row by row; it must still leave out what lies outside the source and
// the clip on every side, and a key copy must still key.
TEST(Copy, SameSizeCopyReachingPastTheSourceOnEverySideKeepsToWhatExists) {
  const auto holder = Numbered();
  const TBitmap& src = *holder;
  TBitmap dst(8, 7);
  Fill(dst, clWhite);
  TCanvas c(&dst, TPoint{1, 1}, Rect(1, 1, 7, 5));
  // 7 by 4 both ways: source (x, y) lands on the surface's (x + 2, y + 1).
  c.CopyRect(Rect(-1, -1, 6, 3), *src.Canvas(), Rect(-2, -1, 5, 3));
  EXPECT_EQ(Extent(dst, clWhite), Rect(2, 1, 6, 4));
  for (int y = 1; y < 4; ++y)
    for (int x = 2; x < 6; ++x) EXPECT_EQ(Red(dst, x, y), (x - 2) + 10 * (y - 1)) << x << "," << y;

  TBitmap keyed(8, 7);
  Fill(keyed, clWhite);
  TBitmap source(3, 1);
  source.Canvas()->SetPixel(0, 0, clRed);
  source.Canvas()->SetPixel(1, 0, clLime);
  source.Canvas()->SetPixel(2, 0, clRed);
  keyed.Canvas()->Brush()->SetStyle(bsClear);
  keyed.Canvas()->BrushCopy(Rect(5, 6, 8, 7), source, Rect(0, 0, 3, 1), clRed);
  EXPECT_EQ(Extent(keyed, clWhite), Rect(6, 6, 7, 7));
  EXPECT_EQ(keyed.PixelColor(6, 6), clLime);
}

TEST(Copy, BitmapAssignCopiesAndNotifies) {
  const auto holder = Numbered();
  const TBitmap& src = *holder;
  TBitmap dst;
  int changes = 0;
  dst.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &dst);
    ++changes;
  };
  dst.Assign(&src);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(dst.Width(), 4);
  EXPECT_EQ(dst.PixelColor(3, 2), src.PixelColor(3, 2));
  dst.Assign(nullptr);
  EXPECT_TRUE(dst.Empty());
  EXPECT_EQ(changes, 2);
  dst.Assign(nullptr);  // nothing into nothing
  EXPECT_EQ(changes, 2);
  dst.SetSize(5, 5);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(dst.Canvas()->ClipRect(), Rect(0, 0, 5, 5));
}

}  // namespace
