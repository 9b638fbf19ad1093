// Text: measuring, and drawing lines of glyphs into a rectangle.
#include <algorithm>
#include <span>
#include <string_view>
#include <vector>

#include "platform/gfx/Canvas.h"
#include "platform/gfx/Font.h"
#include "platform/gfx/FontFace.h"
#include "platform/gfx/Raster.h"
#include "platform/gfx/Utf8.h"

namespace {

bool IsLineBreak(char c) { return c == '\n' || c == '\r'; }

int LineWidth(TFontFace& face, std::string_view s) {
  int w = 0;
  for (size_t pos = 0; pos < s.size();) {
    const char32_t cp = NextCodePoint(s, pos);
    if (cp != '\n' && cp != '\r') w += face.Glyph(cp).Advance;
  }
  return w;
}

// One line of text ready to draw: the characters and, after prefix processing, which
// character (if any) is underlined.
struct TLine {
  std::string Text;
  int Underlined = -1;  // byte offset of the underlined character
  int Width = 0;
};

TLine StripPrefix(std::string_view s) {
  TLine line;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&' && i + 1 < s.size()) {
      ++i;
      if (s[i] != '&') line.Underlined = int(line.Text.size());
    }
    line.Text += s[i];
  }
  return line;
}

TLine MakeLine(std::string_view p, TTextFormat f, TFontFace& face) {
  TLine l = f.Contains(tfNoPrefix) ? TLine{std::string(p)} : StripPrefix(p);
  l.Width = LineWidth(face, l.Text);
  return l;
}

// The lines of a text that is not a single line.
std::vector<TLine> SplitLines(std::string_view text, TTextFormat f, TFontFace& face) {
  std::vector<TLine> lines;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && !IsLineBreak(text[i])) continue;
    lines.push_back(MakeLine(text.substr(start, i - start), f, face));
    if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  return lines;
}

// The glyph's box is clipped once; only a clip polygon is asked pixel by pixel.
void DrawGlyph(const TRaster& r, const TGlyph& g, int penX, int baseline, uint32_t ink) {
  const int x0 = penX + g.Left, y0 = baseline - g.Top;
  const TRect box = IntersectRect(Rect(x0, y0, x0 + g.Width, y0 + g.Height), r.Clip);
  if (box.IsEmpty()) return;
  const TPixelMask* mask = r.Mask;
  const size_t w = size_t(box.Width());
  for (int y = box.Top; y < box.Bottom; ++y) {
    const uint8_t* cov = g.Coverage.data() + size_t(y - y0) * size_t(g.Width) + size_t(box.Left - x0);
    uint32_t* out = r.Row(y) + box.Left;
    if (mask) {
      for (size_t i = 0; i < w; ++i)
        if (cov[i] && mask->Contains(box.Left + int(i), y)) out[i] = TRaster::Mix(out[i], ink, cov[i]);
      continue;
    }
    BlendRow(out, cov, w, ink);
  }
}

// One line with its cell's top-left corner at (x, y), surface coordinates.
void DrawLine(const TRaster& r, const TFont& font, const TLine& line, int x, int y) {
  TFontFace& face = font.Face();
  const uint32_t ink = ColorToPixel(font.Color());
  const int baseline = y + face.Ascent();
  const int thick = face.LineThickness();
  int pen = x;
  for (size_t pos = 0; pos < line.Text.size();) {
    const size_t at = pos;
    const char32_t cp = NextCodePoint(line.Text, pos);
    if (cp == '\n' || cp == '\r') continue;
    const TGlyph& g = face.Glyph(cp);
    DrawGlyph(r, g, pen, baseline, ink);
    if (int(at) == line.Underlined)
      for (int t = 0; t < thick; ++t) r.Span(baseline + face.UnderlinePos() + t, pen, pen + g.Advance, ink);
    pen += g.Advance;
  }
  for (int t = 0; t < thick; ++t) {
    if (font.Style().Contains(fsUnderline)) r.Span(baseline + face.UnderlinePos() + t, x, pen, ink);
    if (font.Style().Contains(fsStrikeOut)) r.Span(baseline - face.StrikeOutPos() + t, x, pen, ink);
  }
}

}  // namespace

TSize TCanvas::TextExtent(const std::string& Text) const {
  if (Text.empty()) return TSize{};
  TFontFace& face = FFont->Face();
  return TSize{LineWidth(face, Text), face.CellHeight()};
}

void TCanvas::TextOut(int X, int Y, const std::string& Text) {
  const TRaster r(*this);
  if (r.Empty() || Text.empty()) return;
  const TPoint p = r.ToSurface(X, Y);
  const TLine line{Text, -1, 0};
  if (FBrush.Style() == bsSolid) {
    const TSize ext = TextExtent(Text);
    const TRect cell = Bounds(p.X, p.Y, ext.cx, ext.cy);
    for (int y = cell.Top; y < cell.Bottom; ++y) r.Span(y, cell.Left, cell.Right, ColorToPixel(FBrush.Color()));
  }
  DrawLine(r, *FFont, line, p.X, p.Y);
}

void TCanvas::TextRect(const TRect& R, int X, int Y, const std::string& Text) {
  TRaster r(*this);
  if (r.Empty()) return;
  r.Restrict(r.ToSurface(R));
  if (FBrush.Style() == bsSolid) {
    for (int y = r.Clip.Top; y < r.Clip.Bottom; ++y) r.Span(y, r.Clip.Left, r.Clip.Right, ColorToPixel(FBrush.Color()));
  }
  const TPoint p = r.ToSurface(X, Y);
  DrawLine(r, *FFont, TLine{Text, -1, 0}, p.X, p.Y);
}

namespace {

int LineLeft(const TRect& r, int width, TTextFormat f) {
  if (f.Contains(tfRight)) return r.Right - width;
  if (f.Contains(tfCenter)) return r.Left + (r.Width() - width) / 2;
  return r.Left;
}

// Vertical centring and bottom alignment apply to a single line only.
int FirstLineTop(const TRect& r, int cell, TTextFormat f) {
  if (f.Contains(tfSingleLine) && f.Contains(tfBottom)) return r.Bottom - cell;
  if (f.Contains(tfSingleLine) && f.Contains(tfVerticalCenter)) return r.Top + (r.Height() - cell) / 2;
  return r.Top;
}

TRect Extent(const TRect& r, std::span<const TLine> lines, int cell) {
  int widest = 0;
  for (const TLine& l : lines) widest = std::max(widest, l.Width);
  return Rect(r.Left, r.Top, r.Left + widest, r.Top + cell * int(lines.size()));
}

}  // namespace

int TCanvas::DrawText(TRect& R, const std::string& Text, TTextFormat Format) {
  if (Text.empty()) {
    if (Format.Contains(tfCalcRect)) R = Rect(R.Left, R.Top, R.Left, R.Top);
    return 0;
  }
  // A single line, as most texts are, needs no list of lines.
  std::vector<TLine> many;
  TLine one;
  std::span<const TLine> lines(&one, 1);
  if (Format.Contains(tfSingleLine))
    one = MakeLine(Text, Format, FFont->Face());
  else
    lines = many = SplitLines(Text, Format, FFont->Face());
  const int h = FFont->Face().CellHeight(), total = h * int(lines.size());
  if (Format.Contains(tfCalcRect)) {
    R = Extent(R, lines, h);
    return total;
  }
  TRaster r(*this);
  if (r.Empty()) return total;
  if (!Format.Contains(tfNoClip)) r.Restrict(r.ToSurface(R));
  const uint32_t background = ColorToPixel(FBrush.Color());
  int y = FirstLineTop(R, h, Format);
  for (const TLine& l : lines) {
    const TPoint p = r.ToSurface(LineLeft(R, l.Width, Format), y);
    if (FBrush.Style() == bsSolid)
      for (int yy = p.Y; yy < p.Y + h; ++yy) r.Span(yy, p.X, p.X + l.Width, background);
    DrawLine(r, *FFont, l, p.X, p.Y);
    y += h;
  }
  return total;
}
