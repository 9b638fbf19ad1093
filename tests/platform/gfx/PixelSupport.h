#pragma once
#include <algorithm>
#include <string>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

// The whole bitmap painted in one colour, leaving its own canvas's brush as it was.
inline void Fill(TBitmap& b, TColor c) {
  TCanvas paint(&b, TPoint{}, Rect(0, 0, b.Width(), b.Height()));
  paint.Brush()->SetColor(c);
  paint.FillRect(Rect(0, 0, b.Width(), b.Height()));
}

// How many pixels of R have colour c.
inline int Count(const TBitmap& b, const TRect& r, TColor c) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) n += b.PixelColor(x, y) == c;
  return n;
}

// Every pixel of R has colour c.
inline bool All(const TBitmap& b, const TRect& r, TColor c) { return Count(b, r, c) == r.Width() * r.Height(); }

// The pixels outside R are all c.
inline bool AllOutside(const TBitmap& b, const TRect& r, TColor c) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const bool inside = x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
      if (!inside && b.PixelColor(x, y) != c) return false;
    }
  return true;
}

// The bounding box of the pixels that are not c (empty when there are none).
inline TRect Extent(const TBitmap& b, TColor c) {
  TRect r{b.Width(), b.Height(), 0, 0};
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.PixelColor(x, y) != c) {
        r.Left = std::min(r.Left, x), r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x + 1), r.Bottom = std::max(r.Bottom, y + 1);
      }
  return r.IsEmpty() ? TRect{} : r;
}

// Rows of the bitmap as characters: '#' for c, '.' for anything else; handy in failures.
inline std::string Picture(const TBitmap& b, TColor c) {
  std::string s;
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) s += b.PixelColor(x, y) == c ? '#' : '.';
    s += '\n';
  }
  return s;
}
