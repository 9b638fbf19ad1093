#include <gtest/gtest.h>

#include "PixelSupport.h"

namespace {

TEST(Clip, DrawingStaysInsideTheClipRectangle) {
  TBitmap b(20, 20);
  Fill(b, clWhite);
  TCanvas c(&b, TPoint{}, Rect(5, 5, 15, 15));
  c.Brush()->SetColor(clRed);
  c.Pen()->SetColor(clBlack);
  c.FillRect(Rect(0, 0, 20, 20));
  c.Ellipse(0, 0, 20, 20);
  c.MoveTo(0, 10);
  c.LineTo(20, 10);
  EXPECT_EQ(Extent(b, clWhite), Rect(5, 5, 15, 15));
  EXPECT_EQ(c.ClipRect(), Rect(5, 5, 15, 15));
  EXPECT_EQ(c.Pixel(2, 2), clNone);  // outside the clip nothing is read either
}

TEST(Clip, ACanvasMovedToAControlsOriginDrawsInItsOwnCoordinates) {
  TBitmap parent(40, 30);
  Fill(parent, clWhite);
  // A windowless control at (10, 5), 12 x 8, painting on its parent's buffer.
  TCanvas c(&parent, TPoint{10, 5}, Bounds(10, 5, 12, 8));
  EXPECT_EQ(c.ClipRect(), Rect(0, 0, 12, 8));
  c.Brush()->SetColor(clBlue);
  c.FillRect(Rect(-5, -5, 100, 100));
  EXPECT_EQ(Extent(parent, clWhite), Rect(10, 5, 22, 13));
  c.SetPixel(0, 0, clRed);
  EXPECT_EQ(parent.PixelColor(10, 5), clRed);
  EXPECT_EQ(c.Pixel(0, 0), clRed);
}

TEST(Clip, TheClipNeverReachesOutsideTheSurface) {
  TBitmap b(8, 8);
  TCanvas c(&b, TPoint{}, Rect(-10, -10, 100, 100));
  EXPECT_EQ(c.ClipRect(), Rect(0, 0, 8, 8));
  TCanvas none;
  none.FillRect(Rect(0, 0, 5, 5));  // without a surface nothing happens
  EXPECT_EQ(none.ClipRect(), TRect{});
}

TEST(Clip, StateGuardRestoresOriginAndClip) {
  TBitmap b(20, 20);
  Fill(b, clWhite);
  TCanvas& c = *b.Canvas();
  {
    TCanvasState keep(c);
    c.Translate(4, 4);
    c.IntersectClipRect(Rect(0, 0, 3, 3));
    EXPECT_EQ(c.ClipRect(), Rect(0, 0, 3, 3));
    c.Brush()->SetColor(clRed);
    c.FillRect(Rect(0, 0, 10, 10));
  }
  EXPECT_EQ(Extent(b, clWhite), Rect(4, 4, 7, 7));
  EXPECT_EQ(c.Origin(), Point(0, 0));
  EXPECT_EQ(c.ClipRect(), Rect(0, 0, 20, 20));
}

TEST(Clip, TriangleRegionKeepsDrawingToItsInsideUntilRemoved) {
  TBitmap b(16, 16);
  Fill(b, clWhite);
  TCanvas& c = *b.Canvas();
  // The upper-left half: as GDI's polygon regions, the points are pixel centres with the
  // left and top edges in, so the diagonal's pixels x + y == 15 belong to it.
  const TPoint tri[] = {{0, 0}, {0, 16}, {16, 0}};
  c.ClipToPolygon(tri);
  EXPECT_TRUE(c.HasClipRegion());
  c.Brush()->SetColor(clRed);
  c.FillRect(Rect(0, 0, 16, 16));
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) EXPECT_EQ(b.PixelColor(x, y), x + y < 16 ? clRed : clWhite) << x << "," << y;

  c.RemoveClipRegion();
  c.Brush()->SetColor(clBlue);
  c.FillRect(Rect(0, 0, 16, 16));
  EXPECT_TRUE(All(b, Rect(0, 0, 16, 16), clBlue));
}

TEST(Clip, RegionFollowsTheOriginItWasMadeWith) {
  TBitmap b(20, 20);
  Fill(b, clWhite);
  TCanvas c(&b, TPoint{10, 10}, Rect(0, 0, 20, 20));
  const TPoint box[] = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
  c.ClipToPolygon(box);
  c.Brush()->SetColor(clRed);
  c.FillRect(Rect(-10, -10, 10, 10));
  EXPECT_EQ(Extent(b, clWhite), Rect(10, 10, 14, 14));
}

TEST(Clip, LockCountsNestedLocks) {
  TCanvas c;
  c.Lock();
  c.Lock();
  EXPECT_EQ(c.LockCount(), 2);
  c.Unlock();
  c.Unlock();
  c.Unlock();  // one too many is ignored
  EXPECT_EQ(c.LockCount(), 0);
}

}  // namespace
