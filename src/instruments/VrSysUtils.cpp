#include "instruments/VrSysUtils.h"

#include <algorithm>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

namespace {

struct TRGB {
  int R = 0, G = 0, B = 0;
};

TRGB Split(TColor c) {
  uint8_t r, g, b;
  SplitRGB(c, r, g, b);
  return TRGB{r, g, b};
}

// Channel c1 + (c2 - c1) * i div d; a zero divisor gives c1, and a band index past the end
// (a band size that overshoots the middle) is held to the byte range instead of spilling
// into the next channel.
int Channel(int c1, int c2, long long i, long long d) {
  if (d == 0) return c1;
  constexpr long long kNarrow = 1 << 22;  // 32-bit arithmetic is exact below this, and faster
  const long long step = (i > -kNarrow && i < kNarrow && d > -kNarrow && d < kNarrow)
                             ? (c2 - c1) * int(i) / int(d)
                             : (c2 - c1) * i / d;
  return int(std::clamp<long long>(c1 + step, 0, 255));
}

TColor BandColor(const TRGB& a, const TRGB& b, long long i, long long d) {
  return RGB(uint8_t(Channel(a.R, b.R, i, d)), uint8_t(Channel(a.G, b.G, i, d)), uint8_t(Channel(a.B, b.B, i, d)));
}

// One band of the band styles: filled with the brush in its colour.
void Band(TCanvas& c, const TRect& band, TColor color) {
  c.Brush()->SetColor(color);
  c.FillRect(band);
}

// Styles 1 and 5 move a band down, 2 and 6 move it right.
TRect FirstBand(const TRect& r, bool vertical, int step) {
  return vertical ? Rect(r.Left, r.Top, r.Right, r.Top + step) : Rect(r.Left, r.Top, r.Left + step, r.Bottom);
}

TRect NextBand(const TRect& b, bool vertical, int step) {
  return vertical ? OffsetRect(b, 0, step) : OffsetRect(b, step, 0);
}

void Linear(TCanvas& c, const TRect& r, const TRGB& a, const TRGB& b, bool vertical, int step) {
  const int extent = vertical ? RectHeight(r) : RectWidth(r);
  TRect band = FirstBand(r, vertical, step);
  // Top to bottom stops inside the rectangle; left to right paints one band at the edge.
  for (long long i = 0; vertical ? i < extent : i <= extent; i += step) {
    Band(c, band, BandColor(a, b, i, extent));
    band = NextBand(band, vertical, step);
  }
}

void Mirrored(TCanvas& c, const TRect& r, const TRGB& a, const TRGB& b, bool vertical, int step) {
  const long long half = (vertical ? RectHeight(r) : RectWidth(r)) / 2;
  TRect band = FirstBand(r, vertical, step);
  long long i = 0;
  for (; i < half; i += step) {
    Band(c, band, BandColor(a, b, i, half));
    band = NextBand(band, vertical, step);
  }
  for (; i >= 0; i -= step) {
    Band(c, band, BandColor(a, b, i, half));
    band = NextBand(band, vertical, step);
  }
}

// Styles 3 and 4: wide pen lines across the rectangle, clipped to it.
void Diagonal(TCanvas& c, const TRect& r, const TRGB& a, const TRGB& b, bool fromTop, int step) {
  const int w = RectWidth(r), h = RectHeight(r);
  const long long d = (long long)w + h;
  TCanvasState keep(c);
  c.IntersectClipRect(r);
  c.Pen()->SetWidth(step);
  for (long long i = 0; i <= d; i += step) {
    c.Pen()->SetColor(BandColor(a, b, i, d));
    const int k = int(i);
    if (fromTop) {
      c.MoveTo(r.Left + k, r.Top);
      c.LineTo(r.Left - 1, r.Top + k);
    } else {
      c.MoveTo(r.Left, r.Top + h - k);
      c.LineTo(r.Left + k, r.Top + h);
    }
  }
}

}  // namespace

TRect BitmapBounds(const TBitmap& Bitmap) { return Rect(0, 0, Bitmap.Width(), Bitmap.Height()); }

TColor ResolveColor(TColor Color) { return IsSystemColor(Color) ? GetSysColor(int(Color & 0xFF)) : Color; }

void SplitRGB(TColor Color, uint8_t& R, uint8_t& G, uint8_t& B) {
  const TColor c = ResolveColor(Color);
  R = GetRValue(c);
  G = GetGValue(c);
  B = GetBValue(c);
}

void GradientFill(TCanvas& Canvas, const TRect& Rect, TColor FromColor, TColor ToColor, int Style, int BandSize) {
  const TRGB a = Split(FromColor), b = Split(ToColor);
  const int step = std::max(1, BandSize);
  switch (Style) {
    case 1: Linear(Canvas, Rect, a, b, true, step); break;
    case 2: Linear(Canvas, Rect, a, b, false, step); break;
    case 3: Diagonal(Canvas, Rect, a, b, true, step); break;
    case 4: Diagonal(Canvas, Rect, a, b, false, step); break;
    case 5: Mirrored(Canvas, Rect, a, b, true, step); break;
    case 6: Mirrored(Canvas, Rect, a, b, false, step); break;
    default: break;
  }
}

void DrawBevel(TCanvas& Canvas, TRect& Rect, TColor TopLeft, TColor BottomRight, int Width) {
  Canvas.Pen()->SetWidth(1);
  --Rect.Bottom;
  --Rect.Right;
  for (int n = 0; n < Width; ++n) {
    Canvas.Pen()->SetColor(TopLeft);
    const TPoint upper[] = {{Rect.Left, Rect.Bottom}, {Rect.Left, Rect.Top}, {Rect.Right, Rect.Top}};
    Canvas.Polyline(upper);
    Canvas.Pen()->SetColor(BottomRight);
    const TPoint lower[] = {{Rect.Right, Rect.Top}, {Rect.Right, Rect.Bottom}, {Rect.Left - 1, Rect.Bottom}};
    Canvas.Polyline(lower);
    Rect = ::Rect(Rect.Left + 1, Rect.Top + 1, Rect.Right - 1, Rect.Bottom - 1);
  }
  ++Rect.Bottom;
  ++Rect.Right;
}

namespace {

int Along(const TPoint& p, bool horizontal) { return horizontal ? p.X : p.Y; }

// Margin and spacing with -1 (automatic) replaced by an even share of the free space along
// the layout's axis.
void ResolveGaps(int client, int image, int text, int& margin, int& spacing) {
  if (margin == -1 && spacing == -1) {
    margin = (client - (image + text)) / 3;
    spacing = margin;
  } else if (margin == -1) {
    margin = (client - (image + spacing + text) + 1) / 2;
  } else if (spacing == -1) {
    spacing = (client - (margin + image) - text) / 2;
  }
}

}  // namespace

void CalcImageTextLayout(TCanvas& Canvas, const TRect& Client, const TPoint& Offset, const std::string& Caption,
                         TVrImageTextLayout Layout, int Margin, int Spacing, const TPoint& ImageSize,
                         TPoint& ImagePos, TRect& TextBounds) {
  const TPoint client{RectWidth(Client), RectHeight(Client)};
  TPoint text{};
  TextBounds = TRect{};
  if (!Caption.empty()) {
    TextBounds = Rect(0, 0, client.X, 0);
    // Measured as the callers draw it: an "&" is a character like any other.
    Canvas.DrawText(TextBounds, Caption, {tfCalcRect, tfNoPrefix});
    text = TPoint{RectWidth(TextBounds), RectHeight(TextBounds)};
  }
  const bool horizontal = Layout == ImageLeft || Layout == ImageRight;
  TPoint imagePos{}, textPos{};
  if (horizontal) {
    imagePos.Y = (client.Y - ImageSize.Y + 1) / 2;
    textPos.Y = (client.Y - text.Y + 1) / 2;
  } else {
    imagePos.X = (client.X - ImageSize.X + 1) / 2;
    textPos.X = (client.X - text.X + 1) / 2;
  }
  if (text.X == 0 || ImageSize.X == 0) Spacing = 0;
  ResolveGaps(Along(client, horizontal), Along(ImageSize, horizontal), Along(text, horizontal), Margin, Spacing);
  switch (Layout) {
    case ImageLeft:
      imagePos.X = Margin;
      textPos.X = imagePos.X + ImageSize.X + Spacing;
      break;
    case ImageRight:
      imagePos.X = client.X - Margin - ImageSize.X;
      textPos.X = imagePos.X - Spacing - text.X;
      break;
    case ImageTop:
      imagePos.Y = Margin;
      textPos.Y = imagePos.Y + ImageSize.Y + Spacing;
      break;
    case ImageBottom:
      imagePos.Y = client.Y - Margin - ImageSize.Y;
      textPos.Y = imagePos.Y - Spacing - text.Y;
      break;
  }
  const int dx = Client.Left + Offset.X, dy = Client.Top + Offset.Y;
  ImagePos = TPoint{imagePos.X + dx, imagePos.Y + dy};
  TextBounds = OffsetRect(TextBounds, textPos.X + dx, textPos.Y + dy);
}
