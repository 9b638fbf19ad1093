// The fonts against GDI's handling of the same font: what we measure and, for a bitmap
// font whose glyphs GDI draws for us, what we paint.
#include <gtest/gtest.h>

#include <string>

#include "GdiText.h"
#include "platform/gfx/Font.h"
#include "platform/gfx/PixelSupport.h"

namespace {

const char* const kTexts[] = {"Roulis", "Tangage", "Cap", "-180 +20", "Mode \xC3\xA9t\xC3\xA9"};

TEST(GdiFont, TextMeasuresAsGdiMeasuresTheFontItPicks) {
  TBitmap b(4, 4);
  TCanvas& c = *b.Canvas();
  for (const char* family : {"MS Sans Serif", "Arial", "Tahoma"})
    for (int height : {-11, 13, -16})
      for (bool bold : {false, true}) {
        c.Font()->SetName(family);
        c.Font()->SetHeight(height);
        c.Font()->SetStyle(bold ? TFontStyles{fsBold} : TFontStyles{});
        const TGdiFont gdi{family, height, bold};
        const std::string what = std::string(family) + " " + std::to_string(height) + (bold ? " bold" : "");
        EXPECT_EQ(c.TextHeight("x"), GdiCellHeight(gdi)) << what;
        for (const char* t : kTexts) EXPECT_EQ(c.TextWidth(t), GdiTextWidth(gdi, t)) << what << ": " << t;
      }
}

// A bitmap font is GDI's drawing read back glyph by glyph: the text we paint from those
// glyphs must be the text GDI paints in one go, pixel for pixel.
TEST(GdiFont, ABitmapFontPaintsTheSamePixelsAsGdi) {
  constexpr int W = 160, H = 24;
  const std::string text = "Roulis Tangage Cap \xC3\xA9 -20";
  for (bool bold : {false, true}) {
    const std::vector<bool> gdi = GdiTextInk({"MS Sans Serif", -11, bold}, text, 3, 5, W, H);
    TBitmap ours(W, H);
    Fill(ours, clWhite);
    TCanvas& c = *ours.Canvas();
    c.Brush()->SetStyle(bsClear);
    c.Font()->SetName("MS Sans Serif");
    c.Font()->SetColor(clBlack);
    c.Font()->SetStyle(bold ? TFontStyles{fsBold} : TFontStyles{});
    c.TextOut(3, 5, text);
    int differ = 0, ink = 0;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        ink += gdi[size_t(y) * W + size_t(x)];
        differ += gdi[size_t(y) * W + size_t(x)] != (ours.PixelColor(x, y) == clBlack);
      }
    EXPECT_GT(ink, 100) << (bold ? "bold" : "regular");
    EXPECT_EQ(differ, 0) << (bold ? "bold" : "regular") << "\n" << Picture(ours, clBlack);
  }
}

}  // namespace
