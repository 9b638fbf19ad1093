#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "PixelSupport.h"
#include "platform/gfx/Font.h"
#include "platform/gfx/FontFace.h"
#include "platform/gfx/Raster.h"

namespace {

struct Text : ::testing::Test {
  TBitmap b{120, 40};
  TCanvas& c = *b.Canvas();
  void SetUp() override {
    Fill(b, clWhite);
    c.Font()->SetName("Arial");
    c.Font()->SetHeight(-11);
    c.Font()->SetColor(clBlack);
    c.Brush()->SetStyle(bsClear);
  }
};

TEST_F(Text, EmptyStringMeasuresZeroByZero) {
  EXPECT_EQ(c.TextExtent(""), (TSize{0, 0}));
  EXPECT_EQ(c.TextWidth(""), 0);
  EXPECT_EQ(c.TextHeight(""), 0);
  TRect r = Rect(5, 5, 50, 5);
  EXPECT_EQ(c.DrawText(r, "", {tfCalcRect}), 0);
  EXPECT_EQ(r, Rect(5, 5, 5, 5));
}

TEST_F(Text, DesignFontsResolveToInstalledFaces) {
  for (const char* family : {"MS Sans Serif", "Arial", "Tahoma"}) {
    TFont f;
    f.SetName(family);
    EXPECT_FALSE(f.Face().Source().empty()) << family;
    EXPECT_GE(f.Face().CellHeight(), 12) << family;
    EXPECT_LE(f.Face().CellHeight(), 14) << family;
  }
  TFont cell;
  cell.SetName("Arial");
  // A positive height is the cell, as near as GDI gets it with an em of whole pixels: 13
  // gives Arial a 12-pixel em, and its ascent and descent round to 11 and 3.
  cell.SetHeight(13);
  EXPECT_EQ(cell.Face().CellHeight(), 14);
}

// The design's default family is a bitmap font that measures as Windows' and is drawn as its
// pixels are: no smoothing, and bold made by widening each glyph one pixel.
TEST_F(Text, MsSansSerifIsTheBitmapFontWithWindowsMetrics) {
  c.Font()->SetName("MS Sans Serif");
  const TFontFace& face = c.Font()->Face();
  EXPECT_EQ(face.CellHeight(), 13);
  EXPECT_EQ(face.Ascent(), 11);
  EXPECT_EQ(c.TextWidth("Roulis"), 29);
  EXPECT_EQ(c.TextWidth("Tangage"), 43);
  EXPECT_EQ(c.TextWidth("Cap"), 19);
  EXPECT_EQ(c.TextWidth("\xC3\xA9"), c.TextWidth("e"));  // an ANSI font: "é" has its own glyph
  c.TextOut(2, 2, "Roulis \xC3\xA9");
  int ink = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const TColor p = b.PixelColor(x, y);
      ASSERT_TRUE(p == clWhite || p == clBlack) << x << "," << y;
      ink += p == clBlack;
    }
  EXPECT_GT(ink, 40);
  c.Font()->SetStyle(TFontStyles{fsBold});
  EXPECT_EQ(c.TextWidth("Roulis"), 29 + 6);
  EXPECT_EQ(c.TextHeight("Roulis"), 13);
}

TEST_F(Text, DrawingStaysWithinWhatIsMeasured) {
  const TSize ext = c.TextExtent("-20");
  ASSERT_GT(ext.cx, 10);
  c.TextOut(30, 10, "-20");
  const TRect ink = Extent(b, clWhite);
  ASSERT_FALSE(ink.IsEmpty());
  EXPECT_GE(ink.Left, 30);
  EXPECT_LE(ink.Right, 30 + ext.cx);
  EXPECT_GE(ink.Top, 10);
  EXPECT_LE(ink.Bottom, 10 + ext.cy);
  EXPECT_EQ(c.TextWidth("-20"), c.TextWidth("-") + c.TextWidth("2") + c.TextWidth("0"));
}

TEST_F(Text, BoldIsWiderAndOnlyTheFontColourIsUsed) {
  const int regular = c.TextWidth("Tangage");
  c.Font()->SetStyle(TFontStyles{fsBold});
  EXPECT_GT(c.TextWidth("Tangage"), regular);
  c.Font()->SetColor(clRed);
  c.TextOut(2, 2, "Tangage");
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const TColor p = b.PixelColor(x, y);
      ASSERT_EQ(GetRValue(p), 255) << x << "," << y;  // white mixed with red only
      ASSERT_EQ(GetGValue(p), GetBValue(p));
    }
}

// Anti-aliased edges: each channel is font * a + background * (255 - a), divided by 255 and
// rounded to the nearest, for one coverage a per pixel. The mix works on two channels at once,
// so a carry from one into the other would show here.
TEST_F(Text, EdgePixelsMixFontAndBackgroundRoundedToTheNearest) {
  for (unsigned a = 0; a < 256; ++a)
    for (unsigned f = 0; f < 256; ++f)
      for (unsigned g = 0; g < 256; ++g) {
        const uint32_t ink = f << 16 | (255 - f) << 8 | g, back = g << 16 | f << 8 | (f ^ g);
        uint32_t exact = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
          const unsigned i = (ink >> shift) & 0xFF, k = (back >> shift) & 0xFF;
          exact |= ((i * a + k * (255 - a) + 127) / 255) << shift;
        }
        const uint32_t mixed = TRaster::Mix(back, ink, a);
        if (mixed != exact) {  // asked only on a mismatch: 16 million cases
          ASSERT_EQ(mixed, exact) << a << " " << f << " " << g;
        }
      }

  // A glyph's row is mixed several pixels at a time: every coverage, every channel pair, and
  // every length of row, so that each position within a block and each short tail is met. A
  // pixel without coverage keeps even its unused top byte; a mixed one has it cleared.
  std::vector<uint32_t> row(264);
  std::vector<uint8_t> cover(264);
  for (unsigned f = 0; f < 256; ++f)
    for (unsigned g = 0; g < 256; ++g) {
      const uint32_t ink = f << 16 | (255 - f) << 8 | g, back = 0x5A000000u | g << 16 | f << 8 | (f ^ g);
      const size_t n = 256 + (f + g) % 4, from = g % 3;  // odd lengths and offsets too
      for (size_t i = 0; i < row.size(); ++i) cover[i] = uint8_t(i - from + f);
      std::fill(row.begin(), row.end(), back);
      BlendRow(row.data() + from, cover.data() + from, n, ink);
      for (size_t i = 0; i < row.size(); ++i) {
        const bool inside = i >= from && i < from + n;
        const uint32_t want = inside && cover[i] ? TRaster::Mix(back, ink, cover[i]) : back;
        if (row[i] != want) {
          ASSERT_EQ(row[i], want) << f << " " << g << " at " << i;
        }
      }
    }

  const TColor back = RGB(200, 30, 90), ink = RGB(10, 250, 140);
  Fill(b, back);
  c.Font()->SetColor(ink);
  c.TextOut(2, 2, "Roulis 0123456789");
  int edges = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const uint32_t p = ColorToPixel(b.PixelColor(x, y));
      bool found = false;
      for (unsigned a = 0; a <= 255 && !found; ++a)
        found = p == (a == 0 ? ColorToPixel(back) : a == 255 ? ColorToPixel(ink)
                                                           : TRaster::Mix(ColorToPixel(back), ColorToPixel(ink), a));
      ASSERT_TRUE(found) << x << "," << y;
      edges += p != ColorToPixel(back) && p != ColorToPixel(ink);
    }
  EXPECT_GT(edges, 20);
}

// Glyphs under a clip region: ink only inside it, cut glyphs included.
TEST_F(Text, AClipRegionCutsTheGlyphs) {
  const TPoint triangle[] = {{0, 0}, {60, 0}, {0, 30}};
  c.ClipToPolygon(triangle);
  c.TextOut(0, 0, "Tangage Roulis Cap");
  int ink = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.PixelColor(x, y) != clWhite) {
        ++ink;
        ASSERT_LE(2 * x + 4 * y, 2 * 60 + 2) << x << "," << y;  // on or inside the slanted edge
      }
  EXPECT_GT(ink, 20);
}

TEST_F(Text, TextIsClippedToItsRectangle) {
  TRect r = Rect(10, 10, 22, 20);
  c.DrawText(r, "Roulis Tangage", {tfSingleLine, tfNoPrefix});
  const TRect ink = Extent(b, clWhite);
  ASSERT_FALSE(ink.IsEmpty());
  EXPECT_GE(ink.Left, 10);
  EXPECT_LE(ink.Right, 22);
  EXPECT_GE(ink.Top, 10);
  EXPECT_LE(ink.Bottom, 20);
  EXPECT_EQ(ink.Right, 22);  // the text runs on past the edge and is cut there
}

TEST_F(Text, AlignmentsPlaceTheCellInTheRectangle) {
  const TSize ext = c.TextExtent("Cap");
  // Bottom: the cell ends at the rectangle's bottom; centred: equal room left and right.
  TRect r = Rect(0, 0, 120, 40);
  c.Brush()->SetColor(clYellow);
  c.DrawText(r, "Cap", {tfSingleLine, tfCenter, tfBottom, tfNoPrefix});
  EXPECT_EQ(Extent(b, clWhite), Rect((120 - ext.cx) / 2, 40 - ext.cy, (120 - ext.cx) / 2 + ext.cx, 40));
  Fill(b, clWhite);
  c.DrawText(r, "Cap", {tfSingleLine, tfVerticalCenter, tfNoPrefix});
  EXPECT_EQ(Extent(b, clWhite), Rect(0, (40 - ext.cy) / 2, ext.cx, (40 - ext.cy) / 2 + ext.cy));
  Fill(b, clWhite);
  c.DrawText(r, "Cap", {tfSingleLine, tfRight, tfNoPrefix});
  EXPECT_EQ(Extent(b, clWhite), Rect(120 - ext.cx, 0, 120, ext.cy));
}

TEST_F(Text, CalcRectMeasuresLinesWithoutDrawing) {
  const int h = c.TextHeight("x");
  TRect r = Rect(3, 4, 100, 4);
  EXPECT_EQ(c.DrawText(r, "Roulis\nCap", {tfCalcRect}), 2 * h);
  EXPECT_EQ(r, Rect(3, 4, 3 + c.TextWidth("Roulis"), 4 + 2 * h));
  EXPECT_EQ(Extent(b, clWhite), TRect{});
  TRect one = Rect(0, 0, 100, 0);
  c.DrawText(one, "Roulis\r\nCap", {tfCalcRect, tfSingleLine});
  EXPECT_EQ(one.Height(), h);
}

TEST_F(Text, PrefixCharacterIsProcessedUnlessTurnedOff) {
  TRect r = Rect(0, 0, 100, 0);
  c.DrawText(r, "&Cap", {tfCalcRect});
  EXPECT_EQ(r.Width(), c.TextWidth("Cap"));
  c.DrawText(r, "a&&b", {tfCalcRect});
  EXPECT_EQ(r.Width(), c.TextWidth("a&b"));
  c.DrawText(r, "&Cap", {tfCalcRect, tfNoPrefix});
  EXPECT_EQ(r.Width(), c.TextWidth("&Cap"));
}

TEST_F(Text, AccentedTextIsOneGlyphPerCharacterAndStrayBytesStillShow) {
  const int e = c.TextWidth("\xC3\xA9");  // "é", two bytes
  EXPECT_GT(e, 0);
  EXPECT_EQ(c.TextWidth("\xC3\xA9\xC3\xA9"), 2 * e);
  EXPECT_GT(c.TextWidth("\xC3"), 0);  // a lone lead byte is not swallowed
}

TEST(FontChange, SettersNotifyOnlyOnRealChangesAndAssignOnce) {
  TFont f;
  EXPECT_EQ(f.Name(), "MS Sans Serif");
  EXPECT_EQ(f.Height(), -11);
  EXPECT_EQ(f.Size(), 8);
  EXPECT_EQ(f.Color(), clWindowText);
  int n = 0;
  f.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &f);
    ++n;
  };
  f.SetHeight(-11);
  f.SetName("MS Sans Serif");
  EXPECT_EQ(n, 0);
  f.SetSize(10);
  EXPECT_EQ(f.Height(), -13);
  EXPECT_EQ(n, 1);
  TFont g;
  g.SetName("Tahoma");
  g.SetColor(clWhite);
  g.SetStyle(TFontStyles{fsBold});
  f.Assign(g);
  EXPECT_EQ(n, 2);
  EXPECT_TRUE(f.SameAs(g));
  f.Assign(g);
  EXPECT_EQ(n, 2);
}

TEST(FontChange, CanvasFontFollowsTheAssignedFont) {
  TBitmap b(10, 10);
  const int normal = b.Canvas()->TextHeight("x");
  TFont big;
  big.SetHeight(-20);
  b.Canvas()->SetFont(&big);
  EXPECT_GT(b.Canvas()->TextHeight("x"), normal);
  EXPECT_EQ(b.Canvas()->Font()->Height(), -20);
}

}  // namespace
